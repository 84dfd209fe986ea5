#pragma once

#include <string>

#include "platform/animation/Animation.h"
#include "platform/animation/AnimationValue.h"

namespace platform {

// An animation of one layer property named by a key path ("opacity", "transform.rotation.z" ...).
class PropertyAnimation : public Animation {
 public:
  const std::string& keyPath() const { return keyPath_; }
  void setKeyPath(std::string keyPath) { keyPath_ = std::move(keyPath); }
  // Additive: the animated value is added to the value underneath instead of replacing it.
  bool isAdditive() const { return additive_; }
  void setAdditive(bool v) { additive_ = v; }

 protected:
  explicit PropertyAnimation(std::string keyPath) : keyPath_(std::move(keyPath)) {}
  // The value underneath this animation (the model value or what earlier animations made of it).
  std::optional<AnimationValue> baseValue(const Layer& presentation) const;
  void applyValue(Layer& presentation, const AnimationValue& value) const;

 private:
  std::string keyPath_;
  bool additive_ = false;
};

}  // namespace platform
