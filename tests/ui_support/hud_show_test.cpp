// Showing and dismissing the HUD: the main-queue order of calls, notifications, fades, counts.
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "hud_test_support.h"
#include "ui/support/hud/HDIndefiniteAnimatedView.h"
#include "ui/support/hud/HDProgressHUDCenter.h"

namespace sprout {
namespace {

using Names = std::vector<std::string>;

const std::string kWillAppear = kHDProgressHUDWillAppearNotification;
const std::string kDidAppear = kHDProgressHUDDidAppearNotification;
const std::string kWillDisappear = kHDProgressHUDWillDisappearNotification;
const std::string kDidDisappear = kHDProgressHUDDidDisappearNotification;

std::string repeat(const std::string& unit, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += unit;
  return out;
}

class HUDShow : public hud_test::HUDTest {
 protected:
  bool attached() { return hud()->window() == window; }
};

TEST_F(HUDShow, DisplayDurationCountsUTF16UnitsAboveTheMinimum) {
  // Chinese characters are one unit each (three UTF-8 bytes), characters beyond the basic plane
  // two (four bytes).
  const std::vector<std::pair<std::optional<std::string>, double>> cases = {
      {std::nullopt, 5.0},
      {repeat("a", 74), 5.0},
      {repeat("a", 75), 5.0},
      {repeat("a", 100), 6.5},
      {repeat("加", 100), 6.5},
      {repeat("\U0001F331", 37), 5.0},
      {repeat("\U0001F331", 50), 6.5}};
  for (const auto& [text, seconds] : cases) {
    EXPECT_NEAR(HDProgressHUD::displayDurationForString(text), seconds, 1e-9)
        << (text ? text->size() : 0);
  }
  HDProgressHUD::setMinimumDismissTimeInterval(1.0);
  EXPECT_NEAR(HDProgressHUD::displayDurationForString(repeat("a", 10)), 1.1, 1e-6);
  EXPECT_DOUBLE_EQ(HDProgressHUD::displayDurationForString(std::nullopt), 1.0);
}

TEST_F(HUDShow, WorkWaitsForTheMainQueueAndKeepsCallOrder) {
  HDProgressHUD::showWithStatus("加载中...");
  HDProgressHUD::dismiss();
  EXPECT_FALSE(HDProgressHUD::isVisible());
  EXPECT_TRUE(posted.empty());
  run(1);
  EXPECT_EQ(names(), (Names{kWillAppear, kWillDisappear, kDidDisappear}));
  EXPECT_FALSE(attached());

  // Dismiss then show at once: the interrupted fade-out must not take the new HUD down.
  posted.clear();
  HDProgressHUD::show();
  run(1);
  HDProgressHUD::dismiss();
  HDProgressHUD::showWithStatus("b");
  run(1);
  EXPECT_EQ(names(), (Names{kWillAppear, kDidAppear, kWillDisappear, kWillAppear, kDidAppear}));
  EXPECT_TRUE(HDProgressHUD::isVisible());
  EXPECT_TRUE(attached());
  EXPECT_EQ(hud()->hudView()->superview(), hud());
  EXPECT_EQ(hud()->statusLabel()->text(), "b");
}

TEST_F(HUDShow, SpinnerThenSuccessAppearsOnceAndDismissesItself) {
  HDProgressHUD::showWithStatus("加载中...");
  HDProgressHUD::showSuccessWithStatus("提交成功");
  run(1);
  EXPECT_EQ(names(), (Names{kWillAppear, kDidAppear}));
  const void* self = hud().get();
  EXPECT_EQ(posted[0].object, self);
  EXPECT_EQ(posted[0].status, "加载中...");  // the spinner show began the fade
  EXPECT_EQ(posted[1].status, "提交成功");   // the success image replaced it in place
  EXPECT_EQ(hud()->indefiniteAnimatedView()->superview(), nullptr);
  EXPECT_FALSE(hud()->imageView()->isHidden());
  // The bundle's badge is a template, shown as it is in the style's colour.
  EXPECT_EQ(hud()->settings().successImage->renderingMode(),
            platform::ImageRenderingMode::AlwaysTemplate);
  EXPECT_EQ(hud()->imageView()->image(), hud()->settings().successImage);
  EXPECT_EQ(hud()->imageView()->tintColor(), platform::Color::black());
  EXPECT_EQ(hud()->activityCount(), 1u);  // the image show leaves the count alone

  advance(3.9);  // 4.9 s after the show
  EXPECT_EQ(posted.size(), 2u);
  advance(0.2);
  ASSERT_EQ(names(), (Names{kWillAppear, kDidAppear, kWillDisappear}));
  EXPECT_NEAR(posted[2].at, 5.0, 1e-6);
  EXPECT_EQ(posted[2].object, nullptr);
  EXPECT_EQ(posted[2].status, "提交成功");
  advance(1);
  ASSERT_EQ(posted.size(), 4u);
  EXPECT_EQ(posted[3].name, kDidDisappear);
  EXPECT_NEAR(posted[3].at, 5.15, 1e-6);
  EXPECT_EQ(posted[3].object, self);
  EXPECT_FALSE(attached());
  EXPECT_EQ(hud()->activityCount(), 0u);

  // A nil status gives no user info at all.
  posted.clear();
  HDProgressHUD::show();
  drain();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_FALSE(posted[0].hasUserInfo);
}

TEST_F(HUDShow, SpinnerReplacingAPendingImageCancelsItsTimer) {
  HDProgressHUD::showSuccessWithStatus("好");
  drain();
  auto timer = hud()->fadeOutTimer();
  ASSERT_NE(timer, nullptr);
  HDProgressHUD::showWithStatus("加载中...");
  drain();
  EXPECT_FALSE(timer->isValid());
  EXPECT_EQ(hud()->activityCount(), 1u);
  EXPECT_TRUE(hud()->imageView()->isHidden());
  advance(20);
  EXPECT_TRUE(HDProgressHUD::isVisible());
}

TEST_F(HUDShow, ActivityCountRules) {
  const std::vector<std::pair<float, std::uint64_t>> cases = {
      {0.0f, 1}, {0.5f, 0}, {-1.0f, 1}, {std::numeric_limits<float>::quiet_NaN(), 1}};
  for (const auto& [progress, counted] : cases) {
    SCOPED_TRACE(progress);
    HDProgressHUD::showProgress(progress);
    drain();
    EXPECT_EQ(hud()->activityCount(), counted);
    const bool ring = progress >= 0;
    EXPECT_EQ(hud()->ringView()->superview() != nullptr, ring);
    EXPECT_EQ(hud()->indefiniteAnimatedView()->superview() != nullptr, !ring);
    HDProgressHUD::dismiss();
    run(1);
    EXPECT_EQ(hud()->activityCount(), 0u);
  }

  // Pops take their turn behind the shows queued before them.
  HDProgressHUD::show();
  HDProgressHUD::show();
  HDProgressHUD::popActivity();
  run(1);
  EXPECT_EQ(hud()->activityCount(), 1u);
  EXPECT_TRUE(HDProgressHUD::isVisible());
  HDProgressHUD::popActivity();
  run(1);
  EXPECT_FALSE(HDProgressHUD::isVisible());

  // With nothing counted a pop dismisses what is showing; with nothing showing, nothing is told.
  HDProgressHUD::showProgress(0.5f);
  run(1);
  HDProgressHUD::popActivity();
  run(1);
  EXPECT_FALSE(HDProgressHUD::isVisible());
  posted.clear();
  HDProgressHUD::dismiss();
  HDProgressHUD::dismissWithDelay(2);
  HDProgressHUD::popActivity();
  run(5);
  EXPECT_TRUE(posted.empty()) << ::testing::PrintToString(names());
}

TEST_F(HUDShow, AssistiveToolsHearTheFadesEnd) {
  using platform::AccessibilityNotification;
  HDProgressHUD::showWithStatus("加载中...");
  drain();
  EXPECT_TRUE(said.empty());  // not before the fade-in ends
  advance(1);
  ASSERT_EQ(said.size(), 2u);
  // Screen changed without an argument, then the status spoken, both after "did appear".
  EXPECT_EQ(said[0].kind, AccessibilityNotification::ScreenChanged);
  EXPECT_EQ(said[0].argument, std::nullopt);
  EXPECT_EQ(said[1].kind, AccessibilityNotification::Announcement);
  EXPECT_EQ(said[1].argument, "加载中...");
  EXPECT_EQ(said[1].afterPosted, 2u);
  EXPECT_NEAR(said[1].at, 0.15, 1e-6);

  // A HUD already up changes its content silently.
  HDProgressHUD::showErrorWithStatus("失败");
  run(1);
  EXPECT_EQ(said.size(), 2u);

  // The fade-out's end says the screen changed, after "did disappear".
  HDProgressHUD::dismiss();
  run(1);
  ASSERT_EQ(said.size(), 3u);
  EXPECT_EQ(said[2].kind, AccessibilityNotification::ScreenChanged);
  EXPECT_EQ(posted.back().name, kDidDisappear);
  EXPECT_EQ(said[2].afterPosted, posted.size());

  // Without fades both come at once; a show without text announces nothing in particular.
  HDProgressHUD::setFadeInAnimationDuration(0);
  HDProgressHUD::setFadeOutAnimationDuration(0);
  HDProgressHUD::show();
  drain();
  ASSERT_EQ(said.size(), 5u);
  EXPECT_EQ(said[4].kind, AccessibilityNotification::Announcement);
  EXPECT_EQ(said[4].argument, std::nullopt);
  HDProgressHUD::dismiss();
  drain();
  ASSERT_EQ(said.size(), 6u);
  EXPECT_EQ(said[5].kind, AccessibilityNotification::ScreenChanged);
}

TEST_F(HUDShow, FadesTakeTheirDurationsAndTheDismissalDelay) {
  HDProgressHUD::setFadeInAnimationDuration(0.4);
  HDProgressHUD::showWithStatus("x");
  drain();
  const double shownAt = elapsed();
  const auto layer = hud()->layer();
  EXPECT_NEAR(layer->presentationAt(clock.now() + 0.2)->opacity(), 0.5, 0.15);
  advance(0.39);
  EXPECT_EQ(names(), (Names{kWillAppear}));
  advance(0.02);
  EXPECT_EQ(names(), (Names{kWillAppear, kDidAppear}));
  EXPECT_NEAR(posted[1].at - shownAt, 0.4, 1e-6);

  HDProgressHUD::dismissWithDelay(2);
  drain();
  const double dismissedAt = elapsed();
  EXPECT_EQ(posted.back().name, kWillDisappear);
  EXPECT_DOUBLE_EQ(layer->presentationAt(clock.now() + 1.9)->opacity(), 1);  // still up
  EXPECT_LT(layer->presentationAt(clock.now() + 2.1)->opacity(), 1);
  advance(2.1);
  EXPECT_EQ(posted.back().name, kWillDisappear);
  EXPECT_TRUE(attached());
  advance(0.1);
  EXPECT_EQ(posted.back().name, kDidDisappear);
  EXPECT_NEAR(posted.back().at - dismissedAt, 2.15, 1e-6);
  EXPECT_FALSE(attached());

  // Without a fade-out the delay does not apply.
  HDProgressHUD::setFadeOutAnimationDuration(0);
  HDProgressHUD::show();
  run(1);
  HDProgressHUD::dismissWithDelay(3);
  drain();
  EXPECT_EQ(posted.back().name, kDidDisappear);
  EXPECT_FALSE(attached());
}

TEST_F(HUDShow, AnInterruptedFadeInDoesNotObserveAfterTheDismissal) {
  // An instant dismissal leaves the fade-in's animations running to their end, so their
  // completion arrives after the HUD has gone.
  HDProgressHUD::setFadeOutAnimationDuration(0);
  HDProgressHUD::show();
  run(0.05);  // fading in
  HDProgressHUD::dismiss();
  run(1);
  EXPECT_EQ(names(), (Names{kWillAppear, kWillDisappear, kDidDisappear}));
  const platform::Point before = hud()->hudView()->center();
  platform::KeyboardSimulator::shared().show(216, 0.25);
  advance(1);
  EXPECT_EQ(hud()->hudView()->center(), before);
}

TEST_F(HUDShow, RebuildingTheRingKeepsItsProgress) {
  HDProgressHUD::showProgress(0.4f);
  drain();
  auto ring = hud()->ringView();
  const auto first = ring->ringAnimatedLayer();
  EXPECT_DOUBLE_EQ(ring->radius(), 24);
  HDProgressHUD::setStatus("上传中");  // text: the smaller radius, a new layer
  EXPECT_DOUBLE_EQ(ring->radius(), 18);
  const auto rebuilt = ring->currentAnimatedLayer();
  ASSERT_NE(rebuilt, nullptr);
  EXPECT_NE(rebuilt, first);
  EXPECT_NEAR(rebuilt->strokeEnd(), 0.4, 1e-6);
  EXPECT_EQ(rebuilt->superlayer(), ring->layer());
}

TEST_F(HUDShow, CallsFromAnotherThreadRunOnTheMainQueueInOrder) {
  bool done = false;
  std::thread caller([&] {
    HDProgressHUD::setDefaultStyle(HDProgressHUDStyle::Dark);
    HDProgressHUD::showWithStatus("a");
    HDProgressHUD::showProgress(0.0f, "b");
    // The panel colour too goes through the main thread, where layout reads it.
    hud()->setBackgroundColor(platform::Color::red());
    platform::RunLoop::main().post([&] { done = true; });
  });
  ASSERT_TRUE(loop.runUntil([&] { return done; }, 30));
  caller.join();
  drain();
  EXPECT_EQ(hud()->settings().defaultStyle, HDProgressHUDStyle::Dark);
  EXPECT_EQ(hud()->statusLabel()->text(), "b");
  EXPECT_EQ(hud()->activityCount(), 2u);
  EXPECT_EQ(hud()->backgroundColor(), platform::Color::red());
}

TEST_F(HUDShow, ACenterOfItsOwnTakesTheClassCallsWhileItLives) {
  const auto outer = hud();
  HDProgressHUD::setDefaultStyle(HDProgressHUDStyle::Dark);
  std::shared_ptr<HDProgressHUD> inner;
  {
    HDProgressHUDCenter::Scope scope;
    inner = hud();
    EXPECT_NE(inner, outer);
    EXPECT_EQ(inner->settings().defaultStyle, HDProgressHUDStyle::Light);  // its own appearance
    HDProgressHUD::showWithStatus("加载中...");
    drain();
    EXPECT_EQ(inner->window(), window);
    // Queued, and still waiting when the center ends.
    HDProgressHUD::showSuccessWithStatus("提交成功");
    HDProgressHUD::dismiss();
  }
  // The HUD of the center that ended left at once, and its queued work does nothing.
  EXPECT_EQ(inner->window(), nullptr);
  EXPECT_EQ(hud(), outer);
  EXPECT_EQ(outer->settings().defaultStyle, HDProgressHUDStyle::Dark);
  run(10);
  EXPECT_EQ(names(), (Names{kWillAppear}));
  EXPECT_EQ(inner->fadeOutTimer(), nullptr);
  EXPECT_TRUE(inner->imageView()->isHidden());
  EXPECT_FALSE(HDProgressHUD::isVisible());

  // A keyboard no longer moves it.
  const platform::Point before = inner->hudView()->center();
  platform::KeyboardSimulator::shared().show(216, 0.25);
  advance(1);
  EXPECT_EQ(inner->hudView()->center(), before);
}

}  // namespace
}  // namespace sprout
