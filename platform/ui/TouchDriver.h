#pragma once

#include <map>
#include <memory>
#include <vector>

#include "platform/foundation/Types.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/Touch.h"

namespace platform {

class View;
class Window;

// Plays fingers on a window the way the system would: every change goes through
// Window::sendEvent (which hit-tests the fingers that come down), stamped with the clock's time.
// Fingers are named by the caller's ids; the single-finger calls play finger 0. A finger that
// comes down within kDoubleTapInterval of the last one lifting, near where it lifted, counts the
// taps up. For tests and the catalog.
class TouchDriver {
 public:
  using Finger = int;
  struct Change {
    Finger finger;
    TouchPhase phase;  // Began, Moved, Stationary, Ended or Cancelled
    Point location;    // window coordinates
  };

  explicit TouchDriver(std::shared_ptr<Window> window);

  // Finger 0. begin returns the view touched (nullptr: none).
  std::shared_ptr<View> begin(const Point& p) { return begin(0, p); }
  void move(const Point& p) { move(0, p); }
  void end() { end(0); }
  void end(const Point& p);
  void cancel() { cancel(0); }
  // begin and end at one point.
  std::shared_ptr<View> tap(const Point& p);
  const std::shared_ptr<Touch>& touch() const { return touch(0); }

  // Any finger; moving or lifting a finger that is not down does nothing.
  std::shared_ptr<View> begin(Finger finger, const Point& p);
  void move(Finger finger, const Point& p);
  void end(Finger finger);
  void cancel(Finger finger);
  // Several fingers changing in one event (the others down are stationary).
  void send(const std::vector<Change>& changes);
  const std::shared_ptr<Touch>& touch(Finger finger) const;

  // Gestures played frame by frame: before each move the main run loop advances one display
  // frame, so timers, animations and recognizers see time pass as on a phone.
  static constexpr TimeInterval kFrame = 1.0 / 60;
  // Finger 0 down at `from`, moved evenly to `to` over `frames` frames; it stays down.
  void drag(const Point& from, const Point& to, int frames);
  // A drag lifted while still moving: the release carries its speed.
  void fling(const Point& from, const Point& to, int frames);
  // Finger 0 held still for `seconds` (long enough that the release carries no speed), lifted.
  void holdAndLift(TimeInterval seconds);
  // Fingers 0 and 1 level about `centre`, `from` apart, spread (or closed) to `to` apart over
  // `frames` frames, both moving in each event; then lifted.
  void pinch(const Point& centre, double from, double to, int frames = 10);

  static constexpr TimeInterval kDoubleTapInterval = 0.35;
  static constexpr double kDoubleTapDistance = 45;

 private:
  std::shared_ptr<Window> window_;
  std::map<Finger, std::shared_ptr<Touch>> fingers_;
  std::map<Finger, Point> last_;
  TimeInterval lastLift_ = -1;
  Point lastLiftAt_;
  int lastTapCount_ = 0;
};

}  // namespace platform
