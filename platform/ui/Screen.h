#pragma once

#include <mutex>

#include "platform/graphics/Geometry.h"

namespace platform {

// The display the app runs on: its scale (pixels per point) and bounds in points.
class Screen {
 public:
  static Screen& main();

  double scale() const;
  void setScale(double scale);  // ignored unless positive
  Rect bounds() const;
  void setBounds(Rect bounds);

 private:
  Screen() = default;

  mutable std::mutex mutex_;
  double scale_ = 2.0;
  Rect bounds_{{0, 0}, {375, 667}};
};

}  // namespace platform
