// TIFF decoding with libtiff over the bytes in memory. Each page (directory) is one frame. Pixels
// come through libtiff's RGBA interface, asked for in the file's own orientation so they stay as
// stored; the Orientation tag is reported as the frame's EXIF orientation, like a JPEG's.
#include <tiffio.h>

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/graphics/ImageDecoder.h"
#include "platform/graphics/ImageError.h"
#include "platform/graphics/Pixels.h"

namespace platform {
namespace {

struct TiffInput {
  const std::uint8_t* data;
  std::uint64_t size;
  std::uint64_t position;
  char message[256];
};

tmsize_t readProc(thandle_t handle, void* out, tmsize_t length) {
  auto* in = static_cast<TiffInput*>(handle);
  if (length <= 0 || in->position >= in->size) return 0;
  const std::uint64_t n = std::min<std::uint64_t>(length, in->size - in->position);
  std::memcpy(out, in->data + in->position, n);
  in->position += n;
  return static_cast<tmsize_t>(n);
}

tmsize_t writeProc(thandle_t, void*, tmsize_t) { return 0; }

toff_t seekProc(thandle_t handle, toff_t offset, int whence) {
  auto* in = static_cast<TiffInput*>(handle);
  std::uint64_t base = 0;
  if (whence == SEEK_CUR) base = in->position;
  if (whence == SEEK_END) base = in->size;
  if (offset > UINT64_MAX - base) return static_cast<toff_t>(-1);
  in->position = base + offset;  // past the end is allowed; reads there return nothing
  return in->position;
}

int closeProc(thandle_t) { return 0; }
toff_t sizeProc(thandle_t handle) { return static_cast<TiffInput*>(handle)->size; }
int mapProc(thandle_t, void**, toff_t*) { return 0; }
void unmapProc(thandle_t, void*, toff_t) {}

int onError(TIFF*, void* user, const char* module, const char* format, va_list args) {
  auto* in = static_cast<TiffInput*>(user);
  if (in->message[0] == '\0') {  // the first error says most
    char text[200];
    std::vsnprintf(text, sizeof text, format, args);
    std::snprintf(in->message, sizeof in->message, "%s: %s", module ? module : "libtiff", text);
  }
  return 1;
}

int onWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TiffCloser {
  void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

struct TiffPage {
  std::uint32_t width, height;
  std::uint16_t orientation;  // 0 when the tag is absent
  std::uint16_t photometric;
  std::uint16_t extraSamples;
};

class TiffDecoder final : public ImageDecoder {
 public:
  using ImageDecoder::ImageDecoder;

  void readPages();
  FrameResult decode(std::size_t index) override;

 private:
  TiffHandle open() {
    static std::once_flag quiet;
    // Some old code paths in libtiff still report through the process-wide handlers.
    std::call_once(quiet, [] {
      TIFFSetErrorHandler(nullptr);
      TIFFSetWarningHandler(nullptr);
    });
    input_ = TiffInput{bytes_.data(), bytes_.size(), 0, {}};
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return nullptr;
    const std::uint64_t cap = std::clamp<std::uint64_t>(limits_.maxPixels * 8, 16u << 20, 1u << 30);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(cap));
    TIFFOpenOptionsSetErrorHandlerExtR(options, onError, &input_);
    TIFFOpenOptionsSetWarningHandlerExtR(options, onWarning, &input_);
    TIFF* tif = TIFFClientOpenExt("memory", "r", &input_, readProc, writeProc, seekProc, closeProc,
                                  sizeProc, mapProc, unmapProc, options);
    TIFFOpenOptionsFree(options);
    return TiffHandle(tif);
  }
  Error lastError(long code, const char* fallback) const {
    return imageError(code, input_.message[0] ? std::string("corrupt TIFF data: ") + input_.message
                                              : std::string(fallback));
  }
  static TiffPage readPage(TIFF* tif);

  TiffInput input_{};
  std::vector<TiffPage> pages_;
};

TiffPage TiffDecoder::readPage(TIFF* tif) {
  TiffPage page{};
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &page.width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &page.height);
  if (!TIFFGetField(tif, TIFFTAG_ORIENTATION, &page.orientation)) page.orientation = 0;
  TIFFGetFieldDefaulted(tif, TIFFTAG_PHOTOMETRIC, &page.photometric);
  std::uint16_t* kinds = nullptr;
  TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &page.extraSamples, &kinds);
  return page;
}

