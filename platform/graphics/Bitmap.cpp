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
      words_(pixels_.data()),
      wordCount_(pixels_.size()),
      alphaInfo_(alphaInfo),
      colorModel_(colorModel) {}

std::shared_ptr<const Bitmap> Bitmap::adopt(int width, int height,
                                            std::unique_ptr<PixelBuffer> buffer,
                                            AlphaInfo alphaInfo, ColorModel colorModel) {
  if (width < 0 || height < 0 || !buffer) return nullptr;
  if (buffer->size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
    return nullptr;
  }
  std::shared_ptr<Bitmap> bitmap(new Bitmap(width, height, {}, alphaInfo, colorModel));
  bitmap->words_ = buffer->data();
  bitmap->wordCount_ = buffer->size();
  bitmap->owner_ = std::shared_ptr<const PixelBuffer>(std::move(buffer));
  return bitmap;
}

std::shared_ptr<const Bitmap> Bitmap::sharingPixels(const std::shared_ptr<const Bitmap>& source,
                                                    AlphaInfo alphaInfo, ColorModel colorModel) {
  if (!source) return nullptr;
  std::shared_ptr<Bitmap> bitmap(
      new Bitmap(source->width_, source->height_, {}, alphaInfo, colorModel));
  bitmap->words_ = source->words_;
  bitmap->wordCount_ = source->wordCount_;
  bitmap->owner_ = source;
  return bitmap;
}

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
