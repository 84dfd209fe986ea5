#include "platform/animation/BasicAnimation.h"

#include "platform/animation/Layer.h"

namespace platform {

std::shared_ptr<BasicAnimation> BasicAnimation::create(std::string keyPath) {
  return std::shared_ptr<BasicAnimation>(new BasicAnimation(std::move(keyPath)));
}

std::shared_ptr<Animation> BasicAnimation::copy() const {
  return std::shared_ptr<BasicAnimation>(new BasicAnimation(*this));
}

void BasicAnimation::applySample(Layer& presentation, const Sample& sample) const {
  applyFraction(presentation, sample.eased);
}

void BasicAnimation::applyFraction(Layer& presentation, double fraction) const {
  const std::optional<AnimationValue> base = baseValue(presentation);
  std::optional<AnimationValue> start, end;
  if (from_ && to_) {
    start = from_, end = to_;
  } else if (from_ && by_) {
    start = from_, end = addValues(*from_, *by_);
  } else if (by_ && to_) {
    start = subtractValues(*to_, *by_), end = to_;
  } else if (from_) {
    start = from_, end = base;
  } else if (to_) {
    start = base, end = to_;
  } else if (by_ && base) {
    start = base, end = addValues(*base, *by_);
  }
  if (!start || !end) return;
  applyValue(presentation, interpolate(*start, *end, fraction));
}

}  // namespace platform
