// The burst's key frames. Every animation interpolates linearly between its keys, is removed
// when done and leaves its layer at the resting value.
#include <vector>

#include "platform/animation/AnimationValue.h"
#include "ui/components/likebutton/LKLikeButton.h"

namespace sprout {
namespace {

using platform::AnimationValue;
using platform::KeyframeAnimation;
using platform::Transform3D;

constexpr double kDiscShare = 0.333;
constexpr double kStrokeShare = 0.6;

std::shared_ptr<KeyframeAnimation> keyframes(const char* keyPath, std::vector<double> keyTimes,
                                             std::vector<AnimationValue> values) {
  auto animation = KeyframeAnimation::create(keyPath);
  animation->setKeyTimes(std::move(keyTimes));
  animation->setValues(std::move(values));
  return animation;
}

std::vector<AnimationValue> numbers(const std::vector<double>& values) {
  return {values.begin(), values.end()};
}

std::vector<AnimationValue> scales(const std::vector<double>& factors) {
  std::vector<AnimationValue> out;
  for (double f : factors) out.emplace_back(Transform3D::scale(f, f, 1));
  return out;
}

}  // namespace

void LKLikeButton::initAnimations() {
  circleTransform_ = keyframes("transform", {0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 1.0},
                               scales({0, 0.5, 1.0, 1.2, 1.3, 1.37, 1.4, 1.4}));

  // The hole of radius 0.1 grows by the image's own size, to half its width at the end: the
  // disc is hollowed out completely.
  const double w = imageFrame_.size.width, h = imageFrame_.size.height;
  std::vector<AnimationValue> mask = {Transform3D::identity(), Transform3D::identity()};
  for (double f : {1.25, 2.688, 3.923, 4.375, 4.731, 5.0, 5.0}) {
    mask.emplace_back(Transform3D::scale(w * f, h * f, 1));
  }
  circleMaskTransform_ =
      keyframes("transform", {0, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.9, 1.0}, std::move(mask));

  lineStrokeStart_ = keyframes(
      "strokeStart", {0, 0.056, 0.111, 0.167, 0.222, 0.278, 0.333, 0.389, 0.444, 0.944, 1.0},
      numbers({0, 0, 0.18, 0.2, 0.26, 0.32, 0.4, 0.6, 0.71, 0.89, 0.92}));
  lineStrokeEnd_ = keyframes("strokeEnd", {0, 0.056, 0.111, 0.167, 0.222, 0.278, 0.944, 1.0},
                             numbers({0, 0, 0.32, 0.48, 0.64, 0.68, 0.92, 0.92}));
  // The fade's keys stop at 0.567: the rays stay invisible for the rest of the burst.
  lineOpacity_ = keyframes("opacity", {0, 0.4, 0.567}, numbers({1, 1, 0}));

  std::vector<AnimationValue> pop = scales(
      {0, 0, 1.2, 1.25, 1.2, 0.9, 0.875, 0.875, 0.9, 1.013, 1.025, 1.013, 0.96, 0.95, 0.96, 0.99});
  pop.emplace_back(Transform3D::identity());
  imageTransform_ = keyframes("transform",
                              {0, 0.1, 0.3, 0.333, 0.367, 0.467, 0.5, 0.533, 0.567, 0.667, 0.7,
                               0.733, 0.833, 0.867, 0.9, 0.967, 1.0},
                              std::move(pop));

  circleTransform_->setDuration(kDiscShare);
  circleMaskTransform_->setDuration(kDiscShare);
  lineStrokeStart_->setDuration(kStrokeShare);
  lineStrokeEnd_->setDuration(kStrokeShare);
  lineOpacity_->setDuration(1);
  imageTransform_->setDuration(1);
}

void LKLikeButton::setDuration(double duration) {
  duration_ = duration;
  circleTransform_->setDuration(duration * kDiscShare);
  circleMaskTransform_->setDuration(duration * kDiscShare);
  lineStrokeStart_->setDuration(duration * kStrokeShare);
  lineStrokeEnd_->setDuration(duration * kStrokeShare);
  lineOpacity_->setDuration(duration);
  imageTransform_->setDuration(duration);
}

}  // namespace sprout
