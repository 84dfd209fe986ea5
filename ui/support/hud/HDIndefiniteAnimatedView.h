#pragma once

#include <cmath>
#include <memory>

#include "ui/support/hud/HDAnimatedArcView.h"

namespace sprout {

// The HUD's waiting spinner: an arc that runs round its circle without end. The stroke trims
// forward by half its path each second while a mask that fades the arc's tail turns once a
// second with it.
class HDIndefiniteAnimatedView : public HDAnimatedArcView {
 public:
  static std::shared_ptr<HDIndefiniteAnimatedView> create(const platform::Rect& frame = {});

  // Built on first use.
  const std::shared_ptr<platform::ShapeLayer>& indefiniteAnimatedLayer() { return animatedLayer(); }

  static constexpr double kStartAngle = 3 * M_PI / 2;       // the top of the circle
  static constexpr double kEndAngle = M_PI / 2 + 5 * M_PI;  // two turns further on

  explicit HDIndefiniteAnimatedView(Key key) : HDAnimatedArcView(std::move(key)) {}

 protected:
  std::shared_ptr<platform::ShapeLayer> makeAnimatedLayer() const override;
};

}  // namespace sprout
