#include "images/WIImageForceDecode.h"

#include <new>
#include <vector>

namespace sprout {

using platform::AlphaInfo;
using platform::Bitmap;
using platform::ColorModel;
using platform::Image;

namespace {

bool hasAlphaChannel(AlphaInfo info) {
  return info == AlphaInfo::PremultipliedLast || info == AlphaInfo::PremultipliedFirst ||
         info == AlphaInfo::Last || info == AlphaInfo::First;
}

// Colour models a bitmap cannot be drawn into keep RGB instead.
ColorModel drawableModel(ColorModel model) {
  switch (model) {
    case ColorModel::Unknown:
    case ColorModel::Monochrome:
    case ColorModel::CMYK:
    case ColorModel::Indexed:
      return ColorModel::RGB;
    default:
      return model;
  }
}

// The platform's bitmaps hold decoded 32-bit pixels already, so drawing one 1:1 into a fresh
// opaque bitmap is a copy with the alpha byte set (colour over black). Done directly it costs a
// memory copy instead of a composite through a drawing context.
std::shared_ptr<const Bitmap> redraw(const Bitmap& bitmap) {
  const std::size_t count = static_cast<std::size_t>(bitmap.width()) * bitmap.height();
  std::vector<std::uint32_t> pixels;
  try {
    pixels.assign(bitmap.pixels(), bitmap.pixels() + count);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  for (std::uint32_t& pixel : pixels) pixel |= 0xFF000000u;
  return Bitmap::create(bitmap.width(), bitmap.height(), std::move(pixels), AlphaInfo::NoneSkipLast,
                        drawableModel(bitmap.colorModel()));
}

}  // namespace

std::shared_ptr<Image> decodedImageWithImage(const std::shared_ptr<Image>& image,
                                             std::uint64_t maxPixels) {
  if (!image) return nullptr;
  if (image->isAnimated()) return image;
  const auto& bitmap = image->bitmap();
  if (!bitmap || hasAlphaChannel(bitmap->alphaInfo())) return image;
  const auto pixels =
      static_cast<std::uint64_t>(bitmap->width()) * static_cast<std::uint64_t>(bitmap->height());
  if (pixels == 0 || pixels > maxPixels) return image;
  // Opaque bitmaps hold alpha 0xFF already, so a bitmap that is already opaque RGB would be
  // redrawn into the very same pixels: the new image shares them instead.
  if (bitmap->alphaInfo() == AlphaInfo::NoneSkipLast &&
      drawableModel(bitmap->colorModel()) == bitmap->colorModel()) {
    return Image::create(bitmap, image->scale(), image->orientation());
  }
  // Any other opaque source (grey, palette, RGB without a skipped byte) is redrawn into the same
  // words too: only the description changes, so the pixels are shared, never copied. A copy
  // would double the peak memory of a large picture.
  if (bitmap->alphaInfo() == AlphaInfo::None || bitmap->alphaInfo() == AlphaInfo::NoneSkipFirst ||
      bitmap->alphaInfo() == AlphaInfo::NoneSkipLast) {
    return Image::create(
        Bitmap::sharingPixels(bitmap, AlphaInfo::NoneSkipLast, drawableModel(bitmap->colorModel())),
        image->scale(), image->orientation());
  }
  auto drawn = redraw(*bitmap);
  if (!drawn) return image;
  return Image::create(std::move(drawn), image->scale(), image->orientation());
}

}  // namespace sprout
