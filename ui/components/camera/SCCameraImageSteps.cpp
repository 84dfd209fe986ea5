#include "ui/components/camera/SCCameraImageSteps.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "platform/graphics/Context.h"
#include "platform/graphics/ImageOrientation.h"

namespace sprout {

std::shared_ptr<platform::Image> SCCameraCutImage(const platform::Image* image, double viewHeight) {
  if (!image || !image->bitmap() || !(viewHeight > 0)) return nullptr;
  const platform::Bitmap& frame = *image->bitmap();
  const platform::Size shown = image->size();
  // The rectangle made integral outwards, then clipped to the frame.
  const double x = shown.height / viewHeight * 70, w = shown.width * 1.33, h = shown.width;
  const double x0 = std::max(0.0, std::floor(x)), y0 = 0;
  const double x1 = std::min<double>(frame.width(), std::ceil(x + w));
  const double y1 = std::min<double>(frame.height(), std::ceil(h));
  if (!(x1 > x0) || !(y1 > y0)) return nullptr;
  const int cw = static_cast<int>(x1 - x0), ch = static_cast<int>(y1 - y0);
  // Every pixel is written (operator SOURCE) and the frame's pixels are opaque already, so the
  // result needs no pass to make it so; it keeps the surface's pixels instead of a copy.
  auto context = platform::Context::createBitmap(ch, cw, platform::AlphaInfo::PremultipliedFirst);
  if (!context) return nullptr;
  // The crop is read in place from the frame's pixels: no copy before the turn.
  const auto* first = reinterpret_cast<const unsigned char*>(frame.pixels()) +
                      static_cast<std::size_t>(y0) * frame.stride() +
                      static_cast<std::size_t>(x0) * 4;
  cairo_surface_t* crop =
      cairo_image_surface_create_for_data(const_cast<unsigned char*>(first), CAIRO_FORMAT_ARGB32,
                                          cw, ch, static_cast<int>(frame.stride()));
  cairo_t* cr = context->cairo();
  cairo_translate(cr, ch, 0);
  cairo_rotate(cr, M_PI / 2);  // y points down: a quarter clockwise on screen
  cairo_set_source_surface(cr, crop, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  cairo_surface_destroy(crop);
  return context->shareImage();
}

std::shared_ptr<platform::Image> SCCameraFixOrientation(const platform::Image* image,
                                                        platform::DeviceOrientation orientation) {
  if (!image || !image->bitmap()) return nullptr;
  auto upright = image->displayedBitmap();
  switch (orientation) {
    case platform::DeviceOrientation::LandscapeLeft:
      return platform::Image::create(
          platform::orientBitmap(upright, platform::ImageOrientation::Left));
    case platform::DeviceOrientation::LandscapeRight:
      return platform::Image::create(
          platform::orientBitmap(upright, platform::ImageOrientation::Right));
    default:
      return platform::Image::create(upright);
  }
}

}  // namespace sprout
