#pragma once

#include <cstdint>

namespace platform {

// Three passes of a box blur in each direction over premultiplied ARGB32 pixels in place: close
// to a Gaussian of the same radius, and linear in the pixel count whatever the radius.
void boxBlur(std::uint32_t* pixels, int width, int height, int stridePixels, int radius);

}  // namespace platform
