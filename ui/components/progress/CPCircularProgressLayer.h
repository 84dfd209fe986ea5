#pragma once

#include <memory>

#include "platform/animation/Layer.h"
#include "platform/graphics/Color.h"

namespace sprout {

// Draws a round progress indicator: a disc in the track colour, a slice in the progress colour
// from twelve o'clock clockwise, and a clear hole that leaves a ring. "progress" animates: the
// presentation copy of each frame draws its own value.
class CPCircularProgressLayer : public platform::Layer {
 public:
  static std::shared_ptr<CPCircularProgressLayer> create();

  platform::Color trackTintColor() const { return trackTintColor_; }
  void setTrackTintColor(const platform::Color& c) { trackTintColor_ = c; }
  platform::Color progressTintColor() const { return progressTintColor_; }
  void setProgressTintColor(const platform::Color& c) { progressTintColor_ = c; }
  long roundedCorners() const { return roundedCorners_; }
  void setRoundedCorners(long v) { roundedCorners_ = v; }
  double thicknessRatio() const { return thicknessRatio_; }
  void setThicknessRatio(double v) { thicknessRatio_ = v; }
  double progress() const { return progress_; }
  void setProgress(double v) { progress_ = v; }

  std::optional<platform::AnimationValue> valueForKeyPath(std::string_view keyPath) const override;
  bool setValueForKeyPath(std::string_view keyPath, const platform::AnimationValue& value) override;
  void renderContent(cairo_t* cr) const override;

 protected:
  CPCircularProgressLayer() = default;
  std::shared_ptr<platform::Layer> makeCopy() const override;

 private:
  platform::Color trackTintColor_ = platform::Color::white(1, 0.3f);
  platform::Color progressTintColor_ = platform::Color::white(1, 1);
  long roundedCorners_ = 0;
  double thicknessRatio_ = 0.3f;
  double progress_ = 0;
};

}  // namespace sprout
