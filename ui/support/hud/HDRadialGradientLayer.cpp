#include "ui/support/hud/HDRadialGradientLayer.h"

#include <cairo.h>

#include <algorithm>

#include "platform/graphics/Context.h"
#include "platform/ui/Screen.h"

namespace sprout {

std::shared_ptr<HDRadialGradientLayer> HDRadialGradientLayer::create() {
  std::shared_ptr<HDRadialGradientLayer> layer(new HDRadialGradientLayer());
  // Drawn contents are pixels: make them at the screen's density so the edges stay smooth.
  layer->setContentsScale(platform::Screen::main().scale());
  return layer;
}

std::shared_ptr<platform::Layer> HDRadialGradientLayer::makeCopy() const {
  std::shared_ptr<HDRadialGradientLayer> copy(new HDRadialGradientLayer());
  copy->copyPropertiesFrom(*this);
  copy->gradientCenter_ = gradientCenter_;
  return copy;
}

void HDRadialGradientLayer::drawInContext(platform::Context& context) {
  const platform::Size size = bounds().size;
  const double radius = static_cast<float>(std::min(size.width, size.height));
  if (!(radius > 0)) return;
  const platform::Point c = gradientCenter_;
  cairo_pattern_t* gradient = cairo_pattern_create_radial(c.x, c.y, 0, c.x, c.y, radius);
  cairo_pattern_add_color_stop_rgba(gradient, 0.0, 0, 0, 0, 0);
  cairo_pattern_add_color_stop_rgba(gradient, 1.0, 0, 0, 0, 0.75);
  // Beyond the radius the end colour goes on.
  cairo_pattern_set_extend(gradient, CAIRO_EXTEND_PAD);
  cairo_t* cr = context.cairo();
  cairo_save(cr);
  cairo_set_source(cr, gradient);
  cairo_paint(cr);
  cairo_restore(cr);
  cairo_pattern_destroy(gradient);
}

}  // namespace sprout
