#pragma once

#include <cstdint>

#include "images/WIImageTypes.h"
#include "platform/foundation/Types.h"
#include "platform/graphics/ImageOrientation.h"

namespace sprout {

// Turns the bytes of an image that is still arriving into pictures of what has arrived so far.
// The size and orientation are read once, from the first header that tells them; each partial
// picture is drawn into a canvas of the full size, so it never changes shape while it fills in.
// Not thread-safe: one download feeds it from one queue.
class WIImageProgressiveDecoder {
 public:
  // Each partial picture decodes everything so far, so pictures are made only every
  // 1/kMaxPartialImages of the expected bytes: a large image arriving in many small chunks costs
  // a bounded number of decodes instead of one per chunk.
  static constexpr std::int64_t kMaxPartialImages = 16;

  // The partial picture for `bytes` (everything received so far) out of `expectedSize`;
  // nullptr while nothing (or too little that is new) can be shown, once every byte has
  // arrived, or when the bytes cannot be decoded (a cut PNG shows nothing until complete).
  ImagePtr update(const platform::Data& bytes, std::int64_t expectedSize);

  int width() const { return width_; }
  int height() const { return height_; }
  platform::ImageOrientation orientation() const { return orientation_; }

 private:
  int width_ = 0;
  int height_ = 0;
  std::int64_t shownBytes_ = 0;  // received when the last partial picture was made
  platform::ImageOrientation orientation_ = platform::ImageOrientation::Up;
};

}  // namespace sprout
