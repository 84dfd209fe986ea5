#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/Status.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageSource.h"

namespace platform {

// One per ImageSource: reads the header when made, decodes frames when asked. Not thread-safe on
// its own; ImageSource serialises the calls.
class ImageDecoder {
 public:
  using Bytes = std::span<const std::uint8_t>;
  using FrameResult = Result<std::shared_ptr<const Bitmap>>;

  static std::unique_ptr<ImageDecoder> make(ImageFormat format, Bytes bytes,
                                            const DecodeLimits& limits);

  ImageDecoder(Bytes bytes, const DecodeLimits& limits) : bytes_(bytes), limits_(limits) {}
  virtual ~ImageDecoder() = default;
  ImageDecoder(const ImageDecoder&) = delete;
  ImageDecoder& operator=(const ImageDecoder&) = delete;

  std::size_t frameCount() const { return frames_.size(); }
  const FrameProperties& frame(std::size_t index) const { return frames_[index]; }
  const Status& status() const { return status_; }
  // `index` < frameCount().
  virtual FrameResult decode(std::size_t index) = 0;

 protected:
  // "image too large: WxH" when the declared size is over maxPixels, "invalid image size" when
  // it is not positive.
  Status checkSize(std::int64_t width, std::int64_t height) const;
  // Registers one more frame unless that would pass maxFrames or maxTotalPixels (`pixels` is the
  // decoding work the frame costs); then sets status_ and returns false.
  bool admitFrame(const FrameProperties& frame, std::uint64_t pixels);
  // Sizes past INT_MAX are clamped; checkSize rejects them anyway.
  static FrameProperties frameOfSize(std::int64_t width, std::int64_t height);
  static FrameResult failure(Error error) { return FrameResult::failure(std::move(error)); }
  static FrameResult success(std::shared_ptr<const Bitmap> bitmap) {
    return FrameResult::success(std::move(bitmap));
  }

  const Bytes bytes_;
  const DecodeLimits limits_;
  std::vector<FrameProperties> frames_;
  Status status_;

 private:
  std::uint64_t admittedPixels_ = 0;
};

std::unique_ptr<ImageDecoder> makePngDecoder(ImageDecoder::Bytes, const DecodeLimits&);
std::unique_ptr<ImageDecoder> makeJpegDecoder(ImageDecoder::Bytes, const DecodeLimits&);
std::unique_ptr<ImageDecoder> makeGifDecoder(ImageDecoder::Bytes, const DecodeLimits&);
std::unique_ptr<ImageDecoder> makeWebpDecoder(ImageDecoder::Bytes, const DecodeLimits&);
std::unique_ptr<ImageDecoder> makeTiffDecoder(ImageDecoder::Bytes, const DecodeLimits&);

}  // namespace platform
