#pragma once

#include "platform/animation/PropertyAnimation.h"

namespace platform {

// From one value to another. With only some of from / to / by given, the missing end is the
// value underneath (the model value): from+to, from+by, by+to, from only, to only, by only.
class BasicAnimation : public PropertyAnimation {
 public:
  static std::shared_ptr<BasicAnimation> create(std::string keyPath);
  std::shared_ptr<Animation> copy() const override;

  const std::optional<AnimationValue>& fromValue() const { return from_; }
  void setFromValue(std::optional<AnimationValue> v) { from_ = std::move(v); }
  const std::optional<AnimationValue>& toValue() const { return to_; }
  void setToValue(std::optional<AnimationValue> v) { to_ = std::move(v); }
  const std::optional<AnimationValue>& byValue() const { return by_; }
  void setByValue(std::optional<AnimationValue> v) { by_ = std::move(v); }

 protected:
  explicit BasicAnimation(std::string keyPath) : PropertyAnimation(std::move(keyPath)) {}
  void applySample(Layer& presentation, const Sample& sample) const override;
  // Blends the two ends at `fraction` (0 → start, 1 → end) and applies the result.
  void applyFraction(Layer& presentation, double fraction) const;

 private:
  std::optional<AnimationValue> from_, to_, by_;
};

}  // namespace platform
