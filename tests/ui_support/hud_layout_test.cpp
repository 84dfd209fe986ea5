// Where the HUD's panel goes and what it draws: its geometry, masks, arcs and colours.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "hud_test_support.h"
#include "platform/render/Render.h"
#include "ui/support/hud/HDIndefiniteAnimatedView.h"
#include "ui/support/hud/HDProgressAnimatedView.h"
#include "ui/support/hud/HDProgressHUDBundle.h"
#include "ui/support/hud/HDProgressHUDGeometry.h"
#include "ui/support/hud/HDRadialGradientLayer.h"

namespace sprout {
namespace {

using platform::Color;
using platform::InterfaceOrientation;
using platform::makeRect;
using platform::Point;
using platform::Rect;
using platform::Size;
using ui_test::pixelAt;

// A point on a circle, `turn` of the way round clockwise from the top.
Point onCircle(Point c, double radius, double turn) {
  const double a = turn * 2 * M_PI;
  return {c.x + radius * std::sin(a), c.y - radius * std::cos(a)};
}

TEST(HUDGeometry, PanelSizeFollowsTheText) {
  struct Case {
    std::optional<Size> text;
    bool spinner;
    Size minimum, panel;
    std::optional<Rect> label;
  };
  const Case cases[] = {
      {Size{150, 16.4}, true, {}, {174, 97}, makeRect(0, 68, 174, 17)},
      {std::nullopt, true, {}, {100, 100}, platform::kRectZero},       // a 100-point square
      {Size{100, 17}, true, {}, {124, 97}, std::nullopt},              // narrow: 100 + 24
      {Size{151.3, 17}, true, {}, {176, 97}, std::nullopt},            // rounded up to even
      {Size{150, 17}, false, {}, {174, 37}, makeRect(0, 9, 174, 17)},  // alone, near the top
      // Two lines under a spinner: taller than 100, so the label is inset by 12.
      {Size{180, 33.6}, true, {}, {204, 114}, makeRect(12, 68, 180, 34)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text ? c.text->width : 0);
    const auto layout = HDPanelLayoutFor(c.text, c.spinner, c.minimum);
    EXPECT_EQ(layout.panelSize, c.panel);
    EXPECT_EQ(layout.labelRect, c.label.value_or(layout.labelRect));
  }
  // A larger minimum size wins, and the label widens by the difference.
  const auto layout = HDPanelLayoutFor(Size{150, 17}, true, {300, 120});
  EXPECT_EQ(layout.panelSize, (Size{300, 120}));
  EXPECT_EQ(layout.labelRect.size.width, 174 + 126);
}

TEST(HUDGeometry, PlacementLeavesRoomForTheKeyboardAndTurnsWithTheOrientation) {
  const Rect top = makeRect(0, 0, 320, 20), side = makeRect(0, 0, 20, 568);
  struct Case {
    Rect statusBar;
    InterfaceOrientation orientation;
    bool ignoreOrientation;
    double keyboard;
    Point center;
    double angle;
  };
  const Case cases[] = {
      {top, InterfaceOrientation::Portrait, true, 0, {160, 255}, 0},
      {top, InterfaceOrientation::Portrait, true, 216, {160, 176}, 0},
      {side, InterfaceOrientation::LandscapeRight, false, 0, {320 - 144, 284}, M_PI / 2},
      {side, InterfaceOrientation::LandscapeLeft, false, 0, {144, 284}, -M_PI / 2},
      {top, InterfaceOrientation::PortraitUpsideDown, false, 0, {160, 568 - 255}, M_PI},
      {side, InterfaceOrientation::LandscapeLeft, true, 0, {160, 255}, 0}};  // ignored
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.orientation));
    const auto at = HDPanelPlacementFor({320, 568}, c.statusBar, c.orientation, c.ignoreOrientation,
                                        c.keyboard);
    EXPECT_EQ(at.center, c.center);  // floor(320 × 0.45f) is 144
    EXPECT_DOUBLE_EQ(at.angle, c.angle);
  }
}

