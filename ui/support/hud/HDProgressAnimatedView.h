#pragma once

#include <memory>

#include "ui/support/hud/HDAnimatedArcView.h"

namespace sprout {

// A circle drawn clockwise from the top up to a fraction of its length: the HUD's progress ring
// and, at full length and faint, its track.
class HDProgressAnimatedView : public HDAnimatedArcView {
 public:
  static std::shared_ptr<HDProgressAnimatedView> create(const platform::Rect& frame = {});

  // The fraction drawn, 0...1. A rebuilt layer starts from the stored value, so a radius change
  // never loses the progress shown.
  double strokeEnd() const { return strokeEnd_; }
  void setStrokeEnd(double strokeEnd);

  // Built on first use.
  const std::shared_ptr<platform::ShapeLayer>& ringAnimatedLayer() { return animatedLayer(); }

  explicit HDProgressAnimatedView(Key key) : HDAnimatedArcView(std::move(key)) {}

 protected:
  std::shared_ptr<platform::ShapeLayer> makeAnimatedLayer() const override;

 private:
  double strokeEnd_ = 1;  // the whole circle until told otherwise
};

}  // namespace sprout
