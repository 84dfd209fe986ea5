#include "ui/support/hud/HDAnimatedArcView.h"

#include "platform/animation/Transaction.h"
#include "platform/ui/Screen.h"

namespace sprout {

using platform::Point;
using platform::Size;

HDAnimatedArcView::HDAnimatedArcView(Key key) : View(std::move(key), platform::Rect{}) {}

Point HDAnimatedArcView::arcCenter() const {
  const double c = radius_ + strokeThickness_ / 2 + 5;
  return {c, c};
}

Size HDAnimatedArcView::sizeThatFits(const Size& /*size*/) const {
  const Point c = arcCenter();
  return {2 * c.x, 2 * c.y};
}

void HDAnimatedArcView::setRadius(double radius) {
  if (radius == radius_) return;
  radius_ = radius;
  dropAnimatedLayer();
  if (superview()) layoutAnimatedLayer();
}

void HDAnimatedArcView::setStrokeThickness(double thickness) {
  strokeThickness_ = thickness;
  // An unchanged value would still start an implicit animation of the layer.
  if (arcLayer_ && arcLayer_->lineWidth() != thickness) arcLayer_->setLineWidth(thickness);
}

void HDAnimatedArcView::setStrokeColor(const platform::Color& color) {
  strokeColor_ = color;
  if (arcLayer_ && !(arcLayer_->strokeColor() == color)) arcLayer_->setStrokeColor(color);
}

void HDAnimatedArcView::willMoveToSuperview(const std::shared_ptr<View>& newSuperview) {
  if (!newSuperview) {
    dropAnimatedLayer();
  } else {
    layoutAnimatedLayer();
  }
}

void HDAnimatedArcView::layoutAnimatedLayer() {
  const auto& arc = animatedLayer();
  // Placing the layer is not a change anyone should watch slide into place.
  platform::Transaction::begin();
  platform::Transaction::setDisableActions(true);
  if (arc->superlayer().get() != layer().get()) layer()->addSublayer(arc);
  const Size view = bounds().size;
  const Size own = arc->bounds().size;
  arc->setPosition({view.width - own.width / 2 - (view.width - own.width) / 2,
                    view.height - own.height / 2 - (view.height - own.height) / 2});
  platform::Transaction::commit();
}

const std::shared_ptr<platform::ShapeLayer>& HDAnimatedArcView::animatedLayer() {
  if (!arcLayer_) arcLayer_ = makeAnimatedLayer();
  return arcLayer_;
}

std::shared_ptr<platform::ShapeLayer> HDAnimatedArcView::makeStrokeLayer(
    platform::Path path) const {
  auto shape = platform::ShapeLayer::create();
  const Size size = sizeThatFits({});
  shape->setContentsScale(platform::Screen::main().scale());
  shape->setFrame({{0, 0}, size});
  shape->setFillColor(platform::Color::clear());
  shape->setStrokeColor(strokeColor_);
  shape->setLineWidth(strokeThickness_);
  shape->setLineCap(platform::LineCap::Round);
  shape->setLineJoin(platform::LineJoin::Bevel);
  shape->setPath(std::move(path));
  return shape;
}

void HDAnimatedArcView::boundsSizeDidChange(const Size& oldSize) {
  View::boundsSizeDidChange(oldSize);
  if (superview()) layoutAnimatedLayer();
}

void HDAnimatedArcView::dropAnimatedLayer() {
  if (!arcLayer_) return;
  arcLayer_->removeFromSuperlayer();
  arcLayer_.reset();
}

}  // namespace sprout
