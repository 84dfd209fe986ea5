#pragma once

#include <memory>

#include "platform/graphics/Geometry.h"
#include "platform/ui/Touch.h"

namespace platform {

class View;
class Window;

// Plays one finger on a window, the way the system would: the touch lands on the view hit
// testing finds, and every phase goes to that view through Window::sendEvent. For tests and the
// catalog; timestamps come from the clock.
class TouchDriver {
 public:
  explicit TouchDriver(std::shared_ptr<Window> window);

  // Points are in the window's coordinates. begin returns the view touched (nullptr: none).
  std::shared_ptr<View> begin(const Point& p);
  void move(const Point& p);
  void end();
  void end(const Point& p);
  void cancel();
  // begin and end at one point.
  std::shared_ptr<View> tap(const Point& p);
  const std::shared_ptr<Touch>& touch() const { return touch_; }

 private:
  void send(TouchPhase phase, const Point& p);

  std::shared_ptr<Window> window_;
  std::shared_ptr<Touch> touch_;
  Point last_;
};

}  // namespace platform
