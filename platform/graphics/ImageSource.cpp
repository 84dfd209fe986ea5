#include "platform/graphics/ImageSource.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/graphics/ImageDecoder.h"
#include "platform/graphics/ImageError.h"

namespace platform {
namespace {

bool startsWith(const std::uint8_t* bytes, std::size_t length, const char* magic, std::size_t n,
                std::size_t offset = 0) {
  return length >= offset + n && std::memcmp(bytes + offset, magic, n) == 0;
}

}  // namespace

ImageFormat sniffImageFormat(const std::uint8_t* bytes, std::size_t length) {
  if (bytes == nullptr) return ImageFormat::Unknown;
  if (startsWith(bytes, length, "\xFF\xD8\xFF", 3)) return ImageFormat::JPEG;
  if (startsWith(bytes, length, "\x89PNG\r\n\x1A\n", 8)) return ImageFormat::PNG;
  if (startsWith(bytes, length, "GIF8", 4)) return ImageFormat::GIF;
  if (startsWith(bytes, length, "II*\0", 4) || startsWith(bytes, length, "MM\0*", 4)) {
    return ImageFormat::TIFF;
  }
  if (startsWith(bytes, length, "RIFF", 4) && startsWith(bytes, length, "WEBP", 4, 8)) {
    return ImageFormat::WebP;
  }
  return ImageFormat::Unknown;
}

const char* imageFormatName(ImageFormat format) {
  switch (format) {
    case ImageFormat::JPEG:
      return "JPEG";
    case ImageFormat::PNG:
      return "PNG";
    case ImageFormat::GIF:
      return "GIF";
    case ImageFormat::WebP:
      return "WebP";
    case ImageFormat::TIFF:
      return "TIFF";
    case ImageFormat::Unknown:
      break;
  }
  return "unknown";
}

std::unique_ptr<ImageDecoder> ImageDecoder::make(ImageFormat format, Bytes bytes,
                                                 const DecodeLimits& limits) {
  switch (format) {
    case ImageFormat::PNG:
      return makePngDecoder(bytes, limits);
    case ImageFormat::JPEG:
      return makeJpegDecoder(bytes, limits);
    case ImageFormat::GIF:
      return makeGifDecoder(bytes, limits);
    case ImageFormat::WebP:
      return makeWebpDecoder(bytes, limits);
    case ImageFormat::TIFF:
      return makeTiffDecoder(bytes, limits);
    case ImageFormat::Unknown:
      break;
  }
  return nullptr;
}

Status ImageDecoder::checkSize(std::int64_t width, std::int64_t height) const {
  if (width <= 0 || height <= 0) {
    return imageError(ImageError::Corrupt, "invalid image size: " + std::to_string(width) + "x" +
                                               std::to_string(height));
  }
  if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > limits_.maxPixels) {
    return imageError(ImageError::TooLarge,
                      "image too large: " + std::to_string(width) + "x" + std::to_string(height));
  }
  return Status::ok();
}

FrameProperties ImageDecoder::frameOfSize(std::int64_t width, std::int64_t height) {
  FrameProperties frame;
  frame.width = static_cast<int>(std::clamp<std::int64_t>(width, 0, INT_MAX));
  frame.height = static_cast<int>(std::clamp<std::int64_t>(height, 0, INT_MAX));
  return frame;
}

bool ImageDecoder::admitFrame(const FrameProperties& frame, std::uint64_t pixels) {
  if (frames_.size() >= limits_.maxFrames) {
    status_ = imageError(ImageError::TooManyFrames,
                         "too many frames: more than " + std::to_string(limits_.maxFrames));
    return false;
  }
  if (admittedPixels_ + pixels > limits_.maxTotalPixels) {
    status_ =
        imageError(ImageError::TooManyFrames,
                   "too many frames: the first " + std::to_string(frames_.size() + 1) +
                       " need more than " + std::to_string(limits_.maxTotalPixels) + " pixels");
    return false;
  }
  admittedPixels_ += pixels;
  frames_.push_back(frame);
  return true;
}

std::shared_ptr<ImageSource> ImageSource::create(Data data, DecodeLimits limits) {
  const ImageFormat format = sniffImageFormat(data.data(), data.size());
  if (format == ImageFormat::Unknown) return nullptr;
  std::shared_ptr<ImageSource> source(new ImageSource(std::move(data), limits, format));
  source->decoder_ = ImageDecoder::make(format, source->data_, source->limits_);
  if (!source->decoder_) return nullptr;
  return source;
}

std::shared_ptr<ImageSource> ImageSource::createViewing(std::span<const std::uint8_t> bytes,
                                                        DecodeLimits limits) {
  const ImageFormat format = sniffImageFormat(bytes.data(), bytes.size());
  if (format == ImageFormat::Unknown) return nullptr;
  std::shared_ptr<ImageSource> source(new ImageSource({}, limits, format));
  source->decoder_ = ImageDecoder::make(format, bytes, source->limits_);
  if (!source->decoder_) return nullptr;
  return source;
}

ImageSource::ImageSource(Data data, DecodeLimits limits, ImageFormat format)
    : data_(std::move(data)), limits_(limits), format_(format) {}

ImageSource::~ImageSource() = default;

std::size_t ImageSource::count() const { return decoder_->frameCount(); }

std::optional<FrameProperties> ImageSource::propertiesAt(std::size_t index) const {
  if (index >= decoder_->frameCount()) return std::nullopt;
  return decoder_->frame(index);
}

Result<std::shared_ptr<const Bitmap>> ImageSource::frameAt(std::size_t index) const {
  if (index >= decoder_->frameCount()) {
    if (!decoder_->status()) return ImageDecoder::FrameResult::failure(decoder_->status().error());
    return ImageDecoder::FrameResult::failure(imageError(
        ImageError::FrameOutOfRange, "frame index " + std::to_string(index) + " out of range (" +
                                         std::to_string(decoder_->frameCount()) + " frames)"));
  }
  std::lock_guard lock(mutex_);
  return decoder_->decode(index);
}

Status ImageSource::status() const { return decoder_->status(); }

}  // namespace platform
