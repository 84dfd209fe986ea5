#pragma once

#include <memory>

#include "platform/ui/GestureRecognizer.h"

namespace platform {

// Continuous, two fingers: begins once their distance has changed by more than kStartThreshold
// points, changes as they move, ends when one lifts. scale is the distance over the distance when
// the second finger came down; velocity is the change of scale per second, from the touches'
// timestamps.
class PinchGestureRecognizer : public GestureRecognizer {
 public:
  static std::shared_ptr<PinchGestureRecognizer> create(Action action = nullptr);

  double scale() const { return scale_; }
  // Rebases the gesture so that the current distance reads as `scale`.
  void setScale(double scale);
  double velocity() const { return velocity_; }

  static constexpr double kStartThreshold = 5;

  explicit PinchGestureRecognizer(Key key) : GestureRecognizer(std::move(key)) {}

 protected:
  void touchesBegan(const TouchSet& touches, const Event& event) override;
  void touchesMoved(const TouchSet& touches, const Event& event) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  void reset() override;

 private:
  double spread() const;  // distance between the first two fingers, window coordinates

  double startSpread_ = 0;
  double scale_ = 1;
  double velocity_ = 0;
  TimeInterval lastTime_ = 0;
};

}  // namespace platform
