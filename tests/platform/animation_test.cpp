// Layer animations on the virtual clock: their events, implicit actions and transactions, and
// sampled values of basic, keyframe, spring and group animations.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "animation_support.h"
#include "platform/animation/AnimationGroup.h"
#include "platform/animation/BasicAnimation.h"
#include "platform/animation/KeyframeAnimation.h"
#include "platform/animation/Layer.h"
#include "platform/animation/ShapeLayer.h"
#include "platform/animation/SpringAnimation.h"
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

// Replacing and removing are also driven through view animations; here the events' times, and a
// layer that goes away with its animation running.
TEST_F(AnimationCallbacks, ReplacedRemovedAndOrphanedAnimationsStopUnfinished) {
  auto layer = Layer::create();
  layer->addAnimation(recorded("first", 1), "fade");
  advance(0.1);
  layer->addAnimation(recorded("second", 1), "fade");  // same key: replaces
  advance(0.1);
  layer->removeAllAnimations();
  auto forever = recorded("forever", 1);
  forever->setRepeatCount(kRepeatForever);
  layer->addAnimation(forever, "spin");
  advance(100);
  layer.reset();
  advance(0);
  EXPECT_EQ(events,
            (std::vector<std::string>{"first start @0.000000", "first stop 0 @0.100000",
                                      "second start @0.100000", "second stop 0 @0.200000",
                                      "forever start @0.200000", "forever stop 0 @100.200000"}));
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

// Speed, offset and repeat duration move the end the run loop reports, not only the samples.
TEST_F(AnimationCallbacks, SpeedOffsetAndRepeatDurationMoveTheStop) {
  auto layer = Layer::create();
  auto fast = recorded("fast", 1);
  fast->setSpeed(2);
  layer->addAnimation(fast, "fast");
  auto skipped = recorded("skipped", 1);
  skipped->setTimeOffset(0.75);
  layer->addAnimation(skipped, "skipped");
  auto cut = recorded("cut", 1);
  cut->setRepeatCount(kRepeatForever);
  cut->setRepeatDuration(1.5);  // the duration wins over endless repeats
  layer->addAnimation(cut, "cut");
  auto paused = recorded("paused", 1);
  paused->setSpeed(0);
  layer->addAnimation(paused, "paused");
  advance(10);
  std::vector<std::string> stops;
  for (const auto& e : events)
    if (e.find(" stop ") != std::string::npos) stops.push_back(e);
  EXPECT_EQ(stops, (std::vector<std::string>{"skipped stop 1 @0.250000", "fast stop 1 @0.500000",
                                             "cut stop 1 @1.500000"}));
  EXPECT_NE(layer->animationForKey("paused"), nullptr);  // a stopped clock never ends it
  layer.reset();
  advance(0);
}

constexpr double kPi = 3.14159265358979323846;

class AnimationTiming : public animation_test::OnVirtualClock {
 protected:
  double opacityAt(TimeInterval t) {
    return std::get<double>(*layer->presentationAt(start + t)->valueForKeyPath("opacity"));
  }
  std::shared_ptr<BasicAnimation> fade(double from, double to, TimeInterval duration) {
    auto a = BasicAnimation::create("opacity");
    a->setFromValue(from);
    a->setToValue(to);
    a->setDuration(duration);
    return a;
  }

  std::shared_ptr<Layer> layer = Layer::create();
};

TEST_F(AnimationTiming, BasicAnimationSamplesWithFillModesAndRepeats) {
  layer->setOpacity(0.9);  // the model value, changed at once
  layer->addAnimation(fade(0, 1, 1), "fade");
  EXPECT_DOUBLE_EQ(layer->opacity(), 0.9);
  EXPECT_NEAR(opacityAt(0.25), 0.25, 1e-6);
  EXPECT_NEAR(opacityAt(0.75), 0.75, 1e-6);
  EXPECT_NEAR(opacityAt(1.5), 0.9, 1e-6);  // over, removed fill: the model shows

  // Starts in a second; backwards fill holds the first value until then, forwards the last after.
  auto later = fade(0.2, 0.6, 1);
  later->setBeginTime(start + 1);
  later->setFillMode(FillMode::Both);
  later->setRemovedOnCompletion(false);
  layer->addAnimation(later, "fade");
  EXPECT_NEAR(opacityAt(0.5), 0.2, 1e-6);
  EXPECT_NEAR(opacityAt(1.5), 0.4, 1e-6);
  EXPECT_NEAR(opacityAt(5), 0.6, 1e-6);

  // Autoreversing two and a half times: out and back per period, ending at the far end.
  auto bounce = fade(0, 1, 1);
  bounce->setAutoreverses(true);
  bounce->setRepeatCount(2.5);
  bounce->setFillMode(FillMode::Forwards);
  layer->addAnimation(bounce, "fade");
  EXPECT_NEAR(opacityAt(1.5), 0.5, 1e-6);
  EXPECT_NEAR(opacityAt(2.25), 0.25, 1e-6);
  EXPECT_NEAR(opacityAt(4.5), 0.5, 1e-6);
  EXPECT_NEAR(opacityAt(100), 1, 1e-6);
}

TEST_F(AnimationTiming, FromToByAndKeyPathsResolveAgainstTheModel) {
  layer->setOpacity(0.5);
  auto toOnly = BasicAnimation::create("opacity");
  toOnly->setToValue(1.0);
  toOnly->setDuration(1);
  layer->addAnimation(toOnly, "a");
  EXPECT_NEAR(opacityAt(0.5), 0.75, 1e-6);
  auto byOnly = BasicAnimation::create("opacity");
  byOnly->setByValue(-0.5);
  byOnly->setDuration(1);
  layer->addAnimation(byOnly, "a");
  EXPECT_NEAR(opacityAt(0.5), 0.25, 1e-6);
  auto byTo = BasicAnimation::create("opacity");
  byTo->setByValue(0.2);
  byTo->setToValue(0.2);
  byTo->setDuration(1);
  layer->addAnimation(byTo, "a");
  EXPECT_NEAR(opacityAt(0.5), 0.1, 1e-6);

  // A turn about z from a scaled model keeps the scale; the model transform is untouched.
  layer->setTransform(Transform3D::scale(2, 2));
  auto spin = BasicAnimation::create("transform.rotation.z");
  spin->setFromValue(0.0);
  spin->setToValue(2 * kPi);
  spin->setDuration(1);
  layer->addAnimation(spin, "spin");
  const Transform3D mid = layer->presentationAt(start + 0.25)->transform();
  EXPECT_NEAR(mid.parts().rotation, kPi / 2, 1e-6);
  EXPECT_NEAR(mid.parts().scaleX, 2, 1e-6);
  EXPECT_EQ(layer->transform(), Transform3D::scale(2, 2));

  // Positions and bounds by their parts.
  layer->setPosition({10, 10});
  auto slide = BasicAnimation::create("position.x");
  slide->setToValue(110.0);
  slide->setDuration(1);
  layer->addAnimation(slide);
  EXPECT_EQ(layer->presentationAt(start + 0.5)->position(), (Point{60, 10}));
  auto shape = ShapeLayer::create();
  auto draw = BasicAnimation::create("strokeEnd");
  draw->setFromValue(0.0);
  draw->setToValue(1.0);
  draw->setDuration(2);
  shape->addAnimation(draw);
  auto shown = std::static_pointer_cast<ShapeLayer>(shape->presentationAt(start + 0.5));
  EXPECT_NEAR(shown->strokeEnd(), 0.25, 1e-6);
  EXPECT_DOUBLE_EQ(shape->strokeEnd(), 1);
}

TEST_F(AnimationTiming, KeyframesSpringsAndGroups) {
  auto frames = KeyframeAnimation::create("position");
  frames->setValues({Point{0, 0}, Point{100, 0}, Point{100, 50}});
  frames->setKeyTimes({0, 0.8, 1});
  frames->setDuration(1);
  layer->addAnimation(frames, "move");
  // Clock times near 1.8e9 carry about 2e-7 s of rounding, hence the tolerances.
  const Point early = layer->presentationAt(start + 0.4)->position();
  EXPECT_NEAR(early.x, 50, 1e-4);
  EXPECT_NEAR(early.y, 0, 1e-4);
  const Point p = layer->presentationAt(start + 0.9)->position();
  EXPECT_NEAR(p.x, 100, 1e-4);
  EXPECT_NEAR(p.y, 25, 1e-4);

  // Discrete: four values, each a quarter of the time.
  auto steps = KeyframeAnimation::create("opacity");
  steps->setValues({0.1, 0.2, 0.3, 0.4});
  steps->setCalculationMode(CalculationMode::Discrete);
  steps->setDuration(1);
  layer->addAnimation(steps, "steps");
  EXPECT_DOUBLE_EQ(opacityAt(0.1), 0.1);
  EXPECT_DOUBLE_EQ(opacityAt(0.3), 0.2);
  EXPECT_DOUBLE_EQ(opacityAt(0.99), 0.4);

  // An underdamped spring overshoots and settles; presentation follows its curve in seconds.
  auto spring = SpringAnimation::create("opacity");
  spring->setFromValue(0.0);
  spring->setToValue(1.0);
  spring->setDamping(5);
  EXPECT_NEAR(spring->progressAt(0), 0, 1e-12);
  double peak = 0;
  for (double t = 0; t < 1; t += 0.01) peak = std::max(peak, spring->progressAt(t));
  EXPECT_GT(peak, 1.2);
  const TimeInterval settle = spring->settlingDuration();
  EXPECT_GT(settle, 0.5);
  EXPECT_LT(std::fabs(spring->progressAt(settle) - 1), 1e-3);
  EXPECT_GT(std::fabs(spring->progressAt(settle * 0.5) - 1), 1e-3);
  spring->setDuration(settle);
  layer->removeAnimationForKey("steps");
  layer->addAnimation(spring, "spring");
  EXPECT_NEAR(opacityAt(0.1), spring->progressAt(0.1), 1e-5);
  // Critically damped and overdamped springs never overshoot.
  spring->setDamping(20);
  spring->setInitialVelocity(0);
  for (double t = 0; t < 3; t += 0.05) EXPECT_LE(spring->progressAt(t), 1 + 1e-6);
  spring->setDamping(40);
  EXPECT_LT(spring->progressAt(0.2), 1);

  // A group: the second child starts half a second into the group and takes its duration.
  auto scale = BasicAnimation::create("transform.scale");
  scale->setFromValue(1.0);
  scale->setToValue(3.0);
  auto alpha = fade(1, 0, 0);
  alpha->setBeginTime(0.5);
  auto group = AnimationGroup::create();
  group->setAnimations({scale, alpha});
  group->setDuration(2);
  auto plain = Layer::create();
  plain->addAnimation(group, "group");
  auto shown = plain->presentationAt(start + 1);
  EXPECT_NEAR(shown->transform().parts().scaleX, 2, 1e-6);
  EXPECT_NEAR(shown->opacity(), 0.75, 1e-6);
  EXPECT_DOUBLE_EQ(plain->presentationAt(start + 0.25)->opacity(), 1);  // child not begun
}

TEST_F(AnimationTiming, SpeedOffsetRepeatDurationAndEasingShapeTheSamples) {
  auto fast = fade(0, 1, 1);
  fast->setSpeed(2);
  fast->setFillMode(FillMode::Forwards);
  layer->addAnimation(fast, "a");
  EXPECT_NEAR(opacityAt(0.25), 0.5, 1e-6);
  EXPECT_NEAR(opacityAt(3), 1, 1e-6);

  auto slow = fade(0, 1, 1);
  slow->setSpeed(0.5);
  slow->setTimeOffset(0.5);  // in the animation's own time, before speed applies
  layer->addAnimation(slow, "a");
  EXPECT_NEAR(opacityAt(0), 0.5, 1e-6);
  EXPECT_NEAR(opacityAt(0.5), 0.75, 1e-6);

  // A repeat duration ends part-way through an iteration and holds that value forwards.
  auto partial = fade(0, 1, 1);
  partial->setRepeatDuration(1.5);
  partial->setFillMode(FillMode::Forwards);
  layer->addAnimation(partial, "a");
  EXPECT_NEAR(opacityAt(1.25), 0.25, 1e-6);
  EXPECT_NEAR(opacityAt(9), 0.5, 1e-6);

  // Easing applies within each iteration, and a whole number of them ends on the last value.
  auto eased = fade(0, 1, 1);
  eased->setTimingFunction(TimingFunction::named(TimingFunctionName::EaseIn));
  eased->setRepeatCount(2);
  eased->setFillMode(FillMode::Forwards);
  layer->addAnimation(eased, "a");
  const double firstQuarter = opacityAt(0.25);
  EXPECT_LT(firstQuarter, 0.2);
  EXPECT_NEAR(opacityAt(1.25), firstQuarter, 1e-5);
  EXPECT_NEAR(opacityAt(2), 1, 1e-6);

  // No duration: the default at the top level.
  layer->addAnimation(fade(0, 1, 0), "a");
  EXPECT_NEAR(opacityAt(kDefaultAnimationDuration / 2), 0.5, 1e-5);
}

// Non-finite timing from a caller keeps the value it replaces, so samples stay numbers and the
// animation still ends.
TEST_F(AnimationTiming, NonFiniteTimingIsRefused) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  auto a = fade(0, 1, 1);
  a->setSpeed(nan);
  a->setSpeed(inf);
  a->setTimeOffset(nan);
  a->setDuration(inf);
  a->setDuration(nan);
  a->setBeginTime(nan);
  a->setRepeatCount(nan);
  a->setRepeatDuration(nan);
  EXPECT_DOUBLE_EQ(a->speed(), 1);
  EXPECT_DOUBLE_EQ(a->timeOffset(), 0);
  EXPECT_DOUBLE_EQ(a->duration(), 1);
  EXPECT_DOUBLE_EQ(a->beginTime(), 0);
  EXPECT_DOUBLE_EQ(a->repeatCount(), 0);
  EXPECT_DOUBLE_EQ(a->repeatDuration(), 0);
  layer->addAnimation(a, "a");
  EXPECT_NEAR(opacityAt(0.5), 0.5, 1e-6);
  advance(1.5);
  EXPECT_EQ(layer->animationForKey("a"), nullptr);
  // Repeating for ever stays allowed.
  a->setRepeatCount(kRepeatForever);
  EXPECT_TRUE(std::isinf(a->repeatCount()));
}

}  // namespace
}  // namespace platform
