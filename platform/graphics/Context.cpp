#include "platform/graphics/Context.h"

#include <cmath>
#include <cstring>

#include "platform/graphics/DisplayScale.h"

namespace platform {
namespace {

constexpr int kMaxSide = 32767;  // Cairo's limit for image surfaces

bool isOpaqueInfo(AlphaInfo info) {
  return info == AlphaInfo::None || info == AlphaInfo::NoneSkipLast ||
         info == AlphaInfo::NoneSkipFirst;
}

}  // namespace

std::unique_ptr<Context> Context::create(Size points, double scale, bool opaque) {
  if (scale == 0) scale = DisplayScale::current();
  if (!(scale > 0) || !std::isfinite(scale)) return nullptr;
  if (!(points.width > 0) || !(points.height > 0)) return nullptr;
  // A hair under a whole pixel is rounding noise from the caller's arithmetic, not a pixel.
  const double w = std::ceil(points.width * scale - 1e-6);
  const double h = std::ceil(points.height * scale - 1e-6);
  if (!(w <= kMaxSide) || !(h <= kMaxSide)) return nullptr;
  const AlphaInfo info = opaque ? AlphaInfo::NoneSkipFirst : AlphaInfo::PremultipliedFirst;
  cairo_surface_t* surface = cairo_image_surface_create(
      opaque ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32, static_cast<int>(w), static_cast<int>(h));
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  return std::unique_ptr<Context>(new Context(surface, scale, info));
}

std::unique_ptr<Context> Context::createBitmap(int widthPx, int heightPx, AlphaInfo alphaInfo) {
  if (widthPx <= 0 || heightPx <= 0 || widthPx > kMaxSide || heightPx > kMaxSide) return nullptr;
  cairo_surface_t* surface = cairo_image_surface_create(
      isOpaqueInfo(alphaInfo) ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32, widthPx, heightPx);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  return std::unique_ptr<Context>(new Context(surface, 1.0, alphaInfo));
}

Context::Context(cairo_surface_t* surface, double scale, AlphaInfo alphaInfo)
    : surface_(surface), cr_(cairo_create(surface)), scale_(scale), alphaInfo_(alphaInfo) {
  cairo_scale(cr_, scale, scale);
}

Context::~Context() {
  cairo_destroy(cr_);
  cairo_surface_destroy(surface_);
}

int Context::pixelWidth() const { return cairo_image_surface_get_width(surface_); }
int Context::pixelHeight() const { return cairo_image_surface_get_height(surface_); }
bool Context::isOpaque() const {
  return cairo_image_surface_get_format(surface_) == CAIRO_FORMAT_RGB24;
}

void Context::drawImage(const Image& image, Rect rect) {
  rect = standardize(rect);
  if (isEmpty(rect) || !std::isfinite(rect.size.width) || !std::isfinite(rect.size.height)) return;
  const Bitmap& bitmap = *image.bitmap();
  if (bitmap.width() == 0 || bitmap.height() == 0) return;
  // Cairo only reads from a source surface; the const_cast never leads to a write. Pixels
  // without alpha (every word's alpha is 0xFF) are copied rather than blended.
  cairo_surface_t* source = cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(bitmap.pixels())),
      bitmap.hasAlpha() ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, bitmap.width(), bitmap.height(),
      static_cast<int>(bitmap.stride()));
  cairo_pattern_t* pattern = imagePattern(source);
  fillImage(pattern, image, rect);
  cairo_pattern_destroy(pattern);
  cairo_surface_finish(source);  // the pixels belong to the bitmap; nothing may keep them
  cairo_surface_destroy(source);
}

void Context::fillImage(cairo_pattern_t* pixels, const Image& image, Rect rect) {
  rect = standardize(rect);
  if (isEmpty(rect) || !std::isfinite(rect.size.width) || !std::isfinite(rect.size.height)) return;
  const cairo_matrix_t matrix = imageMatrix(image, rect);
  cairo_pattern_set_matrix(pixels, &matrix);
  cairo_save(cr_);
  cairo_set_source(cr_, pixels);
  cairo_rectangle(cr_, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
  cairo_fill(cr_);
  cairo_restore(cr_);
}

cairo_matrix_t Context::imageMatrix(const Image& image, Rect rect) {
  const Bitmap& bitmap = *image.bitmap();
  const ImageOrientation orientation = image.orientation();
  const bool swap = swapsWidthAndHeight(orientation);
  const double shownWidth = swap ? bitmap.height() : bitmap.width();
  const double shownHeight = swap ? bitmap.width() : bitmap.height();
  // Into the rect, stretched to the displayed pixel size, then turned back to how the pixels
  // are stored.
  const AffineTransform toStored =
      AffineTransform::translation(-rect.origin.x, -rect.origin.y)
          .concat(
              AffineTransform::scale(shownWidth / rect.size.width, shownHeight / rect.size.height))
          .concat(displayToStoredTransform(orientation, bitmap.width(), bitmap.height()));
  cairo_matrix_t matrix;
  cairo_matrix_init(&matrix, toStored.a, toStored.b, toStored.c, toStored.d, toStored.tx,
                    toStored.ty);
  return matrix;
}

cairo_pattern_t* Context::imagePattern(cairo_surface_t* pixels) {
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(pixels);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);  // no fading into nothing at the edges
  cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
  return pattern;
}

