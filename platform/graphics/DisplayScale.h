#pragma once

namespace platform {

// The display's pixels per point, kept here so that drawing and images by name can read it
// without reaching up to the screen; Screen::main() reads and sets it. Thread-safe.
class DisplayScale {
 public:
  static double current();
  static void set(double scale);  // ignored unless positive
};

}  // namespace platform
