#pragma once

#include <cstdint>
#include <memory>

#include "platform/graphics/Image.h"

namespace sprout {

// Bitmaps above this many pixels are not redrawn: the copy would double an already large image.
inline constexpr std::uint64_t kWIForceDecodeMaxPixels = 1ull << 26;

// Redraws an opaque image into a fresh RGB bitmap without alpha so that drawing it later needs no
// conversion (grey, CMYK, indexed and unknown colour models become RGB). Images with alpha and
// animations come back unchanged; when the bitmap cannot be made (over `maxPixels`, or out of
// memory) the source image comes back too.
std::shared_ptr<platform::Image> decodedImageWithImage(
    const std::shared_ptr<platform::Image>& image,
    std::uint64_t maxPixels = kWIForceDecodeMaxPixels);

}  // namespace sprout
