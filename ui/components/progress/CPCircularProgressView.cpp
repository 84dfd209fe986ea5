#include "ui/components/progress/CPCircularProgressView.h"

#include <algorithm>
#include <cmath>

#include "platform/animation/BasicAnimation.h"
#include "platform/animation/TimingFunction.h"
#include "platform/ui/Screen.h"

namespace sprout {

CPCircularProgressView::CPCircularProgressView(Key key, const platform::Rect& frame,
                                               std::shared_ptr<CPCircularProgressLayer> layer)
    : View(std::move(key), frame, layer), progressLayer_(std::move(layer)) {
  setBackgroundColor(platform::Color::clear());
}

std::shared_ptr<CPCircularProgressView> CPCircularProgressView::create(
    const platform::Rect& frame) {
  return make<CPCircularProgressView>(frame);
}

void CPCircularProgressView::didMoveToWindow() {
  progressLayer_->setContentsScale(platform::Screen::main().scale());
}

void CPCircularProgressView::setProgress(double progress, bool animated) {
  const double p = std::isnan(progress) ? 1.0 : std::clamp(progress, 0.0, 1.0);
  if (animated) {
    const double current = progressLayer_->progress();
    auto animation = platform::BasicAnimation::create("progress");
    animation->setDuration(std::fabs(current - p));
    animation->setTimingFunction(
        platform::TimingFunction::named(platform::TimingFunctionName::EaseInEaseOut));
    animation->setFromValue(static_cast<double>(static_cast<float>(current)));
    animation->setToValue(static_cast<double>(static_cast<float>(p)));
    progressLayer_->addAnimation(animation, "progress");
  } else {
    progressLayer_->setNeedsDisplay();
  }
  progressLayer_->setProgress(p);
}

void CPCircularProgressView::setTrackTintColor(const platform::Color& color) {
  progressLayer_->setTrackTintColor(color);
  progressLayer_->setNeedsDisplay();
}

void CPCircularProgressView::setProgressTintColor(const platform::Color& color) {
  progressLayer_->setProgressTintColor(color);
  progressLayer_->setNeedsDisplay();
}

void CPCircularProgressView::setRoundedCorners(long rounded) {
  progressLayer_->setRoundedCorners(rounded);
  progressLayer_->setNeedsDisplay();
}

void CPCircularProgressView::setThicknessRatio(double ratio) {
  progressLayer_->setThicknessRatio(std::isnan(ratio) ? 0.0 : std::clamp(ratio, 0.0, 1.0));
  progressLayer_->setNeedsDisplay();
}

}  // namespace sprout
