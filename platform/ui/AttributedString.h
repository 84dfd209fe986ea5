#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/Color.h"
#include "platform/ui/Font.h"
#include "platform/ui/TextLayout.h"

namespace platform {

// What a run of text looks like; an attribute left empty takes the label's own value.
struct TextAttributes {
  std::optional<Font> font;
  std::optional<Color> foregroundColor;

  bool operator==(const TextAttributes&) const = default;
};

// UTF-8 text in runs of attributes, with the paragraph's alignment. Ranges count bytes of the
// UTF-8 text and are clipped to it; a range edge inside a character moves to its start.
class AttributedString {
 public:
  struct Run {
    std::size_t location;
    std::size_t length;
    TextAttributes attributes;
    bool operator==(const Run&) const = default;
  };

  AttributedString() = default;
  explicit AttributedString(std::string text, TextAttributes attributes = {});

  const std::string& string() const { return text_; }
  std::size_t length() const { return text_.size(); }
  bool empty() const { return text_.empty(); }
  // Adjacent runs with equal attributes are one run; together they cover the text.
  const std::vector<Run>& runs() const { return runs_; }
  // The attributes in force at byte `index` (empty past the end).
  TextAttributes attributesAt(std::size_t index) const;

  void append(const std::string& text, const TextAttributes& attributes = {});
  void append(const AttributedString& other);
  // Sets the attributes `attributes` gives over the range, keeping the others.
  void addAttributes(const TextAttributes& attributes, std::size_t location, std::size_t length);

  std::optional<TextAlignment> alignment() const { return alignment_; }
  void setAlignment(std::optional<TextAlignment> alignment) { alignment_ = alignment; }

  bool operator==(const AttributedString&) const = default;

 private:
  std::size_t boundary(std::size_t index) const;
  void splitAt(std::size_t index);
  void merge();

  std::string text_;
  std::vector<Run> runs_;
  std::optional<TextAlignment> alignment_;
};

}  // namespace platform
