#include "tests/images/ImageTestSupport.h"

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <stdlib.h>  // mkdtemp
#include <webp/encode.h>
#include <zlib.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <random>
#include <stdexcept>

#include "images/WIImageCache.h"
#include "images/WIImageDecodeQueue.h"
#include "images/WIImageDiskWriter.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/FileManager.h"
#include "platform/graphics/ImageEncoder.h"

namespace sprout::test {

using platform::Data;

struct Gate::State {
  std::mutex mutex;
  std::condition_variable changed;
  bool open = false;
  int permits = 0, arrived = 0, inside = 0, peak = 0;
};

Gate::Gate() : state_(std::make_shared<State>()) {}

bool Gate::pass() const {
  std::unique_lock lock(state_->mutex);
  ++state_->arrived;
  state_->peak = std::max(state_->peak, ++state_->inside);
  state_->changed.notify_all();
  if (!platform::RunLoop::isMainThread()) platform::RunLoop::main().post([] {});
  const bool through = state_->changed.wait_for(
      lock, std::chrono::seconds(30), [&] { return state_->open || state_->permits > 0; });
  if (!state_->open && state_->permits > 0) --state_->permits;
  --state_->inside;
  return through;
}

void Gate::open() const {
  std::lock_guard lock(state_->mutex);
  state_->open = true;
  state_->changed.notify_all();
}

void Gate::releaseOne() const {
  std::lock_guard lock(state_->mutex);
  ++state_->permits;
  state_->changed.notify_all();
}

int Gate::arrivals() const {
  std::lock_guard lock(state_->mutex);
  return state_->arrived;
}

int Gate::peak() const {
  std::lock_guard lock(state_->mutex);
  return state_->peak;
}

bool Gate::waitForArrivals(int count) const {
  std::unique_lock lock(state_->mutex);
  return state_->changed.wait_for(lock, std::chrono::seconds(30),
                                  [&] { return state_->arrived >= count; });
}

std::shared_ptr<const platform::Bitmap> paintedBitmap(
    int width, int height, const std::function<std::uint32_t(int, int)>& argbAt,
    platform::AlphaInfo alpha) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixels[static_cast<std::size_t>(y) * width + x] = argbAt(x, y);
  }
  return platform::Bitmap::create(width, height, std::move(pixels), alpha,
                                  platform::ColorModel::RGB);
}

std::shared_ptr<const platform::Bitmap> solidBitmap(int width, int height, std::uint32_t argb,
                                                    platform::AlphaInfo alpha,
                                                    platform::ColorModel model) {
  return platform::Bitmap::create(
      width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, argb),
      alpha, model);
}

std::shared_ptr<platform::Image> solidImage(int width, int height, std::uint32_t argb,
                                            bool withAlpha, double scale) {
  auto alpha =
      withAlpha ? platform::AlphaInfo::PremultipliedFirst : platform::AlphaInfo::NoneSkipLast;
  return platform::Image::create(solidBitmap(width, height, argb, alpha), scale);
}

Data pngData(int width, int height, std::uint32_t argb, bool withAlpha) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = withAlpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  std::vector<png_byte> pixels;
  for (int i = 0; i < width * height; ++i) {
    pixels.insert(pixels.end(), {static_cast<png_byte>(argb >> 16),
                                 static_cast<png_byte>(argb >> 8), static_cast<png_byte>(argb)});
    if (withAlpha) pixels.push_back(static_cast<png_byte>(argb >> 24));
  }
  png_alloc_size_t size = 0;
  png_image_write_get_memory_size(image, size, 0, pixels.data(), 0, nullptr);
  Data out(size);
  png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr);
  out.resize(size);
  return out;
}

Data jpegData(int width, int height, JpegColor color, std::optional<int> exifOrientation) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  std::vector<JSAMPLE> pixel;
  switch (color) {
    case JpegColor::Grey:
      cinfo.input_components = 1, cinfo.in_color_space = JCS_GRAYSCALE, pixel = {128};
      break;
    case JpegColor::RGB:
      cinfo.input_components = 3, cinfo.in_color_space = JCS_RGB, pixel = {200, 40, 40};
      break;
    case JpegColor::CMYK:
      cinfo.input_components = 4, cinfo.in_color_space = JCS_CMYK, pixel = {20, 200, 200, 10};
      break;
  }
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 95, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  if (exifOrientation) {
    // APP1 "Exif": a big-endian TIFF header with IFD0 at offset 8 holding one entry, Orientation
    // (0x0112) as one SHORT padded to four bytes, and no next IFD.
    const auto o = static_cast<std::uint8_t>(*exifOrientation);
    const Data exif = {'E',  'x',  'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1,
                       0x01, 0x12, 0,   3,   0, 0, 0,   1,   0, o,  0, 0, 0, 0, 0, 0};
    jpeg_write_marker(&cinfo, JPEG_APP0 + 1, exif.data(), static_cast<unsigned>(exif.size()));
  }
  std::vector<JSAMPLE> row;
  for (int x = 0; x < width; ++x) row.insert(row.end(), pixel.begin(), pixel.end());
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  Data out(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  free(buffer);
  return out;
}

