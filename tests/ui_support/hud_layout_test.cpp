#include <cmath>
#include <string>
#include <vector>

#include "hud_test_support.h"
#include "platform/ui/TouchDriver.h"
#include "ui/support/hud/HDIndefiniteAnimatedView.h"
#include "ui/support/hud/HDProgressHUDGeometry.h"
#include "ui/support/hud/HDRadialGradientLayer.h"

namespace sprout {
namespace {

using hud_test::HUDTest;
using platform::InterfaceOrientation;
using platform::makeRect;
using platform::Point;
using platform::Rect;
using platform::Size;

TEST(HUDGeometry, PanelSizeFollowsTheText) {
  // Text 150 x 17 with a spinner.
  auto layout = HDPanelLayoutFor(Size{150, 16.4}, true, {});
  EXPECT_EQ(layout.panelSize, (Size{174, 97}));
  EXPECT_EQ(layout.labelRect, makeRect(0, 68, 174, 17));
  // No text: a 100-point square.
  layout = HDPanelLayoutFor(std::nullopt, true, {});
  EXPECT_EQ(layout.panelSize, (Size{100, 100}));
  EXPECT_EQ(layout.labelRect, platform::kRectZero);
  // Narrow text keeps 100 + 24; wider text rounds up to an even width.
  EXPECT_EQ(HDPanelLayoutFor(Size{100, 17}, true, {}).panelSize.width, 124);
  EXPECT_EQ(HDPanelLayoutFor(Size{151.3, 17}, true, {}).panelSize.width, 176);
  // Text alone sits near the top.
  layout = HDPanelLayoutFor(Size{150, 17}, false, {});
  EXPECT_EQ(layout.panelSize, (Size{174, 37}));
  EXPECT_EQ(layout.labelRect.origin.y, 9);
  // Two lines under a spinner: taller than 100, so the label is inset by 12.
  layout = HDPanelLayoutFor(Size{180, 33.6}, true, {});
  EXPECT_EQ(layout.panelSize, (Size{204, 114}));
  EXPECT_EQ(layout.labelRect, makeRect(12, 68, 180, 34));
  // A larger minimum size wins, and the label widens by the difference.
  layout = HDPanelLayoutFor(Size{150, 17}, true, {300, 120});
  EXPECT_EQ(layout.panelSize, (Size{300, 120}));
  EXPECT_EQ(layout.labelRect.size.width, 174 + 126);
}

TEST(HUDGeometry, PlacementLeavesRoomForTheKeyboard) {
  const Size portrait{320, 568};
  const Rect statusBar = makeRect(0, 0, 320, 20);
  auto at = HDPanelPlacementFor(portrait, statusBar, InterfaceOrientation::Portrait, true, 0);
  EXPECT_EQ(at.center, (Point{160, 255}));
  EXPECT_EQ(at.angle, 0);
  at = HDPanelPlacementFor(portrait, statusBar, InterfaceOrientation::Portrait, true, 216);
  EXPECT_EQ(at.center, (Point{160, 176}));
  // Honouring the orientation turns the panel and swaps the axes.
  const Rect sideBar = makeRect(0, 0, 20, 568);
  at = HDPanelPlacementFor(portrait, sideBar, InterfaceOrientation::LandscapeRight, false, 0);
  EXPECT_EQ(at.center, (Point{320 - 144, 284}));  // floor(320 × 0.45f) is 144
  EXPECT_DOUBLE_EQ(at.angle, M_PI / 2);
  at = HDPanelPlacementFor(portrait, sideBar, InterfaceOrientation::LandscapeLeft, false, 0);
  EXPECT_EQ(at.center, (Point{144, 284}));
  EXPECT_DOUBLE_EQ(at.angle, -M_PI / 2);
  at = HDPanelPlacementFor(portrait, statusBar, InterfaceOrientation::PortraitUpsideDown, false, 0);
  EXPECT_EQ(at.center, (Point{160, 568 - 255}));
  EXPECT_DOUBLE_EQ(at.angle, M_PI);
  // Ignoring it, a landscape report changes nothing.
  at = HDPanelPlacementFor(portrait, sideBar, InterfaceOrientation::LandscapeLeft, true, 0);
  EXPECT_EQ(at.center, (Point{160, 255}));
  EXPECT_EQ(at.angle, 0);
}

class HUDLayout : public HUDTest {};

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
  drain();
  advance(1);
  auto panel = hud()->hudView();
  EXPECT_EQ(panel->center().y, 255);
  platform::KeyboardSimulator::shared().show(216, 0.25);
  EXPECT_EQ(panel->center().y, 176);  // the model at once, the screen over the slide
  EXPECT_GT(panel->layer()->presentationAt(clock.now() + 0.1)->position().y, 176);
  advance(0.5);
  EXPECT_EQ(panel->center().y, 176);
  platform::KeyboardSimulator::shared().hide(0.25);
  advance(0.5);
  EXPECT_EQ(panel->center().y, 255);

