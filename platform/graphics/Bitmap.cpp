#include "platform/graphics/Bitmap.h"

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

}  // namespace platform
