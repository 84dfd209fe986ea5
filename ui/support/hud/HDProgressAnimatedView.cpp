#include "ui/support/hud/HDProgressAnimatedView.h"

#include <cmath>

namespace sprout {

std::shared_ptr<HDProgressAnimatedView> HDProgressAnimatedView::create(
    const platform::Rect& frame) {
  auto view = make<HDProgressAnimatedView>();
  view->setFrame(frame);
  return view;
}

void HDProgressAnimatedView::setStrokeEnd(double strokeEnd) {
  strokeEnd_ = strokeEnd;
  if (const auto& ring = currentAnimatedLayer()) ring->setStrokeEnd(strokeEnd);
}

std::shared_ptr<platform::ShapeLayer> HDProgressAnimatedView::makeAnimatedLayer() const {
  auto ring =
      makeStrokeLayer(platform::Path::arc(arcCenter(), radius(), -M_PI / 2, 3 * M_PI / 2, true));
  ring->setStrokeEnd(strokeEnd_);
  return ring;
}

}  // namespace sprout