  // A show while the keyboard is up goes above it straight away.
  HDProgressHUD::dismiss();
  drain();
  advance(1);
  platform::KeyboardSimulator::shared().show(216, 0);
  advance(0.1);
  HDProgressHUD::show();
  drain();
  EXPECT_EQ(panel->center().y, 176);
}

TEST_F(HUDLayout, MasksAreLaidBehindThePanel) {
  HDProgressHUD::setBackgroundLayerColor(platform::Color::rgba(0.2, 0.4, 0.6, 0.5));
  HDProgressHUD::showWithMaskType(HDProgressHUDMaskType::Custom);
  drain();
  auto mask = hud()->backgroundLayer();
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(hud()->layer()->sublayers().front(), mask);
  EXPECT_EQ(mask->frame(), kScreen);
  EXPECT_EQ(mask->backgroundColor(), platform::Color::rgba(0.2, 0.4, 0.6, 0.5));

  HDProgressHUD::showWithMaskType(HDProgressHUDMaskType::Gradient);
  drain();
  auto gradient = std::dynamic_pointer_cast<HDRadialGradientLayer>(hud()->backgroundLayer());
  ASSERT_NE(gradient, nullptr);
  EXPECT_EQ(mask->superlayer(), nullptr);  // the old one is gone
  EXPECT_EQ(gradient->gradientCenter(), (Point{160, 284}));
  advance(1);
  platform::KeyboardSimulator::shared().show(216, 0.25);
  gradient = std::dynamic_pointer_cast<HDRadialGradientLayer>(hud()->backgroundLayer());
  ASSERT_NE(gradient, nullptr);
  EXPECT_EQ(gradient->gradientCenter(), (Point{160, (568 - 216) / 2.0}));

  HDProgressHUD::showWithMaskType(HDProgressHUDMaskType::Clear);
  drain();
  EXPECT_EQ(hud()->backgroundLayer(), nullptr);
  EXPECT_TRUE(hud()->settings().isClear());  // the default is still None
}

TEST_F(HUDLayout, TouchesPassThroughOnlyWithoutAMask) {
  platform::TouchDriver finger(window);
  HDProgressHUD::showWithStatus("加载中...");
  drain();
  advance(1);
  EXPECT_EQ(finger.tap({160, 255}), content);
  EXPECT_EQ(posted.size(), 2u);  // the appearance only

  for (auto mask : {HDProgressHUDMaskType::Clear, HDProgressHUDMaskType::Black,
                    HDProgressHUDMaskType::Gradient, HDProgressHUDMaskType::Custom}) {
    HDProgressHUD::showWithStatus("加载中...", mask);
    drain();
    posted.clear();
    EXPECT_EQ(finger.tap({160, 255}), hud()->overlayView());
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].name, kHDProgressHUDDidReceiveTouchEventNotification);
    EXPECT_EQ(posted[1].name, kHDProgressHUDDidTouchDownInsideNotification);
    EXPECT_EQ(posted[1].object, hud().get());
    EXPECT_EQ(posted[1].status, "加载中...");
    posted.clear();
    finger.tap({10, 540});  // outside the panel
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].name, kHDProgressHUDDidReceiveTouchEventNotification);
  }
}

}  // namespace
}  // namespace sprout
