// The HUD over a screen with a button on it, touched by a person while it shows and after.
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Button.h"
#include "tests/ui_support/hud_test_support.h"

namespace sprout {
namespace {

using platform::Color;
using Notes = std::vector<std::string>;

class HUDTouchJourney : public hud_test::HUDTest {
 protected:
  HUDTouchJourney() {
    button->setBackgroundColor(Color::rgba(0.1, 0.6, 0.2));
    button->addTarget([this](platform::Control&) { ++presses; },
                      platform::ControlEventTouchUpInside);
    content->addSubview(button);
  }
  Color seen(double x, double y) { return ui_test::pixelAt(*ui_test::render(*window), x, y); }
  Notes touchNotes() const {
    Notes out;
    for (const auto& p : posted) {
      if (p.name == kHDProgressHUDDidReceiveTouchEventNotification) out.push_back("touch");
      if (p.name == kHDProgressHUDDidTouchDownInsideNotification) out.push_back("inside");
    }
    return out;
  }
  void tapPanel() { fingers.tap({platform::midX(panel()), platform::midY(panel())}); }

  std::shared_ptr<platform::Button> button =
      platform::Button::create(platform::makeRect(20, 480, 120, 44));
  int presses = 0;
};

TEST_F(HUDTouchJourney, AMaskedHUDTakesTheTouchesAndTellsWhereTheyLandedUntilItIsGone) {
  const Color green = seen(80, 500);
  EXPECT_GT(green.g, 0.5);
  HDProgressHUD::showWithStatus("加载中...", HDProgressHUDMaskType::Black);
  run(0.5);
  // The screen behind is dimmed and the button cannot be pressed.
  EXPECT_LT(seen(80, 500).g, green.g - 0.2);
  fingers.tap({80, 500});
  EXPECT_EQ(presses, 0);
  EXPECT_EQ(touchNotes(), (Notes{"touch"}));
  tapPanel();
  EXPECT_EQ(touchNotes(), (Notes{"touch", "touch", "inside"}));
  EXPECT_EQ(posted.back().object, hud().get());
  EXPECT_EQ(posted.back().status, "加载中...");
  // A finger held down and lifted elsewhere is one touch-down, however it moves.
  fingers.begin({80, 500});
  fingers.move({platform::midX(panel()), platform::midY(panel())});
  fingers.end();
  EXPECT_EQ(touchNotes().size(), 4u);

  // Success replaces the spinner and goes away by itself; then the button works again.
  HDProgressHUD::showSuccessWithStatus("完成");
  run(5.5);
  EXPECT_FALSE(HDProgressHUD::isVisible());
  posted.clear();
  EXPECT_NEAR(seen(80, 500).g, green.g, 0.01);
  EXPECT_EQ(fingers.tap({80, 500}), button);
  EXPECT_EQ(presses, 1);
  EXPECT_TRUE(touchNotes().empty());
}

TEST_F(HUDTouchJourney, WithoutAMaskTheScreenStaysUsableAndEveryMaskTakesTheTouches) {
  HDProgressHUD::showWithStatus("加载中...");
  run(0.5);
  EXPECT_TRUE(HDProgressHUD::isVisible());
  EXPECT_GT(seen(80, 500).g, 0.5);  // not dimmed
  EXPECT_EQ(fingers.tap({80, 500}), button);
  EXPECT_EQ(presses, 1);
  tapPanel();  // through the panel to the screen behind
  EXPECT_TRUE(touchNotes().empty());

  // A mask shown over the plain HUD takes the touches from then on, whichever mask it is.
  for (auto mask : {HDProgressHUDMaskType::Clear, HDProgressHUDMaskType::Gradient,
                    HDProgressHUDMaskType::Custom}) {
    SCOPED_TRACE(static_cast<int>(mask));
    HDProgressHUD::showWithStatus("加载中...", mask);
    drain();
    posted.clear();
    fingers.tap({80, 500});
    EXPECT_EQ(touchNotes(), (Notes{"touch"}));
    tapPanel();
    EXPECT_EQ(touchNotes(), (Notes{"touch", "touch", "inside"}));
  }
  EXPECT_EQ(presses, 1);
  HDProgressHUD::dismiss();
  run(0.5);
  fingers.tap({80, 500});
  EXPECT_EQ(presses, 2);
}

}  // namespace
}  // namespace sprout
