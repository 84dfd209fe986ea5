#pragma once

#include <memory>

#include "platform/ui/View.h"
#include "ui/components/progress/CPCircularProgressLayer.h"

namespace sprout {

// A small round progress indicator whose values live in its CPCircularProgressLayer. Defaults:
// track white at 0.3 alpha, progress white, thickness 0.3 of the radius, square ends.
class CPCircularProgressView : public platform::View {
 public:
  static std::shared_ptr<CPCircularProgressView> create(
      const platform::Rect& frame = platform::makeRect(0, 0, 40, 40));

  CPCircularProgressLayer& circularProgressLayer() const { return *progressLayer_; }

  double progress() const { return progressLayer_->progress(); }
  void setProgress(double progress) { setProgress(progress, false); }
  // Clamped to 0...1 (not a number counts as 1). Animated: over |current - new| seconds, ease in
  // and out, under the layer's key "progress".
  void setProgress(double progress, bool animated);

  platform::Color trackTintColor() const { return progressLayer_->trackTintColor(); }
  void setTrackTintColor(const platform::Color& color);
  platform::Color progressTintColor() const { return progressLayer_->progressTintColor(); }
  void setProgressTintColor(const platform::Color& color);
  long roundedCorners() const { return progressLayer_->roundedCorners(); }
  void setRoundedCorners(long rounded);
  double thicknessRatio() const { return progressLayer_->thicknessRatio(); }
  void setThicknessRatio(double ratio);  // clamped to 0...1

  void didMoveToWindow() override;

  CPCircularProgressView(Key key, const platform::Rect& frame,
                         std::shared_ptr<CPCircularProgressLayer> layer);
  explicit CPCircularProgressView(Key key, const platform::Rect& frame)
      : CPCircularProgressView(std::move(key), frame, CPCircularProgressLayer::create()) {}

 private:
  std::shared_ptr<CPCircularProgressLayer> progressLayer_;
};

}  // namespace sprout
