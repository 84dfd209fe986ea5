#pragma once

#include <mutex>

#include "platform/graphics/DisplayScale.h"
#include "platform/graphics/Geometry.h"

namespace platform {

// The display the app runs on: its scale (pixels per point) and bounds in points.
class Screen {
 public:
  static Screen& main();

  // The scale lives in DisplayScale, where drawing reads it.
  double scale() const { return DisplayScale::current(); }
  void setScale(double scale) { DisplayScale::set(scale); }  // ignored unless positive
  Rect bounds() const;
  void setBounds(Rect bounds);

 private:
  Screen() = default;

  mutable std::mutex mutex_;
  Rect bounds_{{0, 0}, {375, 667}};
};

}  // namespace platform
