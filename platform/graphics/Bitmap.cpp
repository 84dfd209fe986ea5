#include "platform/graphics/Bitmap.h"

#include <algorithm>

namespace platform {

std::shared_ptr<const Bitmap> Bitmap::create(int width, int height,
                                             std::vector<std::uint32_t> pixels, AlphaInfo alphaInfo,
                                             ColorModel colorModel) {
  if (width < 0 || height < 0) return nullptr;
  if (pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
    return nullptr;
  }
  return std::shared_ptr<const Bitmap>(
      new Bitmap(width, height, std::move(pixels), alphaInfo, colorModel));
}

Bitmap::Bitmap(int width, int height, std::vector<std::uint32_t> pixels, AlphaInfo alphaInfo,
               ColorModel colorModel)
    : width_(width),
      height_(height),
      pixels_(std::move(pixels)),
      alphaInfo_(alphaInfo),
      colorModel_(colorModel) {}

bool Bitmap::hasAlpha() const {
  switch (alphaInfo_) {
    case AlphaInfo::PremultipliedLast:
    case AlphaInfo::PremultipliedFirst:
    case AlphaInfo::Last:
    case AlphaInfo::First:
    case AlphaInfo::Only:
      return true;
    default:
      return false;
  }
}

std::shared_ptr<const Bitmap> Bitmap::cropped(int x, int y, int width, int height) const {
  const long x0 = std::max<long>(x, 0);
  const long y0 = std::max<long>(y, 0);
  const long x1 = std::min<long>(static_cast<long>(x) + width, width_);
  const long y1 = std::min<long>(static_cast<long>(y) + height, height_);
  if (width <= 0 || height <= 0 || x1 <= x0 || y1 <= y0) return nullptr;
  std::vector<std::uint32_t> out;
  out.reserve(static_cast<std::size_t>((x1 - x0) * (y1 - y0)));
  for (long row = y0; row < y1; ++row) {
    const std::uint32_t* line = pixels_.data() + row * width_;
    out.insert(out.end(), line + x0, line + x1);
  }
  return create(static_cast<int>(x1 - x0), static_cast<int>(y1 - y0), std::move(out), alphaInfo_,
                colorModel_);
}

}  // namespace platform
