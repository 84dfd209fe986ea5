#include "ui/components/qr/QRUtil.h"

#include "platform/ui/Screen.h"

namespace sprout {

using platform::InterfaceOrientation;

platform::Rect QRUtil::screenBounds() {
  return screenBounds(platform::Screen::main().bounds(), true,
                      platform::ApplicationWindows::shared().statusBarOrientation());
}

platform::Rect QRUtil::screenBounds(const platform::Rect& bounds, bool hasFixedCoordinateSpace,
                                    InterfaceOrientation orientation) {
  if (hasFixedCoordinateSpace) return bounds;
  if (orientation == InterfaceOrientation::LandscapeRight ||
      orientation == InterfaceOrientation::LandscapeLeft) {
    return platform::makeRect(0, 0, bounds.size.height, bounds.size.width);
  }
  return bounds;
}

std::int64_t QRUtil::videoOrientationFromCurrentDeviceOrientation() {
  const auto orientation = platform::ApplicationWindows::shared().statusBarOrientation();
  switch (orientation) {
    case InterfaceOrientation::PortraitUpsideDown:
    case InterfaceOrientation::LandscapeRight:
    case InterfaceOrientation::LandscapeLeft:
      return static_cast<std::int64_t>(orientation);
    default:
      return static_cast<std::int64_t>(InterfaceOrientation::Portrait);
  }
}

}  // namespace sprout
