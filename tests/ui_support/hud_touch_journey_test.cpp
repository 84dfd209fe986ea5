// The HUD over a screen with a button on it, touched by a person while it shows and after.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "platform/render/RenderView.h"
#include "platform/ui/Button.h"
#include "platform/ui/TouchDriver.h"
#include "tests/ui_support/hud_test_support.h"

namespace sprout {
namespace {

using platform::Color;
using platform::makeRect;

class HUDTouchJourney : public hud_test::HUDTest {
 protected:
  HUDTouchJourney() {
    button->setBackgroundColor(Color::rgba(0.1, 0.6, 0.2));
    button->addTarget([this](platform::Control&) { ++presses; },
                      platform::ControlEventTouchUpInside);
    content->addSubview(button);
  }
  Color seen(double x, double y) {
    platform::RenderOptions options;
    options.scale = 1;
    auto image = platform::renderView(*window, options);
    return Color::fromPremultipliedARGB(
        image->bitmap()->pixel(static_cast<int>(x), static_cast<int>(y)));
  }
  std::vector<std::string> touchNotes() const {
    std::vector<std::string> out;
    for (const auto& p : posted) {
      if (p.name == kHDProgressHUDDidReceiveTouchEventNotification) out.push_back("touch");
      if (p.name == kHDProgressHUDDidTouchDownInsideNotification) out.push_back("inside");
    }
    return out;
  }

  std::shared_ptr<platform::Button> button = platform::Button::create(makeRect(20, 480, 120, 44));
  platform::TouchDriver finger{window};
  int presses = 0;
};

TEST_F(HUDTouchJourney, AMaskedHUDTakesTheTouchesAndTellsWhereTheyLandedUntilItIsGone) {
  const Color green = seen(80, 500);
  EXPECT_GT(green.g, 0.5);
  HDProgressHUD::showWithStatus("加载中...", HDProgressHUDMaskType::Black);
  drain();
  advance(0.5);
  // The screen behind is dimmed and the button cannot be pressed.
  EXPECT_LT(seen(80, 500).g, green.g - 0.2);
  finger.tap({80, 500});
  EXPECT_EQ(presses, 0);
  EXPECT_EQ(touchNotes(), (std::vector<std::string>{"touch"}));
  const auto panel = hud()->hudView()->convertRectTo(hud()->hudView()->bounds(), nullptr);
  finger.tap({platform::midX(panel), platform::midY(panel)});
  EXPECT_EQ(touchNotes(), (std::vector<std::string>{"touch", "touch", "inside"}));
  EXPECT_EQ(posted.back().status, "加载中...");
  // A finger held down and lifted elsewhere is one touch-down, however it moves.
  finger.begin({80, 500});
  finger.move({platform::midX(panel), platform::midY(panel)});
  finger.end();
  EXPECT_EQ(touchNotes().size(), 4u);

  // Success replaces the spinner and goes away by itself; then the button works again.
  HDProgressHUD::showSuccessWithStatus("完成");
  drain();
  advance(5.5);
  EXPECT_FALSE(HDProgressHUD::isVisible());
  posted.clear();
  EXPECT_TRUE(std::abs(seen(80, 500).g - green.g) < 0.01);
  EXPECT_EQ(finger.tap({80, 500}), button);
  EXPECT_EQ(presses, 1);
  EXPECT_TRUE(touchNotes().empty());
}

TEST_F(HUDTouchJourney, WithoutAMaskTheScreenStaysUsableAndTheHUDHearsNothing) {
  HDProgressHUD::showWithStatus("加载中...");
  drain();
  advance(0.5);
  EXPECT_TRUE(HDProgressHUD::isVisible());
  const Color green = seen(80, 500);
  EXPECT_GT(green.g, 0.5);  // not dimmed
  EXPECT_EQ(finger.tap({80, 500}), button);
  EXPECT_EQ(presses, 1);
  const auto panel = hud()->hudView()->convertRectTo(hud()->hudView()->bounds(), nullptr);
  finger.tap({platform::midX(panel), platform::midY(panel)});
  EXPECT_TRUE(touchNotes().empty());
  // A mask shown over the plain HUD takes the touches from then on.
  HDProgressHUD::showWithStatus("加载中...", HDProgressHUDMaskType::Clear);
  drain();
  finger.tap({80, 500});
  EXPECT_EQ(presses, 1);
  EXPECT_EQ(touchNotes(), (std::vector<std::string>{"touch"}));
  HDProgressHUD::dismiss();
  drain();
  advance(0.5);
  finger.tap({80, 500});
  EXPECT_EQ(presses, 2);
}

}  // namespace
}  // namespace sprout
