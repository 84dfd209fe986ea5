#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "animation_support.h"
#include "platform/animation/BasicAnimation.h"
#include "platform/animation/Layer.h"
#include "platform/animation/Transaction.h"

namespace platform {
namespace {

class AnimationCallbacks : public animation_test::OnVirtualClock {
 protected:
  // An animation that records "<name> start @t" and "<name> stop <finished> @t" on the clock.
  std::shared_ptr<BasicAnimation> recorded(const std::string& name, TimeInterval duration) {
    auto a = BasicAnimation::create("opacity");
    a->setFromValue(0.0);
    a->setToValue(1.0);
    a->setDuration(duration);
    a->setStartHandler([this, name](Animation&) {
      events.push_back(name + " start @" + std::to_string(clock.now() - start));
    });
    a->setStopHandler([this, name](Animation&, bool finished) {
      events.push_back(name + " stop " + (finished ? "1" : "0") + " @" +
                       std::to_string(clock.now() - start));
    });
    return a;
  }

  std::vector<std::string> events;
};

TEST_F(AnimationCallbacks, StartAndStopArriveOnTheRunLoopAtClockTime) {
  auto layer = Layer::create();
  auto a = recorded("a", 1);
  a->setBeginTime(start + 0.5);
  layer->addAnimation(a, "a");
  EXPECT_TRUE(events.empty());  // nothing inside addAnimation
  advance(0.25);
  EXPECT_TRUE(events.empty());
  advance(0.5);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0], "a start @0.500000");
  EXPECT_NE(layer->animationForKey("a"), nullptr);
  advance(1);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1], "a stop 1 @1.500000");
  EXPECT_EQ(layer->animationForKey("a"), nullptr);  // removed on completion

  // Kept after completion when asked; a later removal reports nothing more.
  auto kept = recorded("k", 1);
  kept->setRemovedOnCompletion(false);
  layer->addAnimation(kept, "k");
  advance(2);
  EXPECT_NE(layer->animationForKey("k"), nullptr);
  layer->removeAnimationForKey("k");
  advance(0);
  EXPECT_EQ(events.back(), "k stop 1 @2.750000");
}

TEST_F(AnimationCallbacks, ReplacedRemovedAndOrphanedAnimationsStopUnfinished) {
  auto layer = Layer::create();
  layer->addAnimation(recorded("first", 1), "fade");
  advance(0.1);
  layer->addAnimation(recorded("second", 1), "fade");  // same key: replaces
  EXPECT_EQ(events, (std::vector<std::string>{"first start @0.000000"}));
  advance(0.1);
  EXPECT_EQ(events[1], "first stop 0 @0.100000");
  EXPECT_EQ(events[2], "second start @0.100000");
  layer->removeAllAnimations();
  advance(5);
  EXPECT_EQ(events.back(), "second stop 0 @0.200000");
  EXPECT_EQ(events.size(), 4u);

  auto forever = recorded("forever", 1);
  forever->setRepeatCount(kRepeatForever);
  layer->addAnimation(forever, "spin");
  advance(100);
  EXPECT_EQ(events.back(), "forever start @5.200000");
  layer.reset();  // the layer goes away with it running
  advance(0);
  EXPECT_EQ(events.back(), "forever stop 0 @105.200000");
}

TEST_F(AnimationCallbacks, ActionsAndTransactions) {
  auto root = Layer::create();
  auto layer = Layer::create();
  // Alone, a layer changes without animating.
  layer->setOpacity(0.5);
  EXPECT_FALSE(layer->hasAnimations());
  // In a tree it animates for the transaction's duration from the old value.
  root->addSublayer(layer);
  layer->setOpacity(1);
  ASSERT_NE(layer->animationForKey("opacity"), nullptr);
  EXPECT_DOUBLE_EQ(layer->animationForKey("opacity")->duration(), 0.25);
  EXPECT_NEAR(layer->presentationAt(start)->opacity(), 0.5, 1e-9);
  EXPECT_DOUBLE_EQ(layer->presentationAt(start + 1)->opacity(), 1);

  bool completed = false;
  Transaction::begin();
  Transaction::setDisableActions(true);
  layer->setOpacity(0.2);
  layer->removeAllAnimations();
  Transaction::setDisableActions(false);
  Transaction::setAnimationDuration(2);
  Transaction::setCompletionBlock([&] { completed = true; });
  layer->setPosition({40, 40});
  Transaction::begin();  // a nested one counts for the outer completion too
  layer->addAnimation(recorded("long", 3), "long");
  Transaction::commit();
  Transaction::commit();
  EXPECT_EQ(layer->animationKeys(), (std::vector<std::string>{"position", "long"}));
  EXPECT_DOUBLE_EQ(layer->animationForKey("position")->duration(), 2);
  advance(2.5);
  EXPECT_FALSE(completed);
  advance(0.5);
  EXPECT_TRUE(completed);

  // With nothing animated the completion still comes, from the run loop.
  completed = false;
  Transaction::begin();
  Transaction::setCompletionBlock([&] { completed = true; });
  Transaction::commit();
  EXPECT_FALSE(completed);
  loop.runPending();
  EXPECT_TRUE(completed);
  EXPECT_EQ(Transaction::depth(), 0);
}

}  // namespace
}  // namespace platform
