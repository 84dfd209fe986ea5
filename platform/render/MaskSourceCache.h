#pragma once

#include <cairo.h>

#include <memory>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Color.h"

namespace platform {

// An image mask's coverage (its alpha) in a colour, as a pattern kept from frame to frame while
// the image's pixels live: a masked shape paints once with it as its source instead of through a
// content group, a mask group and a mask. Entries are keyed on the pixels' identity (the bitmap
// object, never its address alone), so an image going away drops its entry and a new one made
// at the same address gets its own.
class MaskSourceCache {
 public:
  MaskSourceCache() = default;
  ~MaskSourceCache();
  MaskSourceCache(const MaskSourceCache&) = delete;
  MaskSourceCache& operator=(const MaskSourceCache&) = delete;

  // Whether painting with the coverage in `color` makes exactly the pixels of painting `color`
  // and then masking: true for an opaque colour whose channels are each 0 or 1, where every
  // product with a channel is exact, so the order of the products does not matter.
  static bool isExact(const Color& color);

  // The pattern for `bitmap` in `color` (isExact), sampled as Context::drawImage samples; the
  // caller sets its matrix before each use. Owned by the cache.
  cairo_pattern_t* source(const std::shared_ptr<const Bitmap>& bitmap, const Color& color);

  std::size_t size() const { return entries_.size(); }

 private:
  struct Entry {
    std::weak_ptr<const Bitmap> bitmap;
    unsigned channels = 0;  // which of red, green and blue carry the coverage
    cairo_pattern_t* pattern = nullptr;
  };
  static cairo_pattern_t* makeSource(const Bitmap& bitmap, unsigned channels);
  void dropGone();

  std::vector<Entry> entries_;  // a few: the masks on screen
};

}  // namespace platform