Data webpData(int width, int height, std::uint32_t argb) {
  std::vector<std::uint8_t> rgba;
  for (int i = 0; i < width * height; ++i) {
    rgba.insert(rgba.end(),
                {static_cast<std::uint8_t>(argb >> 16), static_cast<std::uint8_t>(argb >> 8),
                 static_cast<std::uint8_t>(argb), static_cast<std::uint8_t>(argb >> 24)});
  }
  std::uint8_t* output = nullptr;
  const std::size_t size = WebPEncodeLosslessRGBA(rgba.data(), width, height, width * 4, &output);
  Data out(output, output + size);
  WebPFree(output);
  return out;
}

Data noisyJpeg(int width, int height) {
  std::mt19937 random(7);
  auto bitmap = paintedBitmap(width, height,
                              [&](int, int) { return 0xFF000000u | (random() & 0x00FFFFFFu); });
  return platform::encodeJPEG(*bitmap, 0.9).value_or(Data{});
}

Data gifData(int width, int height, const std::vector<GifFrame>& frames) {
  Data out;
  int error = 0;
  GifFileType* gif = EGifOpen(
      &out,
      [](GifFileType* file, const GifByteType* bytes, int length) {
        auto* sink = static_cast<Data*>(file->UserData);
        sink->insert(sink->end(), bytes, bytes + length);
        return length;
      },
      &error);
  EGifSetGifVersion(gif, true);
  const GifColorType colors[4] = {{255, 0, 0}, {0, 0, 255}, {0, 255, 0}, {255, 255, 255}};
  ColorMapObject* map = GifMakeMapObject(4, colors);
  EGifPutScreenDesc(gif, width, height, 2, 0, map);
  for (const GifFrame& frame : frames) {
    if (frame.delayCentiseconds) {
      GraphicsControlBlock control{};
      control.DisposalMode = DISPOSE_DO_NOT;
      control.DelayTime = *frame.delayCentiseconds;
      control.TransparentColor = NO_TRANSPARENT_COLOR;
      GifByteType extension[4];
      const size_t length = EGifGCBToExtension(&control, extension);
      EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension);
    }
    const int w = frame.width > 0 ? frame.width : width;
    const int h = frame.height > 0 ? frame.height : height;
    EGifPutImageDesc(gif, frame.left, frame.top, w, h, false, nullptr);
    std::vector<GifPixelType> line(static_cast<std::size_t>(w),
                                   static_cast<GifPixelType>(frame.colorIndex));
    for (int y = 0; y < h; ++y) EGifPutLine(gif, line.data(), w);
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return out;
}

Data pngDeclaring(std::uint32_t width, std::uint32_t height) {
  Data out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  auto put32 = [](Data& to, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
      to.push_back(static_cast<std::uint8_t>(v >> shift));
  };
  auto chunk = [&](const char* type, const Data& body) {
    put32(out, static_cast<std::uint32_t>(body.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), body.begin(), body.end());
    put32(out, static_cast<std::uint32_t>(
                   crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
  };
  Data header;
  put32(header, width);
  put32(header, height);
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA, no interlace
  chunk("IHDR", header);
  chunk("IEND", {});
  return out;
}

std::string asString(const Data& data) { return std::string(data.begin(), data.end()); }

bool runMainUntil(const std::function<bool()>& pred) {
  return platform::RunLoop::main().runUntil(pred, 30.0);
}

void drainImageQueues(const WIImageCache& cache) {
  cache.ioQueue()->sync([] {});
  WIImageDiskWriter::shared().flush();
  WIImageDecodeQueue()->barrierSync([] {});
  platform::RunLoop::main().runPending();
}

}  // namespace sprout::test
