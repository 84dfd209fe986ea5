#include "platform/ui/ActivityIndicatorView.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "platform/animation/KeyframeAnimation.h"
#include "platform/graphics/Context.h"

namespace platform {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kSpokes = 12;
constexpr const char* kSpinKey = "ActivityIndicatorSpin";

double sideFor(ActivityIndicatorViewStyle style) {
  return style == ActivityIndicatorViewStyle::WhiteLarge ? 37 : 20;
}

Color colorFor(ActivityIndicatorViewStyle style) {
  return style == ActivityIndicatorViewStyle::Gray ? Color::gray() : Color::whiteColor();
}

}  // namespace

std::shared_ptr<ActivityIndicatorView> ActivityIndicatorView::create(
    ActivityIndicatorViewStyle style) {
  return make<ActivityIndicatorView>(style);
}

ActivityIndicatorView::ActivityIndicatorView(Key key, ActivityIndicatorViewStyle style)
    : View(std::move(key), makeRect(0, 0, sideFor(style), sideFor(style))),
      style_(style),
      color_(colorFor(style)) {
  setOpaque(false);
  setUserInteractionEnabled(false);
  setContentMode(ViewContentMode::Redraw);
  setHidden(true);  // stopped, and hidden while stopped
  setNeedsDisplay();
}

void ActivityIndicatorView::setActivityIndicatorViewStyle(ActivityIndicatorViewStyle style) {
  style_ = style;
  color_ = colorFor(style);
  const Point c = center();
  const double side = sideFor(style);
  setBounds(makeRect(0, 0, side, side));
  setCenter(c);
  setNeedsDisplay();
}

void ActivityIndicatorView::setColor(const Color& color) {
  color_ = color;
  setNeedsDisplay();
}

void ActivityIndicatorView::setHidesWhenStopped(bool hides) {
  hidesWhenStopped_ = hides;
  if (!isAnimating()) setHidden(hides);
}

void ActivityIndicatorView::startAnimating() {
  setHidden(false);
  if (isAnimating()) return;
  // One twelfth of a turn per step, as discrete frames so the spokes land on the same places.
  auto spin = KeyframeAnimation::create("transform.rotation.z");
  std::vector<AnimationValue> steps;
  for (int i = 0; i < kSpokes; ++i) steps.emplace_back(2 * kPi * i / kSpokes);
  spin->setValues(std::move(steps));
  spin->setCalculationMode(CalculationMode::Discrete);
  spin->setDuration(1);
  spin->setRepeatCount(kRepeatForever);
  layer()->addAnimation(spin, kSpinKey);
}

void ActivityIndicatorView::stopAnimating() {
  layer()->removeAnimationForKey(kSpinKey);
  if (hidesWhenStopped_) setHidden(true);
}

bool ActivityIndicatorView::isAnimating() const {
  return layer()->animationForKey(kSpinKey) != nullptr;
}

Size ActivityIndicatorView::sizeThatFits(const Size& /*size*/) const {
  const double side = sideFor(style_);
  return {side, side};
}

void ActivityIndicatorView::drawRect(Context& context, const Rect& /*rect*/) {
  cairo_t* cr = context.cairo();
  const Rect b = bounds();
  const double radius = std::min(width(b), height(b)) / 2;
  const double inner = radius * 0.5, outer = radius * 0.95;
  const double spokeWidth =
      radius * (style_ == ActivityIndicatorViewStyle::WhiteLarge ? 0.22 : 0.2);
  cairo_save(cr);
  cairo_translate(cr, midX(b), midY(b));
  cairo_set_line_width(cr, spokeWidth);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  // The spoke at twelve o'clock leads; those behind it (anticlockwise) fade.
  for (int i = 0; i < kSpokes; ++i) {
    const double angle = -kPi / 2 - 2 * kPi * i / kSpokes;
    const double alpha = 1.0 - 0.75 * i / (kSpokes - 1);
    const double inset = spokeWidth / 2;
    cairo_move_to(cr, (inner + inset) * std::cos(angle), (inner + inset) * std::sin(angle));
    cairo_line_to(cr, (outer - inset) * std::cos(angle), (outer - inset) * std::sin(angle));
    cairo_set_source_rgba(cr, color_.r, color_.g, color_.b, color_.a * alpha);
    cairo_stroke(cr);
  }
  cairo_restore(cr);
}

}  // namespace platform