void Context::fillRect(Rect rect, Color color) {
  rect = standardize(rect);
  if (isEmpty(rect)) return;
  cairo_save(cr_);
  setSourceColor(cr_, color);
  cairo_rectangle(cr_, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
  cairo_fill(cr_);
  cairo_restore(cr_);
}

void Context::setSourceColor(cairo_t* cr, const Color& color) {
  const auto tile = color.patternImage();
  const auto bitmap = tile ? tile->displayedBitmap() : nullptr;
  if (!bitmap || bitmap->width() == 0 || bitmap->height() == 0) {
    cairo_set_source_rgba(cr, color.r, color.g, color.b, color.a);
    return;
  }
  // A copy the pattern owns: the source may outlive this call inside the caller's state.
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, bitmap->width(), bitmap->height());
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < bitmap->height(); ++y) {
    std::memcpy(data + static_cast<std::size_t>(y) * stride,
                bitmap->pixels() + static_cast<std::size_t>(y) * bitmap->width(), bitmap->stride());
  }
  cairo_surface_mark_dirty(surface);
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(surface);
  cairo_surface_destroy(surface);
  cairo_matrix_t matrix;
  cairo_matrix_init_scale(&matrix, tile->scale(), tile->scale());  // points → tile pixels
  cairo_pattern_set_matrix(pattern, &matrix);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
  cairo_set_source(cr, pattern);
  cairo_pattern_destroy(pattern);
}

std::shared_ptr<const Bitmap> Context::makeBitmap() const {
  cairo_surface_flush(surface_);
  const int width = pixelWidth();
  const int height = pixelHeight();
  const int stride = cairo_image_surface_get_stride(surface_);
  const unsigned char* data = cairo_image_surface_get_data(surface_);
  // Copied row by row straight into place: no zero fill first (a layer's display makes one of
  // these for every redraw).
  std::vector<std::uint32_t> pixels;
  pixels.reserve(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const auto* row =
        reinterpret_cast<const std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
    pixels.insert(pixels.end(), row, row + width);
  }
  if (isOpaque()) {
    for (std::uint32_t& p : pixels) p |= 0xFF000000u;  // RGB24 leaves the top byte undefined
  }
  return Bitmap::create(width, height, std::move(pixels), alphaInfo_, ColorModel::RGB);
}

std::shared_ptr<Image> Context::makeImage() const { return Image::create(makeBitmap(), scale_); }

std::shared_ptr<Image> Context::shareImage() {
  cairo_surface_flush(surface_);
  if (isOpaque()) {  // RGB24 leaves the top byte undefined; bitmaps promise 0xFF
    auto* p = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface_));
    const std::size_t count =
        static_cast<std::size_t>(cairo_image_surface_get_stride(surface_) / 4) *
        static_cast<std::size_t>(pixelHeight());
    for (std::size_t i = 0; i < count; ++i) p[i] |= 0xFF000000u;
    cairo_surface_mark_dirty(surface_);
  }
  auto bitmap = Bitmap::wrapSurface(surface_, alphaInfo_);
  if (!bitmap) return makeImage();
  shared_ = bitmap;
  return Image::create(std::move(bitmap), scale_);
}

bool Context::fits(Size points, double scale) const {
  if (scale == 0) scale = DisplayScale::current();
  return scale == scale_ && std::ceil(points.width * scale - 1e-6) == pixelWidth() &&
         std::ceil(points.height * scale - 1e-6) == pixelHeight();
}

void Context::clear() {
  cairo_surface_flush(surface_);
  std::memset(cairo_image_surface_get_data(surface_), 0,
              static_cast<std::size_t>(cairo_image_surface_get_stride(surface_)) *
                  static_cast<std::size_t>(pixelHeight()));
  cairo_surface_mark_dirty(surface_);
  resetState();
}

void Context::resetState() {
  cairo_destroy(cr_);
  cr_ = cairo_create(surface_);
  cairo_scale(cr_, scale_, scale_);
}

}  // namespace platform
