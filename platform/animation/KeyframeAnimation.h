#pragma once

#include <vector>

#include "platform/animation/PropertyAnimation.h"

namespace platform {

enum class CalculationMode { Linear, Discrete, Paced };

// Through a list of values. keyTimes (0...1, one per value, ascending) place them in time; without
// them the values are spread evenly. Discrete shows each value until the next key time (with n
// values and no key times, each gets 1/n of the time). Paced spreads linear values by distance
// for numbers and points, evenly otherwise. timingFunctions, one per gap, ease each gap.
class KeyframeAnimation : public PropertyAnimation {
 public:
  static std::shared_ptr<KeyframeAnimation> create(std::string keyPath);
  std::shared_ptr<Animation> copy() const override;

  const std::vector<AnimationValue>& values() const { return values_; }
  void setValues(std::vector<AnimationValue> v) { values_ = std::move(v); }
  const std::vector<double>& keyTimes() const { return keyTimes_; }
  void setKeyTimes(std::vector<double> t) { keyTimes_ = std::move(t); }
  const std::vector<TimingFunction>& timingFunctions() const { return timingFunctions_; }
  void setTimingFunctions(std::vector<TimingFunction> f) { timingFunctions_ = std::move(f); }
  CalculationMode calculationMode() const { return mode_; }
  void setCalculationMode(CalculationMode m) { mode_ = m; }

  // The value at `progress` (0...1) through the animation; nullopt without values.
  std::optional<AnimationValue> valueAt(double progress) const;

 protected:
  explicit KeyframeAnimation(std::string keyPath) : PropertyAnimation(std::move(keyPath)) {}
  void applySample(Layer& presentation, const Sample& sample) const override;

 private:
  std::vector<double> effectiveKeyTimes() const;

  std::vector<AnimationValue> values_;
  std::vector<double> keyTimes_;
  std::vector<TimingFunction> timingFunctions_;
  CalculationMode mode_ = CalculationMode::Linear;
};

}  // namespace platform
