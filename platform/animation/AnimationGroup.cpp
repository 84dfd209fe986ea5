#include "platform/animation/AnimationGroup.h"

namespace platform {

std::shared_ptr<AnimationGroup> AnimationGroup::create() {
  return std::shared_ptr<AnimationGroup>(new AnimationGroup());
}

std::shared_ptr<Animation> AnimationGroup::copy() const {
  auto group = std::shared_ptr<AnimationGroup>(new AnimationGroup(*this));
  group->setAnimations(animations_);  // deep: the children are copied too
  return group;
}

void AnimationGroup::setAnimations(const std::vector<std::shared_ptr<Animation>>& animations) {
  animations_.clear();
  for (const auto& a : animations) {
    if (a) animations_.push_back(a->copy());
  }
}

void AnimationGroup::applySample(Layer& presentation, const Sample& sample) const {
  const TimeInterval local = sample.eased * sample.duration;
  for (const auto& child : animations_) {
    child->applyAt(presentation, local - child->beginTime(), sample.duration);
  }
}

}  // namespace platform
