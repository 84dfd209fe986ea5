// PNG decoding with libpng's classic API. libpng reports errors by longjmp, so every function that
// calls setjmp keeps to plain C data: buffers are allocated by the caller beforehand, and nothing
// with a destructor lives in a frame that a longjmp can skip.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "platform/graphics/ImageDecoder.h"
#include "platform/graphics/ImageError.h"
#include "platform/graphics/Pixels.h"

namespace platform {
namespace {

struct PngInput {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t position;
  bool truncated;
  char message[160];
};

void readBytes(png_structp png, png_bytep out, png_size_t length) {
  auto* in = static_cast<PngInput*>(png_get_io_ptr(png));
  if (length > in->size - in->position) {
    in->truncated = true;
    png_error(png, "truncated data");
  }
  std::memcpy(out, in->data + in->position, length);
  in->position += length;
}

void onError(png_structp png, png_const_charp message) {
  auto* in = static_cast<PngInput*>(png_get_error_ptr(png));
  std::snprintf(in->message, sizeof in->message, "%s", message ? message : "unknown error");
  png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

struct PngHeader {
  png_uint_32 width;
  png_uint_32 height;
  int colorType;
  bool hasTransparency;
};

// Each returns false with in->message set; `in` must be zeroed except data and size.
bool readHeader(PngInput* in, PngHeader* header) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, in, onError, onWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, in, readBytes);
  png_read_info(png, info);
  header->width = png_get_image_width(png, info);
  header->height = png_get_image_height(png, info);
  header->colorType = png_get_color_type(png, info);
  header->hasTransparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

// Reads the image as straight RGBA bytes into `rows` (height rows of width * 4 bytes).
bool readRGBA(PngInput* in, const PngHeader* header, png_bytep* rows) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, in, onError, onWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, in, readBytes);
  png_read_info(png, info);
  png_set_expand(png);  // palette and low-bit grey to 8 bits, tRNS to an alpha channel
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_image_width(png, info) != header->width ||
      png_get_image_height(png, info) != header->height ||
      png_get_rowbytes(png, info) != static_cast<png_size_t>(header->width) * 4) {
    png_error(png, "unexpected row layout");
  }
  png_read_image(png, rows);
  // The end chunks are not read: a file that lost only its IEND still shows all of its pixels.
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

Error pngError(const PngInput& in) {
  if (in.truncated) return imageError(ImageError::Truncated, "truncated data");
  return imageError(ImageError::Corrupt, std::string("corrupt PNG data: ") + in.message);
}

class PngDecoder final : public ImageDecoder {
 public:
  using ImageDecoder::ImageDecoder;

  void readInfo() {
    PngInput in = input();
    if (!readHeader(&in, &header_)) {
      status_ = pngError(in);
      return;
    }
    frames_.push_back(frameOfSize(header_.width, header_.height));
  }

  FrameResult decode(std::size_t) override {
    if (Status size = checkSize(header_.width, header_.height); !size) return failure(size.error());
    const std::size_t width = header_.width;
    const std::size_t height = header_.height;
    // Uninitialised: libpng writes every row (a cut file is an error, not a partial picture), and
    // the pixels are converted in place, so the peak is the final bitmap plus the row pointers.
    auto pixels = PixelBuffer::allocate(width * height);
    if (!pixels) return failure(imageError(ImageError::TooLarge, "cannot hold the pixels"));
    std::vector<png_bytep> rows(height);
    for (std::size_t y = 0; y < height; ++y) {
      rows[y] = reinterpret_cast<png_bytep>(pixels->data() + y * width);
    }
    PngInput in = input();
    if (!readRGBA(&in, &header_, rows.data())) return failure(pngError(in));
    std::uint32_t* words = pixels->data();
    for (std::size_t i = 0, n = width * height; i < n; ++i) {
      std::uint8_t rgba[4];
      std::memcpy(rgba, &words[i], 4);
      words[i] = pixels::packStraight(rgba[0], rgba[1], rgba[2], rgba[3]);
    }
    return success(Bitmap::adopt(static_cast<int>(width), static_cast<int>(height),
                                 std::move(pixels), alphaInfo(), colorModel()));
  }

 private:
  PngInput input() const {
    PngInput in{};
    in.data = bytes_.data();
    in.size = bytes_.size();
    return in;
  }

  AlphaInfo alphaInfo() const {
    const bool alpha = (header_.colorType & PNG_COLOR_MASK_ALPHA) || header_.hasTransparency;
    return alpha ? AlphaInfo::Last : AlphaInfo::None;
  }

  ColorModel colorModel() const {
    if (header_.colorType == PNG_COLOR_TYPE_PALETTE) return ColorModel::Indexed;
    if (!(header_.colorType & PNG_COLOR_MASK_COLOR)) return ColorModel::Monochrome;
    return ColorModel::RGB;
  }

  PngHeader header_{};
};

}  // namespace

std::unique_ptr<ImageDecoder> makePngDecoder(ImageDecoder::Bytes bytes,
                                             const DecodeLimits& limits) {
  auto decoder = std::make_unique<PngDecoder>(bytes, limits);
  decoder->readInfo();
  return decoder;
}

}  // namespace platform