void TiffDecoder::readPages() {
  TiffHandle tif = open();
  if (!tif) {
    status_ = input_.position >= input_.size ? imageError(ImageError::Truncated, "truncated data")
                                             : lastError(ImageError::Corrupt, "corrupt TIFF data");
    return;
  }
  do {
    const TiffPage page = readPage(tif.get());
    FrameProperties frame = frameOfSize(page.width, page.height);
    if (page.orientation >= 1 && page.orientation <= 8) frame.exifOrientation = page.orientation;
    // A page too large to decode still costs nothing here; decoding it reports the size.
    const std::uint64_t work = std::min<std::uint64_t>(
        static_cast<std::uint64_t>(page.width) * page.height, limits_.maxPixels);
    if (!admitFrame(frame, work)) return;
    pages_.push_back(page);
  } while (TIFFReadDirectory(tif.get()));
}

ImageDecoder::FrameResult TiffDecoder::decode(std::size_t index) {
  const TiffPage& page = pages_[index];
  if (Status size = checkSize(page.width, page.height); !size) return failure(size.error());
  TiffHandle tif = open();
  if (!tif || !TIFFSetDirectory(tif.get(), static_cast<tdir_t>(index))) {
    return failure(lastError(ImageError::Corrupt, "corrupt TIFF data: page unreadable"));
  }
  char why[1024] = {};
  if (!TIFFRGBAImageOK(tif.get(), why)) {
    return failure(imageError(ImageError::Unsupported, std::string("unsupported TIFF: ") + why));
  }
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(page.width) * page.height);
  const int orientation =
      page.orientation >= 1 && page.orientation <= 8 ? page.orientation : ORIENTATION_TOPLEFT;
  if (!TIFFReadRGBAImageOriented(tif.get(), page.width, page.height, pixels.data(), orientation,
                                 1)) {
    const bool truncated = input_.position >= input_.size;
    return failure(truncated ? imageError(ImageError::Truncated, "truncated data")
                             : lastError(ImageError::Corrupt, "corrupt TIFF data"));
  }
  for (std::uint32_t& word : pixels) {
    // libtiff packs A, B, G, R from the top byte down, already premultiplied; clamped so hostile
    // associated-alpha files still make valid premultiplied pixels.
    const std::uint32_t a = TIFFGetA(word);
    word = pixels::pack(a, std::min(TIFFGetR(word), a), std::min(TIFFGetG(word), a),
                        std::min(TIFFGetB(word), a));
  }
  const AlphaInfo alpha = page.extraSamples > 0 ? AlphaInfo::Last : AlphaInfo::NoneSkipLast;
  ColorModel model = ColorModel::RGB;
  if (page.photometric == PHOTOMETRIC_MINISBLACK || page.photometric == PHOTOMETRIC_MINISWHITE) {
    model = ColorModel::Monochrome;
  } else if (page.photometric == PHOTOMETRIC_PALETTE) {
    model = ColorModel::Indexed;
  } else if (page.photometric == PHOTOMETRIC_SEPARATED) {
    model = ColorModel::CMYK;
  }
  return success(Bitmap::create(static_cast<int>(page.width), static_cast<int>(page.height),
                                std::move(pixels), alpha, model));
}

}  // namespace

std::unique_ptr<ImageDecoder> makeTiffDecoder(ImageDecoder::Bytes bytes,
                                              const DecodeLimits& limits) {
  auto decoder = std::make_unique<TiffDecoder>(bytes, limits);
  decoder->readPages();
  return decoder;
}

}  // namespace platform
