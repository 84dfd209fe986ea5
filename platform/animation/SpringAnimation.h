#pragma once

#include "platform/animation/BasicAnimation.h"

namespace platform {

// A basic animation whose progress follows a damped spring pulled from 0 to 1, in seconds since
// the start (the timing function does not apply); it may overshoot. initialVelocity is in whole
// distances per second.
class SpringAnimation : public BasicAnimation {
 public:
  static std::shared_ptr<SpringAnimation> create(std::string keyPath);
  std::shared_ptr<Animation> copy() const override;

  double mass() const { return mass_; }
  void setMass(double m) { mass_ = m > 0 ? m : mass_; }
  double stiffness() const { return stiffness_; }
  void setStiffness(double k) { stiffness_ = k > 0 ? k : stiffness_; }
  double damping() const { return damping_; }
  void setDamping(double c) { damping_ = c >= 0 ? c : damping_; }
  double initialVelocity() const { return initialVelocity_; }
  void setInitialVelocity(double v) { initialVelocity_ = v; }

  // The spring's position (0 at rest at the start, 1 at the target) after `t` seconds.
  double progressAt(TimeInterval t) const;
  // How long until the spring stays within 0.1 % of the target.
  TimeInterval settlingDuration() const;

 protected:
  explicit SpringAnimation(std::string keyPath) : BasicAnimation(std::move(keyPath)) {}
  void applySample(Layer& presentation, const Sample& sample) const override;

 private:
  double mass_ = 1;
  double stiffness_ = 100;
  double damping_ = 10;
  double initialVelocity_ = 0;
};

}  // namespace platform
