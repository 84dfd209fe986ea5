#include "platform/animation/Animation.h"

#include <cmath>

namespace platform {

Animation::~Animation() = default;

TimeInterval Animation::effectiveDuration(TimeInterval inheritedDuration) const {
  if (duration_ > 0) return duration_;
  return inheritedDuration > 0 ? inheritedDuration : kDefaultAnimationDuration;
}

TimeInterval Animation::activeDuration(TimeInterval inheritedDuration) const {
  const TimeInterval period = effectiveDuration(inheritedDuration) * (autoreverses_ ? 2 : 1);
  if (repeatDuration_ > 0) return repeatDuration_;
  if (std::isinf(repeatCount_)) return kRepeatForever;
  return period * (repeatCount_ > 0 ? repeatCount_ : 1);
}

void Animation::applyAt(Layer& presentation, TimeInterval local,
                        TimeInterval inheritedDuration) const {
  const TimeInterval d = effectiveDuration(inheritedDuration);
  const TimeInterval active = activeDuration(inheritedDuration);
  double t = local * speed_ + timeOffset_;
  bool atEnd = false;
  if (t < 0) {
    if (fillMode_ != FillMode::Backwards && fillMode_ != FillMode::Both) return;
    t = 0;
  } else if (t >= active) {
    if (fillMode_ != FillMode::Forwards && fillMode_ != FillMode::Both) return;
    t = active;
    atEnd = true;
  }
  const TimeInterval period = autoreverses_ ? 2 * d : d;
  double iteration = std::fmod(t, period);
  // The end of a whole number of iterations is the end of the last one, not the start of the next.
  if (atEnd && iteration == 0 && t > 0) iteration = period;
  double raw = iteration / d;
  if (raw > 1) raw = 2 - raw;
  Sample sample;
  sample.raw = raw;
  sample.eased = timingFunction_ ? timingFunction_->evaluate(raw) : raw;
  sample.duration = d;
  applySample(presentation, sample);
}

void Animation::notifyStart() {
  if (delegate_) delegate_->animationDidStart(*this);
  if (startHandler_) startHandler_(*this);
}

void Animation::notifyStop(bool finished) {
  if (delegate_) delegate_->animationDidStop(*this, finished);
  if (stopHandler_) stopHandler_(*this, finished);
}

}  // namespace platform
