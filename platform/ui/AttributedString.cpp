#include "platform/ui/AttributedString.h"

#include <algorithm>

namespace platform {

AttributedString::AttributedString(std::string text, TextAttributes attributes)
    : text_(std::move(text)) {
  if (!text_.empty()) runs_.push_back({0, text_.size(), std::move(attributes)});
}

TextAttributes AttributedString::attributesAt(std::size_t index) const {
  for (const Run& run : runs_) {
    if (index >= run.location && index < run.location + run.length) return run.attributes;
  }
  return {};
}

void AttributedString::append(const std::string& text, const TextAttributes& attributes) {
  if (text.empty()) return;
  runs_.push_back({text_.size(), text.size(), attributes});
  text_ += text;
  merge();
}

void AttributedString::append(const AttributedString& other) {
  const std::size_t offset = text_.size();
  text_ += other.text_;
  for (Run run : other.runs_) {
    run.location += offset;
    runs_.push_back(std::move(run));
  }
  merge();
}

std::size_t AttributedString::boundary(std::size_t index) const {
  index = std::min(index, text_.size());
  // Continuation bytes (10xxxxxx) are inside a character.
  while (index > 0 && index < text_.size() &&
         (static_cast<unsigned char>(text_[index]) & 0xC0) == 0x80) {
    --index;
  }
  return index;
}

void AttributedString::splitAt(std::size_t index) {
  for (std::size_t i = 0; i < runs_.size(); ++i) {
    Run& run = runs_[i];
    if (index <= run.location || index >= run.location + run.length) continue;
    Run tail{index, run.location + run.length - index, run.attributes};
    run.length = index - run.location;
    runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::move(tail));
    return;
  }
}

void AttributedString::addAttributes(const TextAttributes& attributes, std::size_t location,
                                     std::size_t length) {
  const std::size_t from = std::min(location, text_.size());
  const std::size_t to = length > text_.size() - from ? text_.size() : from + length;
  const std::size_t start = boundary(from);
  const std::size_t end = boundary(to);
  if (end <= start) return;
  splitAt(start);
  splitAt(end);
  for (Run& run : runs_) {
    if (run.location < start || run.location >= end) continue;
    if (attributes.font) run.attributes.font = attributes.font;
    if (attributes.foregroundColor) run.attributes.foregroundColor = attributes.foregroundColor;
  }
  merge();
}

void AttributedString::merge() {
  std::vector<Run> merged;
  for (Run& run : runs_) {
    if (!merged.empty() && merged.back().attributes == run.attributes) {
      merged.back().length += run.length;
    } else {
      merged.push_back(std::move(run));
    }
  }
  runs_ = std::move(merged);
}

}  // namespace platform
