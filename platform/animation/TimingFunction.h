#pragma once

namespace platform {

enum class TimingFunctionName { Linear, EaseIn, EaseOut, EaseInEaseOut, Default };

// Maps the fraction of time elapsed to the fraction of change, along the cubic Bézier from (0, 0)
// to (1, 1) through two control points.
class TimingFunction {
 public:
  TimingFunction() = default;  // linear
  TimingFunction(double c1x, double c1y, double c2x, double c2y);
  static TimingFunction named(TimingFunctionName name);
  static TimingFunction linear() { return {}; }

  // x in 0...1 (clamped); the curve's y at that x.
  double evaluate(double x) const;
  double c1x() const { return c1x_; }
  double c1y() const { return c1y_; }
  double c2x() const { return c2x_; }
  double c2y() const { return c2y_; }
  bool operator==(const TimingFunction&) const = default;

 private:
  double c1x_ = 0, c1y_ = 0, c2x_ = 1, c2y_ = 1;
};

}  // namespace platform
