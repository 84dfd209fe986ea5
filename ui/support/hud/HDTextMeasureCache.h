#pragma once

#include <cstddef>
#include <list>
#include <string>

#include "platform/graphics/Geometry.h"
#include "platform/ui/Font.h"

namespace sprout {

// Remembers the last few measured status texts. The HUD lays its panel out at every show and
// status change, mostly with the same few texts, and laying text out is the costly part.
// One thread only (the HUD's is the main thread).
class HDTextMeasureCache {
 public:
  explicit HDTextMeasureCache(std::size_t capacity = 8) : capacity_(capacity) {}

  // The size the text takes within `constraint`, wrapping lines and cutting the last visible
  // one short, unrounded.
  platform::Size measure(const std::string& text, const platform::Font& font,
                         const platform::Size& constraint);
  // The same without the cache.
  static platform::Size measureUncached(const std::string& text, const platform::Font& font,
                                        const platform::Size& constraint);

  std::size_t size() const { return entries_.size(); }
  void clear() { entries_.clear(); }

 private:
  struct Entry {
    std::string text;
    platform::Font font;
    platform::Size constraint;
    platform::Size result;
  };

  std::size_t capacity_;
  std::list<Entry> entries_;  // most recently used first
};

}  // namespace sprout
