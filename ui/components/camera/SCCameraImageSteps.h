#pragma once

#include <memory>

#include "platform/graphics/Image.h"
#include "platform/ui/Device.h"

namespace sprout {

// The camera's two image steps, apart from the controller so they run on any thread.

// Cuts the sensor's landscape frame (the pixels as stored, before the image's orientation) to
// the part the preview box showed: x = shown height / viewHeight × 70, the shown width × 1.33
// long and the shown width across, made integral and clipped to the frame; then turns it a
// quarter clockwise into an upright photo (scale 1, Up). nullptr for a null image, a view
// height that is not positive, or a cut that misses the frame.
std::shared_ptr<platform::Image> SCCameraCutImage(const platform::Image* image, double viewHeight);

// Turns the photo for the way the device was held: landscape left a quarter counter-clockwise,
// landscape right a quarter clockwise (sides exchanged), any other orientation as it is.
std::shared_ptr<platform::Image> SCCameraFixOrientation(const platform::Image* image,
                                                        platform::DeviceOrientation orientation);

}  // namespace sprout
