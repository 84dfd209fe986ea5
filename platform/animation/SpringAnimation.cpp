#include "platform/animation/SpringAnimation.h"

#include <cmath>

namespace platform {

std::shared_ptr<SpringAnimation> SpringAnimation::create(std::string keyPath) {
  return std::shared_ptr<SpringAnimation>(new SpringAnimation(std::move(keyPath)));
}

std::shared_ptr<Animation> SpringAnimation::copy() const {
  return std::shared_ptr<SpringAnimation>(new SpringAnimation(*this));
}

double SpringAnimation::progressAt(TimeInterval t) const {
  if (t <= 0) return 0;
  // Displacement from the target x(t), starting at x(0) = -1 with velocity v0.
  const double w0 = std::sqrt(stiffness_ / mass_);
  const double zeta = damping_ / (2 * std::sqrt(stiffness_ * mass_));
  const double v0 = initialVelocity_;
  double x;
  if (zeta < 1) {
    const double wd = w0 * std::sqrt(1 - zeta * zeta);
    const double a = -1, b = (v0 + zeta * w0 * a) / wd;
    x = std::exp(-zeta * w0 * t) * (a * std::cos(wd * t) + b * std::sin(wd * t));
  } else if (zeta == 1) {
    const double a = -1, b = v0 + w0 * a;
    x = (a + b * t) * std::exp(-w0 * t);
  } else {
    const double root = std::sqrt(zeta * zeta - 1);
    const double r1 = -w0 * (zeta - root), r2 = -w0 * (zeta + root);
    const double c2 = (v0 + r1) / (r2 - r1), c1 = -1 - c2;
    x = c1 * std::exp(r1 * t) + c2 * std::exp(r2 * t);
  }
  return 1 + x;
}

TimeInterval SpringAnimation::settlingDuration() const {
  constexpr double kStep = 1.0 / 240;
  constexpr int kLimitSteps = 600 * 240;  // ten minutes
  constexpr double kTolerance = 1e-3;
  int lastOutside = 0;
  // Scan until the spring has stayed inside for a full second past its last excursion.
  for (int i = 0; i < kLimitSteps; ++i) {
    if (std::fabs(progressAt(i * kStep) - 1) >= kTolerance) {
      lastOutside = i;
    } else if (i - lastOutside > 240) {
      break;
    }
  }
  return (lastOutside + 1) * kStep;
}

void SpringAnimation::applySample(Layer& presentation, const Sample& sample) const {
  applyFraction(presentation, progressAt(sample.raw * sample.duration));
}

}  // namespace platform
