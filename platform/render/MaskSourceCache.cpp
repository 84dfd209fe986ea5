#include "platform/render/MaskSourceCache.h"

#include <algorithm>
#include <cstdint>

#include "platform/graphics/Context.h"

namespace platform {
namespace {

constexpr std::size_t kMaxEntries = 16;

unsigned channelsOf(const Color& c) {
  return (c.r == 1 ? 4u : 0u) | (c.g == 1 ? 2u : 0u) | (c.b == 1 ? 1u : 0u);
}

}  // namespace

MaskSourceCache::~MaskSourceCache() {
  for (Entry& e : entries_) cairo_pattern_destroy(e.pattern);
}

bool MaskSourceCache::isExact(const Color& c) {
  const auto whole = [](double v) { return v == 0 || v == 1; };
  return c.a == 1 && whole(c.r) && whole(c.g) && whole(c.b) && !c.patternImage();
}

cairo_pattern_t* MaskSourceCache::source(const std::shared_ptr<const Bitmap>& bitmap,
                                         const Color& color) {
  const unsigned channels = channelsOf(color);
  const std::weak_ptr<const Bitmap> key = bitmap;
  for (const Entry& e : entries_) {
    if (e.channels == channels && !e.bitmap.owner_before(key) && !key.owner_before(e.bitmap)) {
      return e.pattern;
    }
  }
  dropGone();
  if (entries_.size() >= kMaxEntries) {
    cairo_pattern_destroy(entries_.front().pattern);
    entries_.erase(entries_.begin());
  }
  entries_.push_back({key, channels, makeSource(*bitmap, channels)});
  return entries_.back().pattern;
}

void MaskSourceCache::dropGone() {
  const auto gone = std::remove_if(entries_.begin(), entries_.end(), [](const Entry& e) {
    if (!e.bitmap.expired()) return false;
    cairo_pattern_destroy(e.pattern);
    return true;
  });
  entries_.erase(gone, entries_.end());
}

// Each pixel is the bitmap's alpha in the chosen channels, premultiplied: (a, a·r, a·g, a·b)
// with r, g and b each 0 or 1.
cairo_pattern_t* MaskSourceCache::makeSource(const Bitmap& bitmap, unsigned channels) {
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, bitmap.width(), bitmap.height());
  cairo_surface_flush(surface);
  auto* out = reinterpret_cast<unsigned char*>(cairo_image_surface_get_data(surface));
  const std::size_t stride = static_cast<std::size_t>(cairo_image_surface_get_stride(surface));
  const std::uint32_t spread = ((channels & 4u) ? 0x00010000u : 0u) |
                               ((channels & 2u) ? 0x00000100u : 0u) | ((channels & 1u) ? 1u : 0u);
  for (int y = 0; y < bitmap.height(); ++y) {
    const std::uint32_t* in = bitmap.pixels() + static_cast<std::size_t>(y) * bitmap.width();
    auto* row = reinterpret_cast<std::uint32_t*>(out + static_cast<std::size_t>(y) * stride);
    for (int x = 0; x < bitmap.width(); ++x) {
      const std::uint32_t a = bitmap.hasAlpha() ? in[x] >> 24 : 0xFFu;
      row[x] = (a << 24) | a * spread;
    }
  }
  cairo_surface_mark_dirty(surface);
  cairo_pattern_t* pattern = Context::imagePattern(surface);
  cairo_surface_destroy(surface);
  return pattern;
}

}  // namespace platform
