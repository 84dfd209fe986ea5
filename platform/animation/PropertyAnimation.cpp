#include "platform/animation/PropertyAnimation.h"

#include "platform/animation/Layer.h"

namespace platform {

std::optional<AnimationValue> PropertyAnimation::baseValue(const Layer& presentation) const {
  return presentation.valueForKeyPath(keyPath_);
}

void PropertyAnimation::applyValue(Layer& presentation, const AnimationValue& value) const {
  if (additive_) {
    if (auto base = baseValue(presentation)) {
      if (auto sum = addValues(*base, value)) {
        presentation.setValueForKeyPath(keyPath_, *sum);
        return;
      }
    }
  }
  presentation.setValueForKeyPath(keyPath_, value);
}

}  // namespace platform