class HUDLayout : public hud_test::HUDTest {
 protected:
  // Draws `view` alone on white at scale 2, its implicit animations settled.
  std::shared_ptr<platform::Image> renderAlone(const std::shared_ptr<platform::View>& view) {
    auto box = platform::View::create(makeRect(0, 0, 80, 80));
    box->setBackgroundColor(Color::whiteColor());
    box->addSubview(view);
    platform::RenderOptions options;
    options.scale = 2;
    options.time = clock.now() + 1;
    return platform::renderView(*box, options);
  }
};

TEST_F(HUDLayout, PanelIsSizedAndFilledForWhatItShows) {
  HDProgressHUD::show();
  drain();
  auto panel = hud()->hudView();
  EXPECT_EQ(hud()->frame(), kScreen);
  EXPECT_EQ(panel->bounds().size, (Size{100, 100}));
  EXPECT_EQ(panel->center(), (Point{160, 255}));
  auto spinner = hud()->indefiniteAnimatedView();
  EXPECT_EQ(spinner->center(), (Point{50, 50}));
  EXPECT_EQ(spinner->bounds().size, (Size{60, 60}));

  HDProgressHUD::showWithStatus("加载中...");
  drain();
  const Size text =
      HDTextMeasureCache::measureUncached("加载中...", hud()->settings().font, {200, 300});
  const HDPanelLayout expected = HDPanelLayoutFor(text, true, {});
  EXPECT_EQ(panel->bounds().size, expected.panelSize);
  EXPECT_EQ(hud()->statusLabel()->frame(), expected.labelRect);
  EXPECT_EQ(spinner->center(), (Point{expected.panelSize.width / 2, 36}));
  EXPECT_EQ(spinner->bounds().size, (Size{48, 48}));
  EXPECT_FALSE(hud()->statusLabel()->isTruncated());

  HDProgressHUD::setOffsetFromCenter({10, -20});
  HDProgressHUD::showInfoWithStatus("请先选择孩子");
  drain();
  EXPECT_EQ(hud()->imageView()->center(), (Point{panel->bounds().size.width / 2, 36}));
  EXPECT_EQ(panel->center(), (Point{170, 235}));
}

TEST_F(HUDLayout, PanelRidesAboveTheKeyboard) {
  HDProgressHUD::showWithStatus("加载中...");
  run(1);
  auto panel = hud()->hudView();
  EXPECT_EQ(panel->center().y, 255);
  platform::KeyboardSimulator::shared().show(216, 0.25);
  EXPECT_EQ(panel->center().y, 176);  // the model at once, the screen over the slide
  EXPECT_GT(panel->layer()->presentationAt(clock.now() + 0.1)->position().y, 176);
  platform::KeyboardSimulator::shared().hide(0.25);
  advance(0.5);
  EXPECT_EQ(panel->center().y, 255);

  // A show while the keyboard is up goes above it straight away.
  HDProgressHUD::dismiss();
  run(1);
  platform::KeyboardSimulator::shared().show(216, 0);
  advance(0.1);
  HDProgressHUD::show();
  drain();
  EXPECT_EQ(panel->center().y, 176);
}

TEST_F(HUDLayout, MasksAreLaidBehindThePanelForTheirShowOnly) {
  HDProgressHUD::setBackgroundLayerColor(Color::rgba(0.2, 0.4, 0.6, 0.5));
  HDProgressHUD::showWithMaskType(HDProgressHUDMaskType::Custom);
  drain();
  auto mask = hud()->backgroundLayer();
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(hud()->layer()->sublayers().front(), mask);
  EXPECT_EQ(mask->frame(), kScreen);
  EXPECT_EQ(mask->backgroundColor(), Color::rgba(0.2, 0.4, 0.6, 0.5));
  HDProgressHUD::showWithStatus("加载中...", HDProgressHUDMaskType::Black);
  drain();
  ASSERT_NE(hud()->backgroundLayer(), nullptr);
  EXPECT_EQ(hud()->backgroundLayer()->backgroundColor(), Color::black().withAlpha(0.4));
  EXPECT_EQ(mask->superlayer(), nullptr);  // the old one is gone

  HDProgressHUD::showWithMaskType(HDProgressHUDMaskType::Gradient);
  drain();
  auto gradient = std::dynamic_pointer_cast<HDRadialGradientLayer>(hud()->backgroundLayer());
  ASSERT_NE(gradient, nullptr);
  EXPECT_EQ(gradient->gradientCenter(), (Point{160, 284}));
  advance(1);
  platform::KeyboardSimulator::shared().show(216, 0.25);
  gradient = std::dynamic_pointer_cast<HDRadialGradientLayer>(hud()->backgroundLayer());
  ASSERT_NE(gradient, nullptr);
  EXPECT_EQ(gradient->gradientCenter(), (Point{160, (568 - 216) / 2.0}));

  HDProgressHUD::showWithMaskType(HDProgressHUDMaskType::Clear);
  drain();
  EXPECT_EQ(hud()->backgroundLayer(), nullptr);
  // The next plain show is back on the default, which no mask show changed.
  HDProgressHUD::showWithStatus("加载中...");
  drain();
  EXPECT_EQ(hud()->maskType(), HDProgressHUDMaskType::None);
  EXPECT_EQ(hud()->settings().defaultMaskType, HDProgressHUDMaskType::None);
  EXPECT_EQ(hud()->backgroundLayer(), nullptr);
}

