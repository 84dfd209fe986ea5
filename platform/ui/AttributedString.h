#pragma once

#include <optional>
#include <string>

#include "platform/graphics/Color.h"
#include "platform/ui/Font.h"
#include "platform/ui/TextLayout.h"

namespace platform {

// Text with one set of attributes over its whole length: what labels and picker rows take.
// An unset attribute leaves the receiver's own value in place.
struct AttributedString {
  std::string string;
  std::optional<Font> font;
  std::optional<Color> foregroundColor;
  std::optional<TextAlignment> alignment;  // the paragraph style's alignment

  bool operator==(const AttributedString&) const = default;
};

}  // namespace platform
