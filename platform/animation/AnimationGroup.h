#pragma once

#include <vector>

#include "platform/animation/Animation.h"

namespace platform {

// Runs its animations together on its own timeline: each child's beginTime is relative to the
// group's start, a child without a duration takes the group's, and nothing outlives the group.
class AnimationGroup : public Animation {
 public:
  static std::shared_ptr<AnimationGroup> create();
  std::shared_ptr<Animation> copy() const override;

  const std::vector<std::shared_ptr<Animation>>& animations() const { return animations_; }
  void setAnimations(const std::vector<std::shared_ptr<Animation>>& animations);

 protected:
  AnimationGroup() = default;
  void applySample(Layer& presentation, const Sample& sample) const override;

 private:
  std::vector<std::shared_ptr<Animation>> animations_;
};

}  // namespace platform