TEST_F(HUDLayout, ArcViewsFitTheirLayerAndRebuildOnlyForANewRadius) {
  auto spinner = HDIndefiniteAnimatedView::create();
  spinner->setStrokeColor(Color::red());  // before any layer: only stored
  spinner->setStrokeThickness(2);
  spinner->setRadius(24);
  EXPECT_EQ(spinner->sizeThatFits({500, 3}), (Size{60, 60}));
  spinner->setRadius(18);
  EXPECT_EQ(spinner->currentAnimatedLayer(), nullptr);  // not in a superview: nothing built
  spinner->sizeToFit();
  EXPECT_EQ(spinner->bounds().size, (Size{48, 48}));

  auto parent = platform::View::create(makeRect(0, 0, 100, 100));
  parent->addSubview(spinner);
  const auto layer = spinner->currentAnimatedLayer();
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(layer->strokeColor(), Color::red());
  EXPECT_EQ(layer->bounds().size, (Size{48, 48}));
  EXPECT_EQ(layer->position(), (Point{24, 24}));
  spinner->setRadius(18);
  EXPECT_EQ(spinner->currentAnimatedLayer(), layer);
  spinner->setRadius(24);
  EXPECT_NE(spinner->currentAnimatedLayer(), layer);
  EXPECT_EQ(layer->superlayer(), nullptr);
  spinner->removeFromSuperview();
  EXPECT_EQ(spinner->currentAnimatedLayer(), nullptr);
}

TEST_F(HUDLayout, SpinnerTurnsOncePerSecond) {
  auto spinner = HDIndefiniteAnimatedView::create();
  spinner->setStrokeThickness(2);
  spinner->setRadius(24);
  spinner->sizeToFit();
  auto parent = platform::View::create(makeRect(0, 0, 100, 100));
  parent->addSubview(spinner);
  const auto shape = spinner->indefiniteAnimatedLayer();
  ASSERT_NE(shape->mask(), nullptr);
  EXPECT_NE(shape->mask()->contents(), nullptr);                  // the bundle's angle-mask
  EXPECT_NEAR(shape->path().length(), 2 * (2 * M_PI * 24), 0.1);  // two turns

  const double t = clock.now() + 0.5;
  const auto shown = std::static_pointer_cast<platform::ShapeLayer>(shape->presentationAt(t));
  EXPECT_NEAR(shown->strokeStart(), 0.265, 1e-6);
  EXPECT_NEAR(shown->strokeEnd(), 0.735, 1e-6);
  const auto turned = shape->mask()->presentationAt(t)->transform();
  EXPECT_NEAR(turned.m11, -1, 1e-6);  // half a turn
  EXPECT_NEAR(turned.m12, 0, 1e-6);
  const auto later = std::static_pointer_cast<platform::ShapeLayer>(shape->presentationAt(t + 1));
  EXPECT_NEAR(later->strokeStart(), 0.265, 1e-6);  // and again every second
}

