// Encoders over libpng and libjpeg-turbo. Both report errors by longjmp, so the functions that set
// the jump point only touch buffers their callers prepared.
#include "platform/graphics/ImageEncoder.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <csetjmp>
#include <cstdio>  // before jpeglib.h, which uses FILE and size_t
#include <cstdlib>

#include <jpeglib.h>
#include <png.h>

#include "platform/graphics/Pixels.h"

namespace platform {
namespace {

void appendBytes(png_structp png, png_bytep bytes, png_size_t length) {
  auto* out = static_cast<Data*>(png_get_io_ptr(png));
  out->insert(out->end(), bytes, bytes + length);
}

void flushNothing(png_structp) {}
void onPngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void onPngWarning(png_structp, png_const_charp) {}

bool writePng(png_bytep* rows, png_uint_32 width, png_uint_32 height, bool alpha, Data* out) {
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onPngError, onPngWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, out, appendBytes, flushNothing);
  png_set_IHDR(png, info, width, height, 8, alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

struct JpegFailure {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void onJpegError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<JpegFailure*>(cinfo->err)->jump, 1);
}
void onJpegMessage(j_common_ptr) {}

// On success *buffer is malloc'ed by libjpeg and belongs to the caller.
bool writeJpeg(const Bitmap* bitmap, int quality, unsigned char** buffer, unsigned long* size) {
  jpeg_compress_struct cinfo{};
  JpegFailure failure{};
  cinfo.err = jpeg_std_error(&failure.manager);
  failure.manager.error_exit = onJpegError;
  failure.manager.output_message = onJpegMessage;
  if (setjmp(failure.jump)) {
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, buffer, size);
  cinfo.image_width = static_cast<JDIMENSION>(bitmap->width());
  cinfo.image_height = static_cast<JDIMENSION>(bitmap->height());
  cinfo.input_components = 4;
  // Read straight from the ARGB32 words; the alpha byte is skipped.
  cinfo.in_color_space = std::endian::native == std::endian::little ? JCS_EXT_BGRX : JCS_EXT_XRGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  if (quality >= 90) {
    cinfo.comp_info[0].h_samp_factor = 1;
    cinfo.comp_info[0].v_samp_factor = 1;
  }
  cinfo.optimize_coding = TRUE;
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    auto* row = reinterpret_cast<JSAMPROW>(const_cast<std::uint32_t*>(
        bitmap->pixels() + static_cast<std::size_t>(cinfo.next_scanline) * bitmap->width()));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

}  // namespace

std::optional<Data> encodePNG(const Bitmap& bitmap) {
  const std::size_t width = bitmap.width();
  const std::size_t height = bitmap.height();
  if (width == 0 || height == 0) return std::nullopt;
  const std::uint32_t* pixels = bitmap.pixels();
  const bool alpha = std::any_of(pixels, pixels + width * height,
                                 [](std::uint32_t p) { return pixels::alpha(p) != 255; });
  const std::size_t channels = alpha ? 4 : 3;
  std::vector<std::uint8_t> bytes(width * height * channels);
  std::uint8_t* b = bytes.data();
  for (std::size_t i = 0; i < width * height; ++i) {
    const std::uint32_t p = pixels[i];
    const std::uint32_t a = pixels::alpha(p);
    *b++ = static_cast<std::uint8_t>(pixels::unpremultiply(pixels::red(p), a));
    *b++ = static_cast<std::uint8_t>(pixels::unpremultiply(pixels::green(p), a));
    *b++ = static_cast<std::uint8_t>(pixels::unpremultiply(pixels::blue(p), a));
    if (alpha) *b++ = static_cast<std::uint8_t>(a);
  }
  std::vector<png_bytep> rows(height);
  for (std::size_t y = 0; y < height; ++y) rows[y] = bytes.data() + y * width * channels;
  Data out;
  out.reserve(bytes.size() / 4 + 1024);
  if (!writePng(rows.data(), static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                alpha, &out)) {
    return std::nullopt;
  }
  return out;
}

std::optional<Data> encodePNG(const Image& image) {
  auto bitmap = image.displayedBitmap();
  if (!bitmap) return std::nullopt;
  return encodePNG(*bitmap);
}

std::optional<Data> encodeJPEG(const Bitmap& bitmap, double quality) {
  if (bitmap.width() == 0 || bitmap.height() == 0) return std::nullopt;
  const double q = std::isfinite(quality) ? std::clamp(quality, 0.0, 1.0) : 1.0;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  const bool ok = writeJpeg(&bitmap, static_cast<int>(std::lround(q * 100)), &buffer, &size);
  std::optional<Data> out;
  if (ok && buffer) out = Data(buffer, buffer + size);
  std::free(buffer);
  return out;
}

std::optional<Data> encodeJPEG(const Image& image, double quality) {
  auto bitmap = image.displayedBitmap();
  if (!bitmap) return std::nullopt;
  return encodeJPEG(*bitmap, quality);
}

}  // namespace platform
