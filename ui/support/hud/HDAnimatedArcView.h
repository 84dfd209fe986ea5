#pragma once

#include <memory>

#include "platform/animation/ShapeLayer.h"
#include "platform/ui/View.h"

namespace sprout {

// What the HUD's spinner and progress ring share: a circle of `radius` drawn with
// `strokeThickness` by a shape layer that is built lazily from those fields and centred in the
// view. The layer lives from the first time the view joins a superview until it leaves one or
// its radius changes, so every showing starts from a freshly built layer.
class HDAnimatedArcView : public platform::View {
 public:
  double radius() const { return radius_; }
  void setRadius(double radius);
  double strokeThickness() const { return strokeThickness_; }
  void setStrokeThickness(double thickness);
  platform::Color strokeColor() const { return strokeColor_; }
  void setStrokeColor(const platform::Color& color);

  // The middle of the circle in the view: room for the stroke and a 5-point margin.
  platform::Point arcCenter() const;
  // Exactly the layer's size, whatever size is asked for.
  platform::Size sizeThatFits(const platform::Size& size) const override;

  void willMoveToSuperview(const std::shared_ptr<platform::View>& newSuperview) override;
  // Adds the layer (building it when needed) and centres it in the view.
  void layoutAnimatedLayer();
  // The current layer, or nullptr while none is built.
  const std::shared_ptr<platform::ShapeLayer>& currentAnimatedLayer() const { return arcLayer_; }

 protected:
  explicit HDAnimatedArcView(Key key);
  // Builds the subclass's layer from the fields.
  virtual std::shared_ptr<platform::ShapeLayer> makeAnimatedLayer() const = 0;
  // The built layer, building it on first use.
  const std::shared_ptr<platform::ShapeLayer>& animatedLayer();
  // A shape layer with the stroke settings both views use, framed to the view's fitting size.
  std::shared_ptr<platform::ShapeLayer> makeStrokeLayer(platform::Path path) const;
  void boundsSizeDidChange(const platform::Size& oldSize) override;
  void dropAnimatedLayer();

 private:
  double radius_ = 0;
  double strokeThickness_ = 0;
  platform::Color strokeColor_;
  std::shared_ptr<platform::ShapeLayer> arcLayer_;
};

}  // namespace sprout
