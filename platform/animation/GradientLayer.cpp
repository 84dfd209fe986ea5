#include "platform/animation/GradientLayer.h"

#include <cairo.h>

#include <cmath>

namespace platform {

std::shared_ptr<GradientLayer> GradientLayer::create() {
  return std::shared_ptr<GradientLayer>(new GradientLayer());
}

std::shared_ptr<Layer> GradientLayer::makeCopy() const {
  auto copy = std::shared_ptr<GradientLayer>(new GradientLayer());
  copy->copyPropertiesFrom(*this);
  copy->colors_ = colors_;
  copy->locations_ = locations_;
  copy->start_ = start_;
  copy->end_ = end_;
  copy->type_ = type_;
  return copy;
}

void GradientLayer::setStartPoint(const Point& p) { setAnimatable("startPoint", start_, p); }

void GradientLayer::setEndPoint(const Point& p) { setAnimatable("endPoint", end_, p); }

std::optional<AnimationValue> GradientLayer::valueForKeyPath(std::string_view k) const {
  if (k == "startPoint") return start_;
  if (k == "endPoint") return end_;
  return Layer::valueForKeyPath(k);
}

bool GradientLayer::setValueForKeyPath(std::string_view k, const AnimationValue& value) {
  if (const auto* p = std::get_if<Point>(&value)) {
    if (k == "startPoint") return setStartPoint(*p), true;
    if (k == "endPoint") return setEndPoint(*p), true;
  }
  return Layer::setValueForKeyPath(k, value);
}

bool GradientLayer::isImplicitlyAnimatable(std::string_view key) const {
  return key == "startPoint" || key == "endPoint" || Layer::isImplicitlyAnimatable(key);
}

void GradientLayer::renderContent(cairo_t* cr) const {
  if (colors_.empty()) return;
  const Rect b = bounds();
  const Point s{b.origin.x + start_.x * b.size.width, b.origin.y + start_.y * b.size.height};
  const Point e{b.origin.x + end_.x * b.size.width, b.origin.y + end_.y * b.size.height};
  cairo_pattern_t* pattern =
      type_ == GradientType::Radial
          ? cairo_pattern_create_radial(s.x, s.y, 0, s.x, s.y, std::hypot(e.x - s.x, e.y - s.y))
          : cairo_pattern_create_linear(s.x, s.y, e.x, e.y);
  const std::size_t n = colors_.size();
  for (std::size_t i = 0; i < n; ++i) {
    const double offset = locations_.size() == n ? locations_[i]
                          : n > 1                ? static_cast<double>(i) / (n - 1)
                                                 : 0;
    const Color& c = colors_[i];
    cairo_pattern_add_color_stop_rgba(pattern, offset, c.r, c.g, c.b, c.a);
  }
  cairo_save(cr);
  cairo_rectangle(cr, b.origin.x, b.origin.y, b.size.width, b.size.height);
  cairo_clip(cr);
  cairo_set_source(cr, pattern);
  cairo_paint(cr);
  cairo_restore(cr);
  cairo_pattern_destroy(pattern);
}

}  // namespace platform
