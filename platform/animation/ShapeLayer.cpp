#include "platform/animation/ShapeLayer.h"

#include <cairo.h>

namespace platform {

std::shared_ptr<ShapeLayer> ShapeLayer::create() {
  return std::shared_ptr<ShapeLayer>(new ShapeLayer());
}

std::shared_ptr<Layer> ShapeLayer::makeCopy() const {
  auto copy = std::shared_ptr<ShapeLayer>(new ShapeLayer());
  copy->copyPropertiesFrom(*this);
  copy->shape_ = shape_;
  return copy;
}

void ShapeLayer::setFillColor(const Color& color) {
  setAnimatable("fillColor", shape_.fillColor, color);
}

void ShapeLayer::setStrokeColor(const Color& color) {
  setAnimatable("strokeColor", shape_.strokeColor, color);
}

void ShapeLayer::setLineWidth(double width) { setAnimatable("lineWidth", shape_.lineWidth, width); }

void ShapeLayer::setStrokeStart(double v) { setAnimatable("strokeStart", shape_.strokeStart, v); }

void ShapeLayer::setStrokeEnd(double v) { setAnimatable("strokeEnd", shape_.strokeEnd, v); }

std::optional<AnimationValue> ShapeLayer::valueForKeyPath(std::string_view k) const {
  if (k == "strokeStart") return shape_.strokeStart;
  if (k == "strokeEnd") return shape_.strokeEnd;
  if (k == "lineWidth") return shape_.lineWidth;
  if (k == "lineDashPhase") return shape_.lineDashPhase;
  if (k == "miterLimit") return shape_.miterLimit;
  if (k == "fillColor") return shape_.fillColor;
  if (k == "strokeColor") return shape_.strokeColor;
  return Layer::valueForKeyPath(k);
}

bool ShapeLayer::setValueForKeyPath(std::string_view k, const AnimationValue& value) {
  if (const auto* d = std::get_if<double>(&value)) {
    if (k == "strokeStart") return setStrokeStart(*d), true;
    if (k == "strokeEnd") return setStrokeEnd(*d), true;
    if (k == "lineWidth") return setLineWidth(*d), true;
    if (k == "lineDashPhase") return setLineDashPhase(*d), true;
    if (k == "miterLimit") return setMiterLimit(*d), true;
  }
  if (const auto* c = std::get_if<Color>(&value)) {
    if (k == "fillColor") return setFillColor(*c), true;
    if (k == "strokeColor") return setStrokeColor(*c), true;
  }
  return Layer::setValueForKeyPath(k, value);
}

bool ShapeLayer::isImplicitlyAnimatable(std::string_view key) const {
  return key == "strokeStart" || key == "strokeEnd" || key == "lineWidth" || key == "fillColor" ||
         key == "strokeColor" || Layer::isImplicitlyAnimatable(key);
}

namespace {

void setSource(cairo_t* cr, cairo_pattern_t* source, const Color& color) {
  if (source) {
    cairo_set_source(cr, source);
  } else {
    cairo_set_source_rgba(cr, color.r, color.g, color.b, color.a);
  }
}

}  // namespace

bool ShapeLayer::fills() const { return !shape_.path.isEmpty() && !shape_.fillColor.isClear(); }

bool ShapeLayer::strokes() const {
  const ShapeProperties& s = shape_;
  return !s.path.isEmpty() && !s.strokeColor.isClear() && s.lineWidth > 0 &&
         s.strokeEnd > s.strokeStart;
}

std::optional<Color> ShapeLayer::soleColor() const {
  if (fills() == strokes()) return std::nullopt;
  return fills() ? shape_.fillColor : shape_.strokeColor;
}

void ShapeLayer::renderContent(cairo_t* cr) const { renderContentWithSource(cr, nullptr); }

void ShapeLayer::renderContentWithSource(cairo_t* cr, cairo_pattern_t* source) const {
  const ShapeProperties& s = shape_;
  if (s.path.isEmpty()) return;
  cairo_save(cr);
  if (fills()) {
    cairo_new_path(cr);
    s.path.appendTo(cr);
    cairo_set_fill_rule(
        cr, s.fillRule == FillRule::EvenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    setSource(cr, source, s.fillColor);
    cairo_fill(cr);
  }
  if (strokes()) {
    cairo_new_path(cr);
    s.path.trimmed(s.strokeStart, s.strokeEnd).appendTo(cr);
    cairo_set_line_width(cr, s.lineWidth);
    cairo_set_miter_limit(cr, s.miterLimit);
    static constexpr cairo_line_cap_t kCaps[] = {CAIRO_LINE_CAP_BUTT, CAIRO_LINE_CAP_ROUND,
                                                 CAIRO_LINE_CAP_SQUARE};
    static constexpr cairo_line_join_t kJoins[] = {CAIRO_LINE_JOIN_MITER, CAIRO_LINE_JOIN_ROUND,
                                                   CAIRO_LINE_JOIN_BEVEL};
    cairo_set_line_cap(cr, kCaps[static_cast<int>(s.lineCap)]);
    cairo_set_line_join(cr, kJoins[static_cast<int>(s.lineJoin)]);
    if (!s.lineDashPattern.empty()) {
      cairo_set_dash(cr, s.lineDashPattern.data(), static_cast<int>(s.lineDashPattern.size()),
                     s.lineDashPhase);
    }
    setSource(cr, source, s.strokeColor);
    cairo_stroke(cr);
  }
  cairo_restore(cr);
}

}  // namespace platform
