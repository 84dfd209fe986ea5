#pragma once

#include <cstdint>

#include "platform/graphics/Geometry.h"
#include "platform/ui/ApplicationWindows.h"

namespace sprout {

// What the QR scanner screen asks of the device: the screen in interface orientation and the
// capture orientation that matches the status bar.
class QRUtil {
 public:
  // The main screen's bounds; this platform's screen always reports them in interface
  // orientation, so they come back unchanged.
  static platform::Rect screenBounds();
  // The rule for a screen that may report fixed portrait bounds: without a fixed coordinate
  // space, landscape exchanges width and height (origin zero); anything else keeps the bounds.
  static platform::Rect screenBounds(const platform::Rect& bounds, bool hasFixedCoordinateSpace,
                                     platform::InterfaceOrientation orientation);

  // The status bar's orientation as a capture orientation (the numbers match one for one):
  // upside down and both landscapes as they are, anything else portrait (1).
  static std::int64_t videoOrientationFromCurrentDeviceOrientation();
};

}  // namespace sprout
