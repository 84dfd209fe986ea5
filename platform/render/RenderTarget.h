#pragma once

#include <memory>

#include "platform/graphics/Geometry.h"

namespace platform {

class Context;
class Image;

// A surface kept from frame to frame, for whoever draws the same picture again and again. Each
// frame's image shares the surface's pixels instead of copying them; the next frame draws into
// the same surface once nobody holds that image any more, and into a new one while somebody does,
// so an image handed out never changes under its holder.
class RenderTarget {
 public:
  RenderTarget();
  ~RenderTarget();
  RenderTarget(const RenderTarget&) = delete;
  RenderTarget& operator=(const RenderTarget&) = delete;

  // A context of `points` at `scale` (0: the main screen's) with a fresh drawing state, or
  // nullptr for a size no surface can have. With `erase` every pixel starts transparent;
  // without it the pixels are whatever the last frame left (for a caller that covers them all).
  Context* begin(Size points, double scale, bool erase);
  // The frame drawn since begin(), sharing the surface's pixels.
  std::shared_ptr<Image> finish();

 private:
  std::unique_ptr<Context> context_;
};

}  // namespace platform
