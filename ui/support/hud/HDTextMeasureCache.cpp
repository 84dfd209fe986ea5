#include "ui/support/hud/HDTextMeasureCache.h"

#include "platform/ui/TextLayout.h"

namespace sprout {

platform::Size HDTextMeasureCache::measureUncached(const std::string& text,
                                                   const platform::Font& font,
                                                   const platform::Size& constraint) {
  return platform::TextLayout::measure(text, font, constraint,
                                       platform::LineBreakMode::ByTruncatingTail, 0);
}

platform::Size HDTextMeasureCache::measure(const std::string& text, const platform::Font& font,
                                           const platform::Size& constraint) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->text == text && it->font == font && it->constraint == constraint) {
      entries_.splice(entries_.begin(), entries_, it);
      return entries_.front().result;
    }
  }
  const platform::Size result = measureUncached(text, font, constraint);
  if (capacity_ == 0) return result;
  entries_.push_front({text, font, constraint, result});
  if (entries_.size() > capacity_) entries_.pop_back();
  return result;
}

}  // namespace sprout
