#include "platform/ui/Screen.h"

namespace platform {

Screen& Screen::main() {
  static Screen screen;
  return screen;
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
