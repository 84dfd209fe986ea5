#include "platform/graphics/ImageOrientation.h"

#include <cstdint>
#include <vector>

namespace platform {
namespace {

// Integer form of displayToStoredTransform: the stored pixel shown at display pixel (u, v).
struct StoredPixel {
  std::int64_t x;
  std::int64_t y;
};

StoredPixel storedPixel(ImageOrientation o, std::int64_t u, std::int64_t v, std::int64_t w,
                        std::int64_t h) {
  switch (o) {
    case ImageOrientation::Up:
      return {u, v};
    case ImageOrientation::UpMirrored:
      return {w - 1 - u, v};
    case ImageOrientation::Down:
      return {w - 1 - u, h - 1 - v};
    case ImageOrientation::DownMirrored:
      return {u, h - 1 - v};
    case ImageOrientation::LeftMirrored:
      return {v, u};
    case ImageOrientation::Right:
      return {v, h - 1 - u};
    case ImageOrientation::RightMirrored:
      return {w - 1 - v, h - 1 - u};
    case ImageOrientation::Left:
      return {w - 1 - v, u};
  }
  return {u, v};
}

}  // namespace

ImageOrientation orientationFromExif(int exif) {
  switch (exif) {
    case 2:
      return ImageOrientation::UpMirrored;
    case 3:
      return ImageOrientation::Down;
    case 4:
      return ImageOrientation::DownMirrored;
    case 5:
      return ImageOrientation::LeftMirrored;
    case 6:
      return ImageOrientation::Right;
    case 7:
      return ImageOrientation::RightMirrored;
    case 8:
      return ImageOrientation::Left;
    default:
      return ImageOrientation::Up;
  }
}

int exifFromOrientation(ImageOrientation o) {
  switch (o) {
    case ImageOrientation::Up:
      return 1;
    case ImageOrientation::UpMirrored:
      return 2;
    case ImageOrientation::Down:
      return 3;
    case ImageOrientation::DownMirrored:
      return 4;
    case ImageOrientation::LeftMirrored:
      return 5;
    case ImageOrientation::Right:
      return 6;
    case ImageOrientation::RightMirrored:
      return 7;
    case ImageOrientation::Left:
      return 8;
  }
  return 1;
}

AffineTransform displayToStoredTransform(ImageOrientation o, double w, double h) {
  switch (o) {
    case ImageOrientation::Up:
      return {1, 0, 0, 1, 0, 0};
    case ImageOrientation::UpMirrored:
      return {-1, 0, 0, 1, w, 0};
    case ImageOrientation::Down:
      return {-1, 0, 0, -1, w, h};
    case ImageOrientation::DownMirrored:
      return {1, 0, 0, -1, 0, h};
    case ImageOrientation::LeftMirrored:
      return {0, 1, 1, 0, 0, 0};
    case ImageOrientation::Right:
      return {0, -1, 1, 0, 0, h};
    case ImageOrientation::RightMirrored:
      return {0, -1, -1, 0, w, h};
    case ImageOrientation::Left:
      return {0, 1, -1, 0, w, 0};
  }
  return {};
}

std::shared_ptr<const Bitmap> orientBitmap(const std::shared_ptr<const Bitmap>& bitmap,
                                           ImageOrientation o) {
  if (!bitmap || o == ImageOrientation::Up) return bitmap;
  const std::int64_t w = bitmap->width();
  const std::int64_t h = bitmap->height();
  const std::int64_t dw = swapsWidthAndHeight(o) ? h : w;
  const std::int64_t dh = swapsWidthAndHeight(o) ? w : h;
  // The stored index is linear in (u, v), so walk it with two steps instead of a switch per pixel.
  auto index = [&](std::int64_t u, std::int64_t v) {
    const StoredPixel p = storedPixel(o, u, v, w, h);
    return p.y * w + p.x;
  };
  const std::int64_t base = index(0, 0);
  const std::int64_t stepU = index(1, 0) - base;
  const std::int64_t stepV = index(0, 1) - base;
  std::vector<std::uint32_t> out(static_cast<std::size_t>(dw * dh));
  const std::uint32_t* in = bitmap->pixels();
  std::uint32_t* dst = out.data();
  for (std::int64_t v = 0; v < dh; ++v) {
    std::int64_t src = base + v * stepV;
    for (std::int64_t u = 0; u < dw; ++u, src += stepU) *dst++ = in[src];
  }
  return Bitmap::create(static_cast<int>(dw), static_cast<int>(dh), std::move(out),
                        bitmap->alphaInfo(), bitmap->colorModel());
}

}  // namespace platform
