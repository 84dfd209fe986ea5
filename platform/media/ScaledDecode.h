#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "platform/foundation/Types.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/media/PictureFile.h"

namespace platform {

// The longer displayed side wanted for a picture whose upright size is (width, height).
using FittingSide = std::function<int(int width, int height)>;

// Decodes a picture no larger than needed for `maxPixelSide` on its longer displayed side: JPEG
// through the codec's own DCT scaling (1/2, 1/4, 1/8), other formats whole. The result is
// oriented Up (EXIF applied) at scale 1 and fits maxPixelSide; with `squareCrop` it is the
// centre square of side min(maxPixelSide, shorter side). nullptr when undecodable.
std::shared_ptr<Image> decodeImageFitting(std::span<const std::uint8_t> bytes, int maxPixelSide,
                                          bool squareCrop);
// The same from a library file, the side chosen once the picture's size is known.
std::shared_ptr<Image> decodeImageFitting(PictureFile& file, const FittingSide& side,
                                          bool squareCrop);
// Every stored pixel, orientation not applied.
std::shared_ptr<const Bitmap> decodeStoredPixels(PictureFile& file);

// The EXIF orientation of a JPEG (1 when absent or not a JPEG).
int jpegExifOrientation(std::span<const std::uint8_t> bytes);
int jpegExifOrientation(PictureFile& file);

}  // namespace platform