TEST_F(HUDLayout, RingAtAQuarterCoversOnlyItsQuadrant) {
  auto ring = HDProgressAnimatedView::create();
  ring->setRadius(24);
  ring->setStrokeThickness(4);
  ring->setStrokeColor(Color::black());
  ring->sizeToFit();
  ring->setStrokeEnd(0.25);
  auto image = renderAlone(ring);
  for (double turn : {0.03, 0.125, 0.22, 0.29, 0.375, 0.5, 0.625, 0.75, 0.875, 0.96}) {
    const Point p = onCircle(ring->arcCenter(), 24, turn);
    const double r = pixelAt(*image, p.x, p.y).r;
    EXPECT_TRUE(turn < 0.25 ? r < 0.2 : r > 0.9) << turn << ": " << r;
  }
}

TEST_F(HUDLayout, GradientDarkensTowardsTheRadius) {
  auto layer = HDRadialGradientLayer::create();
  layer->setBounds(makeRect(0, 0, 100, 100));
  layer->setGradientCenter({0, 0});
  layer->setNeedsDisplay();
  platform::RenderOptions options;
  options.scale = 1;
  auto image = platform::renderLayer(*layer, options);
  auto alpha = [&](double x, double y) { return std::lround(pixelAt(*image, x, y).a * 255); };
  EXPECT_LE(alpha(0, 0), 2);
  EXPECT_NEAR(alpha(50, 0), 96, 3);            // halfway: 0.375
  EXPECT_NEAR(alpha(99, 0), 190, 3);           // at the radius: 0.75
  EXPECT_NEAR(alpha(99, 99), 191, 2);          // beyond it the end colour goes on
  EXPECT_LT(pixelAt(*image, 99, 99).r, 0.01);  // black
}

TEST_F(HUDLayout, DarkPanelWithRoundedCornersAndTintedImages) {
  HDProgressHUD::setDefaultStyle(HDProgressHUDStyle::Dark);
  HDProgressHUD::show();
  run(1);
  auto image = ui_test::render(*window);
  // The 100-point panel centred on (160, 255): black inside, white past its rounded corner.
  const double left = 110, top = 205;
  EXPECT_GT(pixelAt(*image, left + 1, top + 1).r, 0.95);
  EXPECT_LT(pixelAt(*image, left + 3, top + 14).r, 0.05);
  EXPECT_LT(pixelAt(*image, left + 14, top + 3).r, 0.05);
  EXPECT_LT(pixelAt(*image, left + 5, top + 50).r, 0.05);
  EXPECT_GT(pixelAt(*image, left - 2, top + 50).r, 0.95);
  // Somewhere on its circle the spinner shows white.
  double brightest = 0;
  for (int i = 0; i < 72; ++i) {
    const Point p = onCircle({160, 255}, 24, i / 72.0);
    brightest = std::max(brightest, pixelAt(*image, p.x, p.y).r);
  }
  EXPECT_GT(brightest, 0.8);
  // Faded in, the panel stands at exactly its layout transform (scaling by 1.3 and back by
  // 1 / 1.3 would leave it a hair off, resampling all it holds), and neither the full-window
  // HUD view nor the panel holds an image: they draw nothing themselves.
  EXPECT_TRUE(hud()->hudView()->layer()->presentationAt(clock.now())->transform().isIdentity());
  EXPECT_FALSE(hud()->layer()->contents());
  EXPECT_FALSE(hud()->hudView()->layer()->contents());

  // Badges are tinted with the style's foreground, keeping their shape.
  auto success = HDProgressHUDBundleImage("success");
  ASSERT_NE(success, nullptr);
  auto tinted = HDProgressHUD::imageWithTintColor(*success, Color::rgba(1, 0, 0));
  ASSERT_NE(tinted, nullptr);
  EXPECT_EQ(tinted->size(), (Size{28, 28}));
  const auto& from = *success->bitmap();
  const auto& to = *tinted->bitmap();
  int opaque = 0;
  for (int y = 0; y < from.height(); ++y) {
    for (int x = 0; x < from.width(); ++x) {
      ASSERT_EQ(from.pixel(x, y) >> 24, to.pixel(x, y) >> 24);
      if ((to.pixel(x, y) >> 24) == 255) {
        ++opaque;
        ASSERT_EQ(to.pixel(x, y), 0xFFFF0000u);
      }
    }
  }
  EXPECT_GT(opaque, 50);
}

}  // namespace
}  // namespace sprout
