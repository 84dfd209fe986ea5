#pragma once

#include <memory>

#include "platform/animation/Layer.h"

namespace sprout {

// Darkens towards the edges for the HUD's gradient mask: transparent black at gradientCenter to
// three-quarters black at the distance of the shorter side of the bounds, and that beyond.
class HDRadialGradientLayer : public platform::Layer {
 public:
  static std::shared_ptr<HDRadialGradientLayer> create();

  platform::Point gradientCenter() const { return gradientCenter_; }
  void setGradientCenter(const platform::Point& center) { gradientCenter_ = center; }

  void drawInContext(platform::Context& context) override;

 protected:
  HDRadialGradientLayer() = default;
  std::shared_ptr<platform::Layer> makeCopy() const override;

 private:
  platform::Point gradientCenter_;
};

}  // namespace sprout
