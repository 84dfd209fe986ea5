#include "platform/animation/TimingFunction.h"

#include <algorithm>
#include <cmath>

namespace platform {

TimingFunction::TimingFunction(double c1x, double c1y, double c2x, double c2y)
    : c1x_(std::clamp(c1x, 0.0, 1.0)), c1y_(c1y), c2x_(std::clamp(c2x, 0.0, 1.0)), c2y_(c2y) {}

TimingFunction TimingFunction::named(TimingFunctionName name) {
  switch (name) {
    case TimingFunctionName::Linear:
      return {};
    case TimingFunctionName::EaseIn:
      return {0.42, 0, 1, 1};
    case TimingFunctionName::EaseOut:
      return {0, 0, 0.58, 1};
    case TimingFunctionName::EaseInEaseOut:
      return {0.42, 0, 0.58, 1};
    case TimingFunctionName::Default:
      return {0.25, 0.1, 0.25, 1};
  }
  return {};
}

double TimingFunction::evaluate(double x) const {
  x = std::clamp(x, 0.0, 1.0);
  if (c1x_ == c1y_ && c2x_ == c2y_) return x;
  // Polynomial coefficients of the curve's x(t) and y(t).
  const double cx = 3 * c1x_, bx = 3 * (c2x_ - c1x_) - cx, ax = 1 - cx - bx;
  const double cy = 3 * c1y_, by = 3 * (c2y_ - c1y_) - cy, ay = 1 - cy - by;
  auto curveX = [&](double t) { return ((ax * t + bx) * t + cx) * t; };
  auto slopeX = [&](double t) { return (3 * ax * t + 2 * bx) * t + cx; };
  // Newton first (fast near well-behaved points), bisection when the slope vanishes.
  double t = x;
  for (int i = 0; i < 8; ++i) {
    const double err = curveX(t) - x;
    if (std::fabs(err) < 1e-9) return ((ay * t + by) * t + cy) * t;
    const double d = slopeX(t);
    if (std::fabs(d) < 1e-9) break;
    t -= err / d;
    if (t < 0 || t > 1) break;
  }
  double lo = 0, hi = 1;
  t = x;
  for (int i = 0; i < 60; ++i) {
    const double v = curveX(t);
    if (std::fabs(v - x) < 1e-9) break;
    if (v < x) {
      lo = t;
    } else {
      hi = t;
    }
    t = (lo + hi) / 2;
  }
  return ((ay * t + by) * t + cy) * t;
}

}  // namespace platform
