#include "platform/graphics/Bitmap.h"

#include <cairo.h>

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

std::shared_ptr<const Bitmap> Bitmap::wrapSurface(cairo_surface_t* surface, AlphaInfo alphaInfo) {
  if (!surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return nullptr;
  const cairo_format_t format = cairo_image_surface_get_format(surface);
  if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) return nullptr;
  const int width = cairo_image_surface_get_width(surface);
  const int height = cairo_image_surface_get_height(surface);
  // Readers assume rows of exactly width words, which Cairo gives these formats.
  if (cairo_image_surface_get_stride(surface) != width * 4) return nullptr;
  cairo_surface_flush(surface);
  std::shared_ptr<Bitmap> bitmap(new Bitmap(width, height, {}, alphaInfo, ColorModel::RGB));
  bitmap->words_ = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface));
  bitmap->wordCount_ = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  bitmap->owner_ =
      std::shared_ptr<cairo_surface_t>(cairo_surface_reference(surface), cairo_surface_destroy);
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

std::shared_ptr<const Bitmap> Bitmap::cropped(int x, int y, int width, int height) const {
  const long x0 = std::max<long>(x, 0);
  const long y0 = std::max<long>(y, 0);
  const long x1 = std::min<long>(static_cast<long>(x) + width, width_);
  const long y1 = std::min<long>(static_cast<long>(y) + height, height_);
  if (width <= 0 || height <= 0 || x1 <= x0 || y1 <= y0) return nullptr;
  std::vector<std::uint32_t> out;
  out.reserve(static_cast<std::size_t>((x1 - x0) * (y1 - y0)));
  for (long row = y0; row < y1; ++row) {
    const std::uint32_t* line = words_ + row * width_;
    out.insert(out.end(), line + x0, line + x1);
  }
  return create(static_cast<int>(x1 - x0), static_cast<int>(y1 - y0), std::move(out), alphaInfo_,
                colorModel_);
}

}  // namespace platform
