#include <cmath>
#include <memory>

#include "hud_test_support.h"
#include "platform/render/Render.h"
#include "platform/render/RenderView.h"
#include "ui/support/hud/HDIndefiniteAnimatedView.h"
#include "ui/support/hud/HDProgressAnimatedView.h"
#include "ui/support/hud/HDProgressHUDBundle.h"
#include "ui/support/hud/HDRadialGradientLayer.h"

namespace sprout {
namespace {

using hud_test::HUDTest;
using platform::Color;
using platform::Image;
using platform::Point;
using platform::Size;

Color pixel(const Image& image, double x, double y) {
  const double s = image.scale();
  return Color::fromPremultipliedARGB(
      image.bitmap()->pixel(static_cast<int>(x * s), static_cast<int>(y * s)));
}

int alpha255(const Image& image, double x, double y) {
  return static_cast<int>(std::lround(pixel(image, x, y).a * 255));
}

// A point on a circle, `turn` of the way round clockwise from the top.
Point onCircle(Point c, double radius, double turn) {
  const double a = turn * 2 * M_PI;
  return {c.x + radius * std::sin(a), c.y - radius * std::cos(a)};
}

class HUDDrawing : public HUDTest {
 protected:
  // Draws `view` alone on white at scale 2.
  std::shared_ptr<Image> renderAlone(const std::shared_ptr<platform::View>& view) {
    auto box = platform::View::create(platform::makeRect(0, 0, 80, 80));
    box->setBackgroundColor(Color::whiteColor());
    box->addSubview(view);
    platform::RenderOptions options;
    options.scale = 2;
    options.time = clock.now() + 1;  // implicit animations have settled
    return platform::renderView(*box, options);
  }
};

TEST_F(HUDDrawing, ArcViewsFitTheirLayerAndRebuildOnlyForANewRadius) {
  auto spinner = HDIndefiniteAnimatedView::create();
  spinner->setStrokeColor(Color::red());  // before any layer: only stored
  EXPECT_EQ(spinner->currentAnimatedLayer(), nullptr);
  spinner->setStrokeThickness(2);
  spinner->setRadius(24);
  EXPECT_EQ(spinner->sizeThatFits({500, 3}), (Size{60, 60}));
  spinner->setRadius(18);
  EXPECT_EQ(spinner->currentAnimatedLayer(), nullptr);  // not in a superview: nothing built
  spinner->sizeToFit();
  EXPECT_EQ(spinner->bounds().size, (Size{48, 48}));

  auto parent = platform::View::create(platform::makeRect(0, 0, 100, 100));
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

  // A ring rebuilt for a new radius keeps the progress it showed.
  auto ring = HDProgressAnimatedView::create();
  ring->setRadius(24);
  parent->addSubview(ring);
  ring->setStrokeEnd(0.3);
  ring->setRadius(18);
  EXPECT_DOUBLE_EQ(ring->ringAnimatedLayer()->strokeEnd(), 0.3);
}

TEST_F(HUDDrawing, SpinnerTurnsOncePerSecond) {
  auto spinner = HDIndefiniteAnimatedView::create();
  spinner->setStrokeThickness(2);
  spinner->setRadius(24);
  spinner->setStrokeColor(Color::black());
  spinner->sizeToFit();
  auto parent = platform::View::create(platform::makeRect(0, 0, 100, 100));
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

TEST_F(HUDDrawing, RingAtAQuarterCoversOnlyItsQuadrant) {
  auto ring = HDProgressAnimatedView::create();
  ring->setRadius(24);
  ring->setStrokeThickness(4);
  ring->setStrokeColor(Color::black());
  ring->sizeToFit();
  ring->setStrokeEnd(0.25);
  auto image = renderAlone(ring);
  const Point c = ring->arcCenter();
  for (double turn : {0.03, 0.125, 0.22}) {
    const Point p = onCircle(c, 24, turn);
    EXPECT_LT(pixel(*image, p.x, p.y).r, 0.2) << turn;
  }
  for (double turn : {0.29, 0.375, 0.5, 0.625, 0.75, 0.875, 0.96}) {
    const Point p = onCircle(c, 24, turn);
    EXPECT_GT(pixel(*image, p.x, p.y).r, 0.9) << turn;
  }
}

TEST_F(HUDDrawing, GradientDarkensTowardsTheRadius) {
  auto layer = HDRadialGradientLayer::create();
  layer->setBounds(platform::makeRect(0, 0, 100, 100));
  layer->setGradientCenter({0, 0});
  layer->setNeedsDisplay();
  platform::RenderOptions options;
  options.scale = 1;
  auto image = platform::renderLayer(*layer, options);
  EXPECT_LE(alpha255(*image, 0, 0), 2);
  EXPECT_NEAR(alpha255(*image, 50, 0), 96, 3);    // halfway: 0.375
  EXPECT_NEAR(alpha255(*image, 99, 0), 190, 3);   // at the radius: 0.75
  EXPECT_NEAR(alpha255(*image, 99, 99), 191, 2);  // beyond it the end colour goes on
  EXPECT_LT(pixel(*image, 99, 99).r, 0.01);       // black
}

TEST_F(HUDDrawing, DarkPanelWithRoundedCornersAndTintedImages) {
  HDProgressHUD::setDefaultStyle(HDProgressHUDStyle::Dark);
  HDProgressHUD::show();
  drain();
  advance(1);
  platform::RenderOptions options;
  options.scale = 1;
  auto image = platform::renderView(*window, options);
  // The 100-point panel centred on (160, 255): black inside, white past its rounded corner.
  const double left = 110, top = 205;
  EXPECT_GT(pixel(*image, left + 1, top + 1).r, 0.95);
  EXPECT_LT(pixel(*image, left + 3, top + 14).r, 0.05);
  EXPECT_LT(pixel(*image, left + 14, top + 3).r, 0.05);
  EXPECT_LT(pixel(*image, left + 5, top + 50).r, 0.05);
  EXPECT_GT(pixel(*image, left - 2, top + 50).r, 0.95);
  // Somewhere on its circle the spinner shows white.
  double brightest = 0;
  for (int i = 0; i < 72; ++i) {
    const Point p = onCircle({160, 255}, 24, i / 72.0);
    brightest = std::max(brightest, pixel(*image, p.x, p.y).r);
  }
  EXPECT_GT(brightest, 0.8);
  // Faded in, the panel stands at exactly its layout transform (scaling by 1.3 and back by
  // 1 / 1.3 would leave it a hair off, resampling all it holds), and neither the full-window
  // HUD view nor the panel holds an image: they draw nothing themselves.
  EXPECT_TRUE(hud()->hudView()->layer()->presentationAt(clock.now())->transform().isIdentity());
  EXPECT_FALSE(hud()->layer()->contents());
  EXPECT_FALSE(hud()->hudView()->layer()->contents());

  // Badges are tinted with the style's foreground.
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
      ASSERT_EQ(from.pixel(x, y) >> 24, to.pixel(x, y) >> 24);  // the same shape
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
