#pragma once

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <optional>

#include "platform/animation/AnimationDelegate.h"
#include "platform/animation/TimingFunction.h"
#include "platform/foundation/Types.h"

namespace platform {

class Layer;

enum class FillMode { Removed, Forwards, Backwards, Both };

inline constexpr double kRepeatForever = std::numeric_limits<double>::infinity();
// What a duration of 0 means at the top level; inside a group a child takes the group's.
inline constexpr TimeInterval kDefaultAnimationDuration = 0.25;

// The timing every animation shares. A layer adds a copy of the animation it is given, so changes
// to the original afterwards do not reach the running one.
class Animation {
 public:
  using StartHandler = std::function<void(Animation&)>;
  using StopHandler = std::function<void(Animation&, bool finished)>;

  virtual ~Animation();
  virtual std::shared_ptr<Animation> copy() const = 0;

  // Absolute clock time when added to a layer (0: when added); relative to the group's start for
  // an animation inside a group.
  TimeInterval beginTime() const { return beginTime_; }
  void setBeginTime(TimeInterval t) { keepFinite(beginTime_, t); }
  TimeInterval duration() const { return duration_; }
  void setDuration(TimeInterval d) { keepFinite(duration_, d); }
  double speed() const { return speed_; }
  void setSpeed(double s) { keepFinite(speed_, s); }
  TimeInterval timeOffset() const { return timeOffset_; }
  void setTimeOffset(TimeInterval t) { keepFinite(timeOffset_, t); }
  // 0 means once; kRepeatForever repeats until removed. Fractions end part-way.
  double repeatCount() const { return repeatCount_; }
  void setRepeatCount(double n) {
    if (!std::isnan(n)) repeatCount_ = n;
  }
  TimeInterval repeatDuration() const { return repeatDuration_; }
  void setRepeatDuration(TimeInterval d) {
    if (!std::isnan(d)) repeatDuration_ = d;
  }
  bool autoreverses() const { return autoreverses_; }
  void setAutoreverses(bool v) { autoreverses_ = v; }
  FillMode fillMode() const { return fillMode_; }
  void setFillMode(FillMode m) { fillMode_ = m; }
  bool isRemovedOnCompletion() const { return removedOnCompletion_; }
  void setRemovedOnCompletion(bool v) { removedOnCompletion_ = v; }
  // nullopt: linear.
  const std::optional<TimingFunction>& timingFunction() const { return timingFunction_; }
  void setTimingFunction(std::optional<TimingFunction> f) { timingFunction_ = f; }

  const std::shared_ptr<AnimationDelegate>& delegate() const { return delegate_; }
  void setDelegate(std::shared_ptr<AnimationDelegate> d) { delegate_ = std::move(d); }
  // Called after the delegate, the same way.
  void setStartHandler(StartHandler h) { startHandler_ = std::move(h); }
  void setStopHandler(StopHandler h) { stopHandler_ = std::move(h); }

  TimeInterval effectiveDuration(TimeInterval inheritedDuration) const;
  // Duration times repeats (twice as long when autoreversing); infinite when repeating for ever.
  TimeInterval activeDuration(TimeInterval inheritedDuration) const;
  // Writes this animation's effect into `presentation`. `local` is the time since the animation
  // began, in its parent's time (the clock for a layer's own animations).
  void applyAt(Layer& presentation, TimeInterval local, TimeInterval inheritedDuration) const;

  void notifyStart();
  void notifyStop(bool finished);

 protected:
  Animation() = default;
  Animation(const Animation&) = default;
  Animation& operator=(const Animation&) = default;

  struct Sample {
    double eased = 0;           // progress through the iteration after the timing function
    double raw = 0;             // progress before it
    TimeInterval duration = 0;  // one iteration's length
  };
  virtual void applySample(Layer& presentation, const Sample& sample) const = 0;

 private:
  // Timing that is not a number would make every sample one; a caller's NaN or infinity keeps
  // the value it would replace (repeats may still be endless).
  static void keepFinite(double& field, double value) {
    if (std::isfinite(value)) field = value;
  }

  TimeInterval beginTime_ = 0;
  TimeInterval duration_ = 0;
  double speed_ = 1;
  TimeInterval timeOffset_ = 0;
  double repeatCount_ = 0;
  TimeInterval repeatDuration_ = 0;
  bool autoreverses_ = false;
  FillMode fillMode_ = FillMode::Removed;
  bool removedOnCompletion_ = true;
  std::optional<TimingFunction> timingFunction_;
  std::shared_ptr<AnimationDelegate> delegate_;
  StartHandler startHandler_;
  StopHandler stopHandler_;
};

}  // namespace platform
