#include "platform/ui/Touch.h"

#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace platform {

Touch::Touch(const std::shared_ptr<Window>& window, Point locationInWindow, TimeInterval timestamp)
    : window_(window),
      location_(locationInWindow),
      previous_(locationInWindow),
      timestamp_(timestamp) {}

void Touch::update(TouchPhase phase, Point locationInWindow, TimeInterval timestamp) {
  phase_ = phase;
  previous_ = location_;
  location_ = locationInWindow;
  timestamp_ = timestamp;
}

Point Touch::locationInView(const View* view) const {
  auto window = window_.lock();
  if (!view || !window) return location_;
  return view->convertPointFrom(location_, window.get());
}

Point Touch::previousLocationInView(const View* view) const {
  auto window = window_.lock();
  if (!view || !window) return previous_;
  return view->convertPointFrom(previous_, window.get());
}

}  // namespace platform
