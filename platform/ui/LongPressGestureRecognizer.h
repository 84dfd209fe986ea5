#pragma once

#include <cstdint>
#include <memory>

#include "platform/ui/GestureRecognizer.h"

namespace platform {

// Continuous: begins once the required fingers have stayed down minimumPressDuration (on the
// clock) without straying more than allowableMovement, changes as they move, ends when they lift.
// Lifting or straying before then fails it.
class LongPressGestureRecognizer : public GestureRecognizer {
 public:
  static std::shared_ptr<LongPressGestureRecognizer> create(Action action = nullptr);
  ~LongPressGestureRecognizer() override;

  TimeInterval minimumPressDuration() const { return minimumPressDuration_; }
  void setMinimumPressDuration(TimeInterval d) { minimumPressDuration_ = d < 0 ? 0 : d; }
  double allowableMovement() const { return allowableMovement_; }
  void setAllowableMovement(double d) { allowableMovement_ = d; }
  int numberOfTouchesRequired() const { return touchesRequired_; }
  void setNumberOfTouchesRequired(int n) { touchesRequired_ = n < 1 ? 1 : n; }

  explicit LongPressGestureRecognizer(Key key) : GestureRecognizer(std::move(key)) {}

 protected:
  void touchesBegan(const TouchSet& touches, const Event& event) override;
  void touchesMoved(const TouchSet& touches, const Event& event) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  void reset() override;

 private:
  void cancelTimer();

  TimeInterval minimumPressDuration_ = 0.5;
  double allowableMovement_ = 10;
  int touchesRequired_ = 1;
  Point start_;  // centroid in window coordinates when the fingers were all down
  std::uint64_t timer_ = 0;
};

}  // namespace platform
