#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "platform/ui/GestureRecognizer.h"

namespace platform {

// Discrete: recognizes when the required number of fingers has come down and lifted the required
// number of times. It fails when a finger strays more than kAllowableMovement from where it came
// down, when more fingers than required touch, when the next tap does not begin within
// kMaximumTapInterval of the last lift (on the clock) or lands more than kMaximumTapDistance from
// the first.
class TapGestureRecognizer : public GestureRecognizer {
 public:
  static std::shared_ptr<TapGestureRecognizer> create(Action action = nullptr);
  ~TapGestureRecognizer() override;

  int numberOfTapsRequired() const { return tapsRequired_; }
  void setNumberOfTapsRequired(int n) { tapsRequired_ = n < 1 ? 1 : n; }
  int numberOfTouchesRequired() const { return touchesRequired_; }
  void setNumberOfTouchesRequired(int n) { touchesRequired_ = n < 1 ? 1 : n; }

  static constexpr TimeInterval kMaximumTapInterval = 0.35;
  static constexpr double kAllowableMovement = 10;
  static constexpr double kMaximumTapDistance = 45;

  explicit TapGestureRecognizer(Key key) : GestureRecognizer(std::move(key)) {}

 protected:
  void touchesBegan(const TouchSet& touches, const Event& event) override;
  void touchesMoved(const TouchSet& touches, const Event& event) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  void reset() override;

 private:
  void cancelWait();

  int tapsRequired_ = 1;
  int touchesRequired_ = 1;
  int taps_ = 0;
  std::size_t fingersThisTap_ = 0;
  std::vector<std::pair<const Touch*, Point>> starts_;  // window coordinates
  Point firstTapAt_;
  std::uint64_t wait_ = 0;
};

}  // namespace platform
