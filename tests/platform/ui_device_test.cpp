// The device, the status bar's notifications, display links, a target's delayed calls and
// per-layer switches for implicit actions.
#include <gtest/gtest.h>

#include <any>
#include <string>
#include <vector>

#include "platform/animation/BasicAnimation.h"
#include "platform/animation/Layer.h"
#include "platform/dispatch/DisplayLink.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Device.h"
#include "ui_fixtures.h"

namespace platform {
namespace {

class DeviceAndLoop : public ui_test::UITest {};

TEST_F(DeviceAndLoop, DeviceOrientationNotifiesOnlyWhileGenerating) {
  Device& device = Device::current();
  ui_test::Notifications turns{{kDeviceOrientationDidChangeNotification}};
  device.setOrientation(DeviceOrientation::LandscapeLeft);
  EXPECT_EQ(device.orientation(), DeviceOrientation::LandscapeLeft);
  EXPECT_TRUE(turns.heard.empty());
  device.beginGeneratingDeviceOrientationNotifications();
  device.beginGeneratingDeviceOrientationNotifications();
  device.setOrientation(DeviceOrientation::Portrait);
  device.setOrientation(DeviceOrientation::Portrait);  // no change, no post
  device.endGeneratingDeviceOrientationNotifications();
  device.setOrientation(DeviceOrientation::FaceUp);  // one begin still open
  device.endGeneratingDeviceOrientationNotifications();
  device.endGeneratingDeviceOrientationNotifications();  // extra ends are harmless
  device.setOrientation(DeviceOrientation::FaceDown);
  EXPECT_EQ(turns.heard.size(), 2u);
  EXPECT_GE(std::stod(device.systemVersion()), 8.0);
}

TEST_F(DeviceAndLoop, StatusBarChangesPostWillAndDidWithTheirValues) {
  ui_test::ScopedScreenBounds screen(makeRect(0, 0, 320, 568));
  auto& app = ApplicationWindows::shared();
  ui_test::Notifications bar{{kApplicationWillChangeStatusBarOrientationNotification,
                              kApplicationDidChangeStatusBarOrientationNotification,
                              kApplicationWillChangeStatusBarFrameNotification,
                              kApplicationDidChangeStatusBarFrameNotification}};
  const std::string orientation = kApplicationStatusBarOrientationUserInfoKey;
  const std::string frame = kApplicationStatusBarFrameUserInfoKey;
  app.setStatusBarOrientation(InterfaceOrientation::LandscapeRight);
  EXPECT_EQ(app.statusBarFrame(), makeRect(0, 0, 568, 20));
  // The will-posts carry the new values, the did-posts the old ones.
  EXPECT_EQ(bar.names(),
            (std::vector<std::string>{kApplicationWillChangeStatusBarOrientationNotification,
                                      kApplicationWillChangeStatusBarFrameNotification,
                                      kApplicationDidChangeStatusBarFrameNotification,
                                      kApplicationDidChangeStatusBarOrientationNotification}));
  EXPECT_EQ(bar.info<InterfaceOrientation>(0, orientation), InterfaceOrientation::LandscapeRight);
  EXPECT_EQ(bar.info<Rect>(1, frame), makeRect(0, 0, 568, 20));
  EXPECT_EQ(bar.info<Rect>(2, frame), makeRect(0, 0, 320, 20));
  EXPECT_EQ(bar.info<InterfaceOrientation>(3, orientation), InterfaceOrientation::Portrait);

  bar.heard.clear();
  app.setStatusBarOrientation(InterfaceOrientation::LandscapeLeft);  // same frame: no frame posts
  ASSERT_EQ(bar.heard.size(), 2u);
  EXPECT_EQ(bar.heard[1].name, kApplicationDidChangeStatusBarOrientationNotification);
  bar.heard.clear();
  app.setStatusBarHidden(true);
  ASSERT_EQ(bar.heard.size(), 2u);
  EXPECT_EQ(bar.info<Rect>(0, frame), kRectZero);
  bar.heard.clear();
  app.setStatusBarHidden(true);
  app.setStatusBarOrientation(InterfaceOrientation::LandscapeLeft);
  EXPECT_TRUE(bar.heard.empty());
}

TEST_F(DeviceAndLoop, DisplayLinksFireEveryFrameOnTheClock) {
  std::vector<TimeInterval> stamps;
  auto link = DisplayLink::create([&](DisplayLink& l) { stamps.push_back(l.timestamp()); });
  advance(0.1);
  EXPECT_TRUE(stamps.empty());  // not on a loop yet
  const TimeInterval added = clock.now();
  link->addToRunLoop(loop, RunLoopMode::Common);
  advance(1.0);
  ASSERT_EQ(stamps.size(), 60u);
  for (std::size_t i = 0; i < stamps.size(); ++i) {
    EXPECT_NEAR(stamps[i], added + (i + 1) * DisplayLink::kFrameDuration, 1e-6);
  }
  EXPECT_NEAR(link->targetTimestamp() - link->timestamp(), 1.0 / 60, 1e-6);

  link->setPaused(true);
  EXPECT_EQ(loop.timerCount(), 0u);  // a paused link costs the loop nothing
  advance(1.0);
  EXPECT_EQ(stamps.size(), 60u);
  link->setPaused(false);
  loop.setCurrentMode(RunLoopMode::Tracking);  // common modes keep it going while dragging
  advance(0.5);
  loop.setCurrentMode(RunLoopMode::Default);
  EXPECT_EQ(stamps.size(), 90u);

  // The loop keeps a link its users dropped, until it is invalidated, also from inside.
  std::weak_ptr<DisplayLink> weak = link;
  int frames = 0;
  link = DisplayLink::create([&](DisplayLink& l) {
    if (++frames == 3) l.invalidate();
  });
  link->addToRunLoop(loop, RunLoopMode::Default);
  std::weak_ptr<DisplayLink> second = link;
  link.reset();
  advance(1.0);
  EXPECT_EQ(frames, 3);
  EXPECT_TRUE(second.expired());
  EXPECT_FALSE(weak.expired());  // the first is still on the loop
  weak.lock()->invalidate();
  EXPECT_TRUE(weak.expired());
  EXPECT_EQ(loop.timerCount(), 0u);
}

TEST_F(DeviceAndLoop, DisplayLinksHoldTheirOwnerWeaklyAndModesDecide) {
  struct Animator {
    int frames = 0;
  };
  auto animator = std::make_shared<Animator>();
  std::weak_ptr<Animator> weakAnimator = animator;
  auto link = DisplayLink::create(
      [weakAnimator](DisplayLink&) {
        if (auto a = weakAnimator.lock()) ++a->frames;
      },
      animator);
  link->addToRunLoop(loop, RunLoopMode::Default);
  loop.setCurrentMode(RunLoopMode::Tracking);  // held back while dragging
  advance(0.5);
  EXPECT_EQ(animator->frames, 0);
  loop.setCurrentMode(RunLoopMode::Default);
  advance(0.5);
  EXPECT_GE(animator->frames, 30);
  EXPECT_LE(animator->frames, 31);  // the held-back frame comes once, not as a burst
  link->addToRunLoop(loop, RunLoopMode::Tracking);
  loop.setCurrentMode(RunLoopMode::Tracking);
  const int before = animator->frames;
  advance(0.5);
  loop.setCurrentMode(RunLoopMode::Default);
  EXPECT_EQ(animator->frames, before + 30);

  animator.reset();  // the owner goes: the next frame ends the link
  advance(DisplayLink::kFrameDuration);
  EXPECT_FALSE(link->isValid());
  EXPECT_EQ(loop.timerCount(), 0u);
}

TEST_F(DeviceAndLoop, ATargetsDelayedCallsAreCancelledTogether) {
  int a = 0, b = 0, plain = 0;
  const int targetA = 0, targetB = 0;
  loop.performAfter(
      0.5, [&] { ++a; }, &targetA);
  loop.performAfter(
      1.0, [&] { ++a; }, &targetA, RunLoopMode::Common);
  const auto single = loop.performAfter(
      1.0, [&] { ++a; }, &targetA);
  loop.performAfter(
      1.0, [&] { ++b; }, &targetB);
  loop.performAfter(1.0, [&] { ++plain; });
  loop.cancelPerform(single);  // one by id, the rest by target
  advance(0.6);
  EXPECT_EQ(a, 1);
  loop.cancelPerforms(&targetA);
  loop.cancelPerforms(&targetA);  // nothing left: harmless
  advance(1.0);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 1);
  EXPECT_EQ(plain, 1);
  // A call may cancel its own target's others.
  loop.performAfter(
      0.1, [&] { loop.cancelPerforms(&targetB); }, &targetB);
  loop.performAfter(
      0.2, [&] { ++b; }, &targetB);
  advance(1.0);
  EXPECT_EQ(b, 1);
}

TEST_F(DeviceAndLoop, LayerActionsSwitchImplicitAnimationsOffPerKey) {
  auto root = Layer::create();
  auto layer = Layer::create();
  root->addSublayer(layer);
  layer->setActions({{"opacity", nullptr}});
  layer->setOpacity(0.5);
  EXPECT_FALSE(layer->animationForKey("opacity"));  // switched off
  layer->setPosition({10, 10});
  EXPECT_TRUE(layer->animationForKey("position"));  // other keys still animate
  auto slow = BasicAnimation::create("bounds");
  slow->setDuration(3);
  layer->setActions({{"bounds", slow}});
  layer->setBounds(makeRect(0, 0, 5, 5));
  ASSERT_TRUE(layer->animationForKey("bounds"));
  EXPECT_EQ(layer->animationForKey("bounds")->duration(), 3);
  layer->setOpacity(1);  // its switch is gone with the old map
  EXPECT_TRUE(layer->animationForKey("opacity"));
}

}  // namespace
}  // namespace platform
