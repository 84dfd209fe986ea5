#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>

#include "platform/foundation/Error.h"
#include "platform/foundation/Status.h"
#include "platform/foundation/Types.h"
#include "platform/graphics/Bitmap.h"

namespace platform {

enum class ImageFormat { Unknown, JPEG, PNG, GIF, WebP, TIFF };

// By the leading bytes only.
ImageFormat sniffImageFormat(const std::uint8_t* bytes, std::size_t length);
const char* imageFormatName(ImageFormat format);

// What one source may cost. Declared sizes are checked against these before anything is allocated.
struct DecodeLimits {
  std::uint64_t maxPixels = 1ull << 26;       // per frame (and per canvas)
  std::size_t maxFrames = 1000;               // frames past this are not offered
  std::uint64_t maxTotalPixels = 1ull << 28;  // summed over the frames offered
};

struct FrameProperties {
  int width = 0;
  int height = 0;
  std::optional<int> exifOrientation;  // 1...8, from JPEG EXIF or the TIFF tag
  // Seconds; present when the GIF frame has a graphic control extension.
  std::optional<double> gifDelayTime;
  std::optional<double> gifUnclampedDelayTime;
  std::optional<double> webpDelayTime;  // animated WebP frames
};

class ImageDecoder;

// Decodes the frames of one encoded image on demand. Thread-safe; frames of an animation are
// composited as displayed (GIF disposal, WebP blending).
class ImageSource {
 public:
  // nullptr when the bytes are no image format we know. A recognised but broken image still gets a
  // source: count() tells how many frames are usable and status() why there are not more.
  static std::shared_ptr<ImageSource> create(Data data, DecodeLimits limits = {});
  // Reads `bytes` in place, without a copy: they must outlive the source (decoding within one
  // call, where the caller holds the bytes).
  static std::shared_ptr<ImageSource> createViewing(std::span<const std::uint8_t> bytes,
                                                    DecodeLimits limits = {});
  ~ImageSource();
  ImageSource(const ImageSource&) = delete;
  ImageSource& operator=(const ImageSource&) = delete;

  ImageFormat format() const { return format_; }
  std::size_t count() const;
  std::optional<FrameProperties> propertiesAt(std::size_t index) const;
  Result<std::shared_ptr<const Bitmap>> frameAt(std::size_t index) const;
  // Why the data offered fewer frames than it announced (truncated, over the limits ...).
  Status status() const;
  const DecodeLimits& limits() const { return limits_; }

 private:
  ImageSource(Data data, DecodeLimits limits, ImageFormat format);

  // The decoder reads these bytes in place (or the caller's, viewed); declared first so they
  // outlive it.
  const Data data_;
  const DecodeLimits limits_;
  const ImageFormat format_;
  mutable std::mutex mutex_;  // decoders keep state between frames
  std::unique_ptr<ImageDecoder> decoder_;
};

}  // namespace platform
