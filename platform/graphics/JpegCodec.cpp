// JPEG decoding with libjpeg-turbo. Errors leave through longjmp from our error manager, so the
// functions that set the jump point keep to plain C data prepared by their callers.
//
// A stream that ends early decodes the way the platform shows it: libjpeg-turbo ends the scan and
// the rows it never received stay grey. Only a header that cannot be read is an error.
#include <algorithm>
#include <bit>
#include <climits>
#include <csetjmp>
#include <cstdio>  // before jpeglib.h, which uses FILE and size_t
#include <string>

#include <jerror.h>
#include <jpeglib.h>

#include "platform/graphics/ExifOrientation.h"
#include "platform/graphics/ImageDecoder.h"
#include "platform/graphics/ImageError.h"
#include "platform/graphics/Pixels.h"

namespace platform {
namespace {

// Hostile progressive files can hold thousands of tiny scans that each cost a full pass.
constexpr int kMaxScans = 500;
constexpr int kApp1 = JPEG_APP0 + 1;

struct JpegFailure {
  jpeg_error_mgr manager;  // first, so a j_common_ptr's err points at the whole struct
  jpeg_progress_mgr progress;
  std::jmp_buf jump;
  bool tooManyScans;
  char message[JMSG_LENGTH_MAX];
};

void onErrorExit(j_common_ptr cinfo) {
  auto* failure = reinterpret_cast<JpegFailure*>(cinfo->err);
  cinfo->err->format_message(cinfo, failure->message);
  std::longjmp(failure->jump, 1);
}

void onEmitMessage(j_common_ptr cinfo, int level) {
  if (level < 0) cinfo->err->num_warnings++;  // counted, never printed
}

void onOutputMessage(j_common_ptr) {}

void onProgress(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
    auto* failure = reinterpret_cast<JpegFailure*>(cinfo->err);
    failure->tooManyScans = true;
    std::longjmp(failure->jump, 1);
  }
}

void prepare(jpeg_decompress_struct* cinfo, JpegFailure* failure) {
  cinfo->err = jpeg_std_error(&failure->manager);
  failure->manager.error_exit = onErrorExit;
  failure->manager.emit_message = onEmitMessage;
  failure->manager.output_message = onOutputMessage;
  failure->progress.progress_monitor = onProgress;
}

struct JpegHeader {
  JDIMENSION width;
  JDIMENSION height;
  J_COLOR_SPACE colorSpace;
  bool adobe;
  int exifOrientation;  // 0 when absent
};

// Reads the header into `cinfo` (zeroed by the caller, who destroys it in every case) and leaves
// it there, ready to decompress: the header is parsed once per decode, not once more for pixels.
bool readHeader(ImageDecoder::Bytes bytes, JpegFailure* failure, jpeg_decompress_struct* cinfo,
                bool saveMarkers) {
  prepare(cinfo, failure);
  if (setjmp(failure->jump)) return false;
  jpeg_create_decompress(cinfo);
  cinfo->progress = &failure->progress;
  jpeg_mem_src(cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  if (saveMarkers) jpeg_save_markers(cinfo, kApp1, 0xFFFF);
  jpeg_read_header(cinfo, TRUE);
  return true;
}

void describe(const jpeg_decompress_struct& cinfo, JpegHeader* header) {
  header->width = cinfo.image_width;
  header->height = cinfo.image_height;
  header->colorSpace = cinfo.jpeg_color_space;
  header->adobe = cinfo.saw_Adobe_marker;
  header->exifOrientation = 0;
  for (jpeg_saved_marker_ptr m = cinfo.marker_list; m != nullptr; m = m->next) {
    if (m->marker != kApp1) continue;
    // libexif is plain C and never calls back into libjpeg, so no jump crosses it.
    if (auto orientation = exifOrientationFromApp1(m->data, m->data_length)) {
      header->exifOrientation = *orientation;
      break;
    }
  }
}

bool isCmyk(J_COLOR_SPACE space) { return space == JCS_CMYK || space == JCS_YCCK; }

// Adobe applications store CMYK inverted (0 = full ink) and say so with their APP14 marker.
void cmykRowToARGB(const JSAMPLE* cmyk, std::uint32_t* out, JDIMENSION width, bool inverted) {
  for (JDIMENSION x = 0; x < width; ++x, cmyk += 4) {
    std::uint32_t c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    out[x] = pixels::pack(255, pixels::premultiply(c, k), pixels::premultiply(m, k),
                          pixels::premultiply(y, k));
  }
}

// Decodes the header read into `cinfo` into `out` (width * height words); `cmykRow` holds
// width * 4 bytes for CMYK sources. `memoryLimit` bounds libjpeg's own buffers (progressive
// files keep every coefficient).
bool readPixels(jpeg_decompress_struct* cinfoPointer, const JpegHeader* header, long memoryLimit,
                JpegFailure* failure, std::uint32_t* out, JSAMPLE* cmykRow) {
  jpeg_decompress_struct& cinfo = *cinfoPointer;
  if (setjmp(failure->jump)) return false;
  cinfo.mem->max_memory_to_use = memoryLimit;
  const bool cmyk = isCmyk(cinfo.jpeg_color_space);
  // Written straight into the ARGB32 words: B, G, R, A bytes on little-endian machines.
  const J_COLOR_SPACE native =
      std::endian::native == std::endian::little ? JCS_EXT_BGRA : JCS_EXT_ARGB;
  cinfo.out_color_space = cmyk ? JCS_CMYK : native;
  jpeg_start_decompress(&cinfo);
  if (cinfo.output_width != header->width || cinfo.output_height != header->height ||
      cinfo.output_components != 4) {
    ERREXIT(&cinfo, JERR_CONVERSION_NOTIMPL);
  }
  while (cinfo.output_scanline < cinfo.output_height) {
    std::uint32_t* row = out + static_cast<std::size_t>(cinfo.output_scanline) * header->width;
    JSAMPROW target = cmyk ? cmykRow : reinterpret_cast<JSAMPROW>(row);
    if (jpeg_read_scanlines(&cinfo, &target, 1) != 1) break;
    if (cmyk) cmykRowToARGB(cmykRow, row, header->width, cinfo.saw_Adobe_marker);
  }
  // The storage is not pre-filled: rows never produced are opaque black.
  const std::size_t produced = static_cast<std::size_t>(cinfo.output_scanline) * header->width;
  std::fill(out + produced, out + static_cast<std::size_t>(header->height) * header->width,
            0xFF000000u);
  return true;
}

Error jpegError(const JpegFailure& failure) {
  if (failure.tooManyScans) {
    return imageError(ImageError::Unsupported,
                      "JPEG has more than " + std::to_string(kMaxScans) + " scans");
  }
  const std::string message = failure.message;
  if (message.find("Premature end") != std::string::npos ||
      message.find("contains no image") != std::string::npos) {
    return imageError(ImageError::Truncated, "truncated data");
  }
  return imageError(ImageError::Corrupt, "corrupt JPEG data: " + message);
}

class JpegDecoder final : public ImageDecoder {
 public:
  using ImageDecoder::ImageDecoder;

  ~JpegDecoder() override { release(); }

  void readInfo() {
    state_ = std::make_unique<State>();
    if (!readHeader(bytes_, &state_->failure, &state_->cinfo, /*saveMarkers=*/true)) {
      status_ = jpegError(state_->failure);
      release();
      return;
    }
    describe(state_->cinfo, &header_);
    FrameProperties frame = frameOfSize(header_.width, header_.height);
    if (header_.exifOrientation != 0) frame.exifOrientation = header_.exifOrientation;
    frames_.push_back(frame);
  }

  FrameResult decode(std::size_t) override {
    if (Status size = checkSize(header_.width, header_.height); !size) return failure(size.error());
    const std::size_t width = header_.width;
    auto pixels = PixelBuffer::allocate(width * header_.height);
    if (!pixels) return failure(imageError(ImageError::TooLarge, "cannot hold the pixels"));
    std::vector<JSAMPLE> cmykRow(isCmyk(header_.colorSpace) ? width * 4 : 0);
    // The header read when the source was made serves the first decode; another reads it anew.
    if (!state_) {
      state_ = std::make_unique<State>();
      if (!readHeader(bytes_, &state_->failure, &state_->cinfo, /*saveMarkers=*/false)) {
        const Error error = jpegError(state_->failure);
        release();
        return failure(error);
      }
    }
    const bool read = readPixels(&state_->cinfo, &header_, memoryLimit(), &state_->failure,
                                 pixels->data(), cmykRow.data());
    const Error error = read ? Error{} : jpegError(state_->failure);
    release();
    if (!read) return failure(error);
    return success(Bitmap::adopt(static_cast<int>(width), static_cast<int>(header_.height),
                                 std::move(pixels), AlphaInfo::NoneSkipLast, colorModel()));
  }

 private:
  long memoryLimit() const {
    // Up to four components of two-byte coefficients per pixel, plus room for tables and rows.
    constexpr std::uint64_t kSlack = 32u << 20;
    const std::uint64_t pixels = std::min<std::uint64_t>(limits_.maxPixels, 1ull << 40);
    return static_cast<long>(std::min<std::uint64_t>(pixels * 8 + kSlack, LONG_MAX));
  }

  ColorModel colorModel() const {
    if (header_.colorSpace == JCS_GRAYSCALE) return ColorModel::Monochrome;
    if (isCmyk(header_.colorSpace)) return ColorModel::CMYK;
    return ColorModel::RGB;
  }

  // libjpeg's state between reading the header and the pixels: plain C data at a fixed address,
  // since the error manager is found from the decompressor by pointer.
  struct State {
    jpeg_decompress_struct cinfo{};  // zeroed: destroying it before create is then harmless
    JpegFailure failure{};
  };

  void release() {
    if (state_) jpeg_destroy_decompress(&state_->cinfo);
    state_.reset();
  }

  JpegHeader header_{};
  std::unique_ptr<State> state_;
};

}  // namespace

std::unique_ptr<ImageDecoder> makeJpegDecoder(ImageDecoder::Bytes bytes,
                                              const DecodeLimits& limits) {
  auto decoder = std::make_unique<JpegDecoder>(bytes, limits);
  decoder->readInfo();
  return decoder;
}

}  // namespace platform
