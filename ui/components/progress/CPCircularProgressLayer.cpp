#include "ui/components/progress/CPCircularProgressLayer.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

namespace sprout {
namespace {

constexpr double kStartAngle = 3 * M_PI / 2;  // twelve o'clock, y pointing down
// Just short of 1, so a full ring never closes into an exact circle.
constexpr double kMaximumDrawnProgress = 0.9999998807907104;

void setColor(cairo_t* cr, const platform::Color& c) {
  cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
}

void fillCircle(cairo_t* cr, double cx, double cy, double radius) {
  cairo_new_path(cr);
  cairo_arc(cr, cx, cy, radius, 0, 2 * M_PI);
  cairo_fill(cr);
}

}  // namespace

std::shared_ptr<CPCircularProgressLayer> CPCircularProgressLayer::create() {
  return std::shared_ptr<CPCircularProgressLayer>(new CPCircularProgressLayer());
}

std::shared_ptr<platform::Layer> CPCircularProgressLayer::makeCopy() const {
  auto copy = std::shared_ptr<CPCircularProgressLayer>(new CPCircularProgressLayer());
  copy->copyPropertiesFrom(*this);
  copy->trackTintColor_ = trackTintColor_;
  copy->progressTintColor_ = progressTintColor_;
  copy->roundedCorners_ = roundedCorners_;
  copy->thicknessRatio_ = thicknessRatio_;
  copy->progress_ = progress_;
  return copy;
}

std::optional<platform::AnimationValue> CPCircularProgressLayer::valueForKeyPath(
    std::string_view keyPath) const {
  if (keyPath == "progress") return progress_;
  return Layer::valueForKeyPath(keyPath);
}

bool CPCircularProgressLayer::setValueForKeyPath(std::string_view keyPath,
                                                 const platform::AnimationValue& value) {
  if (keyPath == "progress") {
    const auto* d = std::get_if<double>(&value);
    if (!d) return false;
    progress_ = *d;
    return true;
  }
  return Layer::setValueForKeyPath(keyPath, value);
}

void CPCircularProgressLayer::renderContent(cairo_t* cr) const {
  const double w = bounds().size.width, h = bounds().size.height;
  if (w <= 0 || h <= 0) return;
  const double cx = h / 2, cy = w / 2;
  const double r = std::min(w, h) / 2;
  const double p = std::min(progress_, kMaximumDrawnProgress);
  cairo_save(cr);
  cairo_translate(cr, bounds().origin.x, bounds().origin.y);
  // The hole is cut with a clearing blend: in a group of its own, so only this ring is cut.
  cairo_push_group(cr);
  setColor(cr, trackTintColor_);
  fillCircle(cr, cx, cy, r);
  if (p > 0) {
    const double end = 2 * M_PI * p - M_PI / 2;
    setColor(cr, progressTintColor_);
    cairo_new_path(cr);
    cairo_move_to(cr, cx, cy);
    cairo_arc(cr, cx, cy, r, kStartAngle, kStartAngle + 2 * M_PI * p);
    cairo_close_path(cr);
    cairo_fill(cr);
    if (roundedCorners_ != 0) {
      const double t = r * thicknessRatio_;
      const double k = 1 - thicknessRatio_ / 2;
      const float s = std::sin(static_cast<float>(end)), c = std::cos(static_cast<float>(end));
      fillCircle(cr, cx, t / 2, t / 2);
      fillCircle(cr, r * (k * c + 1), r * (k * s + 1), t / 2);
    }
  }
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  fillCircle(cr, cx, cy, r * (1 - thicknessRatio_));
  cairo_pop_group_to_source(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_paint(cr);
  cairo_restore(cr);
}

}  // namespace sprout
