#include "platform/animation/KeyframeAnimation.h"

#include <algorithm>
#include <cmath>

namespace platform {
namespace {

double distanceBetween(const AnimationValue& a, const AnimationValue& b) {
  if (const auto* x = std::get_if<double>(&a)) {
    if (const auto* y = std::get_if<double>(&b)) return std::fabs(*y - *x);
  }
  if (const auto* p = std::get_if<Point>(&a)) {
    if (const auto* q = std::get_if<Point>(&b)) return std::hypot(q->x - p->x, q->y - p->y);
  }
  return 1;
}

}  // namespace

std::shared_ptr<KeyframeAnimation> KeyframeAnimation::create(std::string keyPath) {
  return std::shared_ptr<KeyframeAnimation>(new KeyframeAnimation(std::move(keyPath)));
}

std::shared_ptr<Animation> KeyframeAnimation::copy() const {
  return std::shared_ptr<KeyframeAnimation>(new KeyframeAnimation(*this));
}

std::vector<double> KeyframeAnimation::effectiveKeyTimes() const {
  const std::size_t n = values_.size();
  const bool discrete = mode_ == CalculationMode::Discrete;
  if (mode_ != CalculationMode::Paced && keyTimes_.size() == n) return keyTimes_;
  std::vector<double> times(n, 0);
  if (mode_ == CalculationMode::Paced && n > 1) {
    double total = 0;
    for (std::size_t i = 1; i < n; ++i) {
      total += distanceBetween(values_[i - 1], values_[i]);
      times[i] = total;
    }
    for (double& t : times) t = total > 0 ? t / total : 0;
    return times;
  }
  const double gaps = discrete ? static_cast<double>(n) : static_cast<double>(n - 1);
  for (std::size_t i = 0; i < n; ++i) times[i] = gaps > 0 ? i / gaps : 0;
  return times;
}

std::optional<AnimationValue> KeyframeAnimation::valueAt(double progress) const {
  if (values_.empty()) return std::nullopt;
  const std::vector<double> times = effectiveKeyTimes();
  const std::size_t n = values_.size();
  // The last key at or before `progress`.
  std::size_t i = 0;
  while (i + 1 < n && times[i + 1] <= progress) ++i;
  if (mode_ == CalculationMode::Discrete || i + 1 >= n || progress <= times[0]) {
    return progress < times[0] ? values_.front() : values_[i];
  }
  const double span = times[i + 1] - times[i];
  double f = span > 0 ? (progress - times[i]) / span : 1;
  if (i < timingFunctions_.size()) f = timingFunctions_[i].evaluate(f);
  return interpolate(values_[i], values_[i + 1], f);
}

void KeyframeAnimation::applySample(Layer& presentation, const Sample& sample) const {
  if (auto v = valueAt(sample.eased)) applyValue(presentation, *v);
}

}  // namespace platform
