// Thumbnails decode at thumbnail size so an album of large photos costs what its thumbnails cost.
#include "platform/media/ScaledDecode.h"

#include <cairo.h>
#include <jpeglib.h>

#include <algorithm>
#include <climits>
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

// Beyond what the codecs' own limits allow of any one frame.
constexpr std::uint64_t kMaxDecodedPixels = DecodeLimits{}.maxPixels;

struct JpegFailure {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void onJpegError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegFailure*>(info->err)->jump, 1);
}

void quietJpegWarning(j_common_ptr, int) {}

// The smallest DCT scale that still leaves the measured side (the shorter one for a square crop,
// else the longer) at least `wanted` pixels.
int scaleDenominator(unsigned width, unsigned height, int wanted, bool square) {
  const unsigned side = square ? std::min(width, height) : std::max(width, height);
  for (int denom : {8, 4, 2}) {
    if (side / static_cast<unsigned>(denom) >= static_cast<unsigned>(wanted)) return denom;
  }
  return 1;
}

using AttachSource = std::function<void(jpeg_decompress_struct*)>;

struct JpegRequest {
  const FittingSide* side = nullptr;  // nullptr: header only
  bool square = false;
  bool stored = false;  // every pixel, whatever the side
};

// Reads the header and EXIF orientation, then (when asked) the pixels at the DCT scale the side
// needs. The decode stops at the picture's end: nothing after it is read.
std::shared_ptr<const Bitmap> decodeJpeg(const AttachSource& attach, const JpegRequest& request,
                                         int* exifOrientation) {
  jpeg_decompress_struct info{};
  JpegFailure failure{};
  info.err = jpeg_std_error(&failure.manager);
  failure.manager.error_exit = onJpegError;
  failure.manager.emit_message = quietJpegWarning;
  // Heap-held and made before setjmp, so a jump back leaves no local in an indeterminate state.
  auto pixels = std::make_unique<std::vector<std::uint32_t>>();
  if (setjmp(failure.jump)) {
    jpeg_destroy_decompress(&info);
    return nullptr;
  }
  jpeg_create_decompress(&info);
  attach(&info);
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
  const bool turned = swapsWidthAndHeight(orientationFromExif(*exifOrientation));
  const int uprightW = static_cast<int>(turned ? info.image_height : info.image_width);
  const int uprightH = static_cast<int>(turned ? info.image_width : info.image_height);
  const int wanted = request.stored ? INT_MAX
                     : request.side ? (*request.side)(uprightW, uprightH)
                                    : 0;
  if (wanted <= 0) {
    jpeg_destroy_decompress(&info);
    return nullptr;
  }
  info.scale_num = 1;
  info.scale_denom = scaleDenominator(info.image_width, info.image_height, wanted, request.square);
  info.out_color_space = JCS_EXT_BGRX;
  jpeg_calc_output_dimensions(&info);
  if (std::uint64_t(info.output_width) * info.output_height > kMaxDecodedPixels) {
    jpeg_destroy_decompress(&info);
    return nullptr;
  }
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

AttachSource memorySource(std::span<const std::uint8_t> bytes) {
  return [bytes](jpeg_decompress_struct* info) {
    jpeg_mem_src(info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  };
}

AttachSource fileSource(PictureFile& file) {
  return [&file](jpeg_decompress_struct* info) { jpeg_stdio_src(info, file.stream()); };
}

std::shared_ptr<const Bitmap> decodeWhole(std::span<const std::uint8_t> bytes, int* exif) {
  auto source = ImageSource::createViewing(bytes);
  if (!source || source->count() == 0) return nullptr;
  if (auto props = source->propertiesAt(0); props && props->exifOrientation) {
    *exif = *props->exifOrientation;
  }
  auto frame = source->frameAt(0);
  return frame ? frame.value() : nullptr;
}

// Scales (and crops) an upright bitmap into the picture asked for.
std::shared_ptr<Image> fitted(const std::shared_ptr<const Bitmap>& stored, int exif,
                              const FittingSide& side, bool squareCrop) {
  if (!stored) return nullptr;
  auto upright = orientBitmap(stored, orientationFromExif(exif));
  const double w = upright->width(), h = upright->height();
  const int maxPixelSide = side(upright->width(), upright->height());
  if (maxPixelSide <= 0) return nullptr;
  double scale = std::min(1.0, maxPixelSide / std::max(w, h));
  int outW = std::max(1, static_cast<int>(w * scale + 0.5));
  int outH = std::max(1, static_cast<int>(h * scale + 0.5));
  if (squareCrop) {
    const double edge = std::min<double>(maxPixelSide, std::min(w, h));
    scale = edge / std::min(w, h);
    outW = outH = std::max(1, static_cast<int>(edge + 0.5));
  }
  auto context = Context::createBitmap(outW, outH, AlphaInfo::PremultipliedFirst);
  if (!context) return nullptr;
  const double drawW = w * scale, drawH = h * scale;
  auto image = Image::create(upright);
  context->drawImage(*image, makeRect((outW - drawW) / 2, (outH - drawH) / 2, drawW, drawH));
  return context->makeImage();
}

}  // namespace

int jpegExifOrientation(std::span<const std::uint8_t> bytes) {
  if (sniffImageFormat(bytes.data(), bytes.size()) != ImageFormat::JPEG) return 1;
  int exif = 1;
  decodeJpeg(memorySource(bytes), {}, &exif);
  return exif;
}

int jpegExifOrientation(PictureFile& file) {
  if (file.format() != ImageFormat::JPEG) return 1;
  int exif = 1;
  decodeJpeg(fileSource(file), {}, &exif);
  return exif;
}

std::shared_ptr<Image> decodeImageFitting(std::span<const std::uint8_t> bytes, int maxPixelSide,
                                          bool squareCrop) {
  if (bytes.empty() || maxPixelSide <= 0) return nullptr;
  const FittingSide side = [maxPixelSide](int, int) { return maxPixelSide; };
  int exif = 1;
  std::shared_ptr<const Bitmap> stored;
  if (sniffImageFormat(bytes.data(), bytes.size()) == ImageFormat::JPEG) {
    stored = decodeJpeg(memorySource(bytes), {&side, squareCrop, false}, &exif);
  } else {
    stored = decodeWhole(bytes, &exif);
  }
  return fitted(stored, exif, side, squareCrop);
}

std::shared_ptr<Image> decodeImageFitting(PictureFile& file, const FittingSide& side,
                                          bool squareCrop) {
  int exif = 1;
  std::shared_ptr<const Bitmap> stored;
  if (file.format() == ImageFormat::JPEG) {
    stored = decodeJpeg(fileSource(file), {&side, squareCrop, false}, &exif);
  } else if (file.format() != ImageFormat::Unknown) {
    auto data = file.readAll();
    if (!data) return nullptr;
    stored = decodeWhole(data.value(), &exif);
  }
  return fitted(stored, exif, side, squareCrop);
}

std::shared_ptr<const Bitmap> decodeStoredPixels(PictureFile& file) {
  int exif = 1;
  if (file.format() == ImageFormat::JPEG)
    return decodeJpeg(fileSource(file), {nullptr, false, true}, &exif);
  if (file.format() == ImageFormat::Unknown) return nullptr;
  auto data = file.readAll();
  return data ? decodeWhole(data.value(), &exif) : nullptr;
}

}  // namespace platform
