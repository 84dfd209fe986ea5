// Every image decoder behind ImageSource, fed hostile bytes: sniffing, headers, every frame and
// its properties. The limits are small so one input never costs more than a few megabytes.
#include <cstddef>
#include <cstdint>

#include "platform/graphics/Image.h"
#include "platform/graphics/ImageSource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::sniffImageFormat(data, size);
  platform::DecodeLimits limits;
  limits.maxPixels = 1u << 20;
  limits.maxFrames = 32;
  limits.maxTotalPixels = 1u << 22;
  auto source = platform::ImageSource::create(platform::Data(data, data + size), limits);
  if (!source) return 0;
  [[maybe_unused]] const platform::Status status = source->status();
  // One past the end too: asking beyond the frames must be an error, not a read.
  for (std::size_t i = 0; i <= source->count(); ++i) {
    source->propertiesAt(i);
    auto frame = source->frameAt(i);
    if (frame && frame.value()->width() > 0) {
      auto properties = source->propertiesAt(i);
      const int orientation = properties ? properties->exifOrientation.value_or(1) : 1;
      platform::orientBitmap(frame.value(), platform::orientationFromExif(orientation));
    }
  }
  // Going back to the first frame restarts animated decoders; a frame or an error are both fine.
  if (source->count() > 1) {
    [[maybe_unused]] auto first = source->frameAt(0);
  }
  return 0;
}
