#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "platform/foundation/Types.h"
#include "platform/graphics/Geometry.h"

namespace platform {

class GestureRecognizer;
class GestureRecognizerArena;
class View;
class Window;

enum class TouchPhase { Began = 0, Moved = 1, Stationary = 2, Ended = 3, Cancelled = 4 };

// One finger on the screen. Locations are kept in the window's coordinates.
class Touch {
 public:
  Touch(const std::shared_ptr<Window>& window, Point locationInWindow, TimeInterval timestamp);

  TouchPhase phase() const { return phase_; }
  int tapCount() const { return tapCount_; }
  TimeInterval timestamp() const { return timestamp_; }
  // The view the touch began in (hit testing), for its whole life.
  std::shared_ptr<View> view() const { return view_.lock(); }
  std::shared_ptr<Window> window() const { return window_.lock(); }
  // nullptr: the window's coordinates.
  Point locationInView(const View* view) const;
  Point previousLocationInView(const View* view) const;

  // The recognizers of the view and its ancestors when the touch began, nearest first; a
  // recognizer whose delegate declines the touch is left out.
  std::vector<std::shared_ptr<GestureRecognizer>> gestureRecognizers() const;
  // A recognizer that recognized took the touch from its view, which has had touchesCancelled.
  bool isCancelledInView() const { return cancelledInView_; }

  // For whoever drives events (the window, tests).
  void setView(const std::shared_ptr<View>& view) { view_ = view; }
  void setGestureRecognizers(const std::vector<std::shared_ptr<GestureRecognizer>>& recognizers);
  void setCancelledInView() { cancelledInView_ = true; }
  // Where the recognizers that took this touch compete (made by the first one to take it).
  const std::shared_ptr<GestureRecognizerArena>& gestureArena() const { return arena_; }
  void setGestureArena(std::shared_ptr<GestureRecognizerArena> arena) { arena_ = std::move(arena); }
  void update(TouchPhase phase, Point locationInWindow, TimeInterval timestamp);
  void setTapCount(int n) { tapCount_ = n; }

 private:
  std::weak_ptr<View> view_;
  std::weak_ptr<Window> window_;
  // Weak: recognizers keep their touches while they follow them, and their views own them.
  std::vector<std::weak_ptr<GestureRecognizer>> recognizers_;
  std::shared_ptr<GestureRecognizerArena> arena_;
  bool cancelledInView_ = false;
  Point location_;
  Point previous_;
  TouchPhase phase_ = TouchPhase::Began;
  int tapCount_ = 1;
  TimeInterval timestamp_;
};

using TouchSet = std::vector<std::shared_ptr<Touch>>;

// The touches that changed together (`touches`), and every finger down at that moment, in the
// order they touched down (`allTouches`; the window's router fills it in).
struct Event {
  TouchSet touches;
  TimeInterval timestamp = 0;
  TouchSet allTouches;
};

}  // namespace platform
