#include "platform/ui/scroll/ScrollPhysics.h"

#include <algorithm>
#include <cmath>

namespace platform::scroll_physics {
namespace {

// The exponent of the per-millisecond rate, per second.
double decayConstant(double rate) { return 1000.0 * std::log(std::clamp(rate, 0.5, 0.99999)); }

// A flick faster than this turns the page even when the finger has not crossed half of it.
constexpr double kPageFlickSpeed = 300.0;

// How stiffly the content resists being dragged past an edge.
constexpr double kResistance = 0.55;

}  // namespace

double rubberBand(double overshoot, double dimension) {
  if (dimension <= 0) return 0;
  const double magnitude = std::abs(overshoot);
  const double shown = (1.0 - 1.0 / (magnitude * kResistance / dimension + 1.0)) * dimension;
  return overshoot < 0 ? -shown : shown;
}

double rubberBandInverse(double shown, double dimension) {
  if (dimension <= 0) return 0;
  // Never quite the whole dimension, which no finger reaches.
  const double fraction = std::min(std::abs(shown) / dimension, 0.99);
  const double overshoot = (1.0 / (1.0 - fraction) - 1.0) * dimension / kResistance;
  return shown < 0 ? -overshoot : overshoot;
}

double projectedEnd(double position, double velocity, double rate) {
  return position - velocity / decayConstant(rate);
}

double decayTowards(double start, double target, double rate, TimeInterval t) {
  return start + (target - start) * (1.0 - std::exp(decayConstant(rate) * std::max(t, 0.0)));
}

double decayVelocity(double start, double target, double rate, TimeInterval t) {
  const double k = decayConstant(rate);
  return -(target - start) * k * std::exp(k * std::max(t, 0.0));
}

TimeInterval decayDuration(double start, double target, double rate) {
  const double initial = std::abs(decayVelocity(start, target, rate, 0));
  if (initial <= kRestingSpeed) return 0;
  return std::log(kRestingSpeed / initial) / decayConstant(rate);
}

double springPosition(double rest, double offset, double velocity, TimeInterval t) {
  const double w = kSpringStiffness;
  return rest + (offset + (velocity + w * offset) * t) * std::exp(-w * t);
}

double springVelocity(double offset, double velocity, TimeInterval t) {
  const double w = kSpringStiffness;
  const double b = velocity + w * offset;
  return (b - w * (offset + b * t)) * std::exp(-w * t);
}

bool springSettled(double offset, double velocity, TimeInterval t) {
  const double x = springPosition(0, offset, velocity, t);
  return std::abs(x) < 0.5 && std::abs(springVelocity(offset, velocity, t)) < kRestingSpeed;
}

double pageTarget(double position, double velocity, double pageLength, double minimum,
                  double maximum) {
  if (pageLength <= 0) return std::clamp(position, minimum, std::max(minimum, maximum));
  double page = std::round(position / pageLength);
  if (velocity > kPageFlickSpeed) page = std::floor(position / pageLength) + 1;
  if (velocity < -kPageFlickSpeed) page = std::ceil(position / pageLength) - 1;
  return std::clamp(page * pageLength, minimum, std::max(minimum, maximum));
}

double easeInOut(double f) {
  f = std::clamp(f, 0.0, 1.0);
  return f * f * (3.0 - 2.0 * f);
}

}  // namespace platform::scroll_physics
