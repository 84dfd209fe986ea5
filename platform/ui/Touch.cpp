#include "platform/ui/Touch.h"

#include <algorithm>

#include "platform/ui/GestureRecognizer.h"
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

std::vector<std::shared_ptr<GestureRecognizer>> Touch::gestureRecognizers() const {
  std::vector<std::shared_ptr<GestureRecognizer>> alive;
  for (const auto& weak : recognizers_) {
    if (auto r = weak.lock()) alive.push_back(std::move(r));
  }
  return alive;
}

void Touch::setGestureRecognizers(
    const std::vector<std::shared_ptr<GestureRecognizer>>& recognizers) {
  recognizers_.assign(recognizers.begin(), recognizers.end());
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
