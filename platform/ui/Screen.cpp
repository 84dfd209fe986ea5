#include "platform/ui/Screen.h"

namespace platform {

Screen& Screen::main() {
  static Screen screen;
  return screen;
}

double Screen::scale() const {
  std::lock_guard lock(mutex_);
  return scale_;
}

void Screen::setScale(double scale) {
  if (!(scale > 0)) return;
  std::lock_guard lock(mutex_);
  scale_ = scale;
}

Rect Screen::bounds() const {
  std::lock_guard lock(mutex_);
  return bounds_;
}

void Screen::setBounds(Rect bounds) {
  std::lock_guard lock(mutex_);
  bounds_ = bounds;
}

}  // namespace platform
