#pragma once

#include <deque>
#include <memory>
#include <utility>

#include "platform/ui/GestureRecognizer.h"

namespace platform {

// Continuous: begins once between minimum and maximum fingers have moved their centroid more
// than kStartThreshold from where they came down, changes with every move, ends when fewer than
// the minimum remain. The translation is measured from where the fingers came down (a finger
// joining or leaving does not make it jump); the velocity comes from the touches' timestamps over
// the last kVelocityWindow seconds, so fingers that stop before lifting end with none.
class PanGestureRecognizer : public GestureRecognizer {
 public:
  static std::shared_ptr<PanGestureRecognizer> create(Action action = nullptr);

  int minimumNumberOfTouches() const { return minimumTouches_; }
  void setMinimumNumberOfTouches(int n) { minimumTouches_ = n < 1 ? 1 : n; }
  int maximumNumberOfTouches() const { return maximumTouches_; }
  void setMaximumNumberOfTouches(int n) { maximumTouches_ = n < 1 ? 1 : n; }

  // In the coordinates of `view` (nullptr: the window's).
  Point translationInView(const View* view) const;
  void setTranslation(const Point& translation, const View* view);
  // Points per second.
  Point velocityInView(const View* view) const;

  static constexpr double kStartThreshold = 10;
  static constexpr TimeInterval kVelocityWindow = 0.1;

  explicit PanGestureRecognizer(Key key) : GestureRecognizer(std::move(key)) {}

 protected:
  void touchesBegan(const TouchSet& touches, const Event& event) override;
  void touchesMoved(const TouchSet& touches, const Event& event) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  void reset() override;
  // Asked once the fingers have moved past the threshold by `translation` (window coordinates):
  // false makes the pan fail instead of beginning, leaving the gesture to others.
  virtual bool shouldBeginWithTranslation(const Point& /*translation*/) { return true; }

 private:
  Point toView(const Point& windowPoint, const View* view) const;
  void refingered(const TouchSet& leaving);
  void sample(TimeInterval time, const Point& at);

  int minimumTouches_ = 1;
  int maximumTouches_ = 1 << 20;
  // Window coordinates: where the translation is zero, and the current centroid.
  Point anchor_;
  Point current_;
  std::weak_ptr<Window> window_;
  std::deque<std::pair<TimeInterval, Point>> samples_;
  Point velocity_;  // window coordinates, per second
};

}  // namespace platform
