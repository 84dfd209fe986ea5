// Thumbnails decode at thumbnail size so an album of large photos costs what its thumbnails cost.
#include "platform/media/ScaledDecode.h"

#include <cairo.h>
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/graphics/Context.h"
#include "platform/graphics/ExifOrientation.h"
#include "platform/graphics/ImageOrientation.h"
#include "platform/graphics/ImageSource.h"

namespace platform {
namespace {

struct JpegFailure {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void onJpegError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegFailure*>(info->err)->jump, 1);
}

// The smallest DCT scale that still leaves the measured side (the shorter one for a square crop,
// else the longer) at least `wanted` pixels.
int scaleDenominator(unsigned width, unsigned height, int wanted, bool square) {
  const unsigned side = square ? std::min(width, height) : std::max(width, height);
  for (int denom : {8, 4, 2}) {
    if (side / static_cast<unsigned>(denom) >= static_cast<unsigned>(wanted)) return denom;
  }
  return 1;
}

// Reads the EXIF orientation from the same pass (APP1 kept while the header is read).
std::shared_ptr<const Bitmap> decodeJpegScaled(const Data& data, int wanted, bool square,
                                               int* exifOrientation) {
  jpeg_decompress_struct info{};
  JpegFailure failure{};
  info.err = jpeg_std_error(&failure.manager);
  failure.manager.error_exit = onJpegError;
  // Heap-held and made before setjmp, so a jump back leaves no local in an indeterminate state.
  auto pixels = std::make_unique<std::vector<std::uint32_t>>();
  if (setjmp(failure.jump)) {
    jpeg_destroy_decompress(&info);
    return nullptr;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK || info.image_width > 65535 ||
      info.image_height > 65535) {
    jpeg_destroy_decompress(&info);
    return nullptr;
  }
  for (auto* marker = info.marker_list; marker; marker = marker->next) {
    if (marker->marker != JPEG_APP0 + 1) continue;
    if (auto o = exifOrientationFromApp1(marker->data, marker->data_length)) *exifOrientation = *o;
  }
  info.scale_num = 1;
  info.scale_denom = scaleDenominator(info.image_width, info.image_height, wanted, square);
  info.out_color_space = JCS_EXT_BGRX;
  jpeg_start_decompress(&info);
  const int w = static_cast<int>(info.output_width);
  const int h = static_cast<int>(info.output_height);
  pixels->resize(static_cast<std::size_t>(w) * h);
  while (info.output_scanline < info.output_height) {
    auto* row = reinterpret_cast<JSAMPROW>(&(*pixels)[std::size_t(info.output_scanline) * w]);
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  for (auto& p : *pixels) p |= 0xFF000000u;
  return Bitmap::create(w, h, std::move(*pixels), AlphaInfo::NoneSkipLast, ColorModel::RGB);
}

std::shared_ptr<const Bitmap> decodeWhole(const Data& data) {
  auto source = ImageSource::create(data);
  if (!source || source->count() == 0) return nullptr;
  auto frame = source->frameAt(0);
  return frame ? *frame.value : nullptr;
}

}  // namespace

int jpegExifOrientation(const Data& data) {
  if (sniffImageFormat(data.data(), data.size()) != ImageFormat::JPEG) return 1;
  auto source = ImageSource::create(data);
  if (!source) return 1;
  auto props = source->propertiesAt(0);
  return props && props->exifOrientation ? *props->exifOrientation : 1;
}

std::shared_ptr<Image> decodeImageFitting(const Data& data, int maxPixelSide, bool squareCrop) {
  if (data.empty() || maxPixelSide <= 0) return nullptr;
  const bool jpeg = sniffImageFormat(data.data(), data.size()) == ImageFormat::JPEG;
  int exif = 1;
  auto stored = jpeg ? decodeJpegScaled(data, maxPixelSide, squareCrop, &exif) : decodeWhole(data);
  if (!stored) return nullptr;
  auto upright = orientBitmap(stored, orientationFromExif(exif));
  const double w = upright->width(), h = upright->height();
  double scale = std::min(1.0, maxPixelSide / std::max(w, h));
  int outW = std::max(1, static_cast<int>(w * scale + 0.5));
  int outH = std::max(1, static_cast<int>(h * scale + 0.5));
  if (squareCrop) {
    const double side = std::min<double>(maxPixelSide, std::min(w, h));
    scale = side / std::min(w, h);
    outW = outH = std::max(1, static_cast<int>(side + 0.5));
  }
  auto context = Context::createBitmap(outW, outH, AlphaInfo::PremultipliedFirst);
  if (!context) return nullptr;
  const double drawW = w * scale, drawH = h * scale;
  auto image = Image::create(upright);
  context->drawImage(*image, makeRect((outW - drawW) / 2, (outH - drawH) / 2, drawW, drawH));
  return context->makeImage();
}

}  // namespace platform
