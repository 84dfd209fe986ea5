#include "platform/graphics/Bitmap.h"

#include <cairo.h>

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
      data_(pixels_.data()),
      alphaInfo_(alphaInfo),
      colorModel_(colorModel) {}

std::shared_ptr<const Bitmap> Bitmap::wrapSurface(cairo_surface_t* surface, AlphaInfo alphaInfo) {
  if (!surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return nullptr;
  const cairo_format_t format = cairo_image_surface_get_format(surface);
  if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) return nullptr;
  const int width = cairo_image_surface_get_width(surface);
  // Readers assume rows of exactly width words, which Cairo gives these formats.
  if (cairo_image_surface_get_stride(surface) != width * 4) return nullptr;
  cairo_surface_flush(surface);
  auto* bitmap =
      new Bitmap(width, cairo_image_surface_get_height(surface), {}, alphaInfo, ColorModel::RGB);
  bitmap->surface_ = cairo_surface_reference(surface);
  bitmap->data_ = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface));
  return std::shared_ptr<const Bitmap>(bitmap);
}

Bitmap::~Bitmap() {
  if (surface_) cairo_surface_destroy(surface_);
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
