#pragma once

#include <memory>

#include "platform/foundation/Types.h"
#include "platform/graphics/Image.h"

namespace platform {

// Decodes a picture no larger than needed for `maxPixelSide` on its longer displayed side: JPEG
// through the codec's own DCT scaling (1/2, 1/4, 1/8), other formats whole. The result is
// oriented Up (EXIF applied) at scale 1 and fits maxPixelSide; with `squareCrop` it is the
// centre square of side min(maxPixelSide, shorter side). nullptr when undecodable.
std::shared_ptr<Image> decodeImageFitting(const Data& data, int maxPixelSide, bool squareCrop);

// The EXIF orientation of a JPEG (1 when absent or not a JPEG).
int jpegExifOrientation(const Data& data);

}  // namespace platform
