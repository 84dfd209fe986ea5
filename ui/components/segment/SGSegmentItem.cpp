#include "ui/components/segment/SGSegmentItem.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <limits>

#include "platform/graphics/Context.h"
#include "platform/ui/TextLayout.h"

namespace sprout {
namespace {

// Trims Unicode white space and line breaks (the ideographic space of a Chinese title too) from
// both ends; a byte that is not UTF-8 counts as text.
std::string trimmed(const std::string& text) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const auto length = static_cast<int32_t>(text.size());
  int32_t begin = 0, end = length;
  for (int32_t i = 0; i < length;) {
    UChar32 c;
    const int32_t at = i;
    U8_NEXT(bytes, i, length, c);
    if (c < 0 || !u_isUWhiteSpace(c)) {
      begin = at;
      break;
    }
    begin = i;
  }
  while (end > begin) {
    UChar32 c;
    int32_t i = end;
    U8_PREV(bytes, 0, i, c);
    if (c < 0 || !u_isUWhiteSpace(c)) break;
    end = i;
  }
  return text.substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin));
}

}  // namespace

std::shared_ptr<SGSegmentItem> SGSegmentItem::create(const platform::Rect& frame) {
  return platform::Object::make<SGSegmentItem>(frame);
}

bool SGSegmentItem::isStringEmpty(const std::optional<std::string>& text) {
  return !text || text->empty();
}

double SGSegmentItem::caculateTextWidth(const std::string& text, const platform::Font& font) {
  const std::string inner = trimmed(text);
  if (inner.empty()) return 0;
  const double unlimited = std::numeric_limits<double>::infinity();
  return platform::TextLayout::measure(inner, font, {unlimited, font.pointSize()}).width;
}

double SGSegmentItem::caculateWidthWithtitle(const std::string& title, const platform::Font& font) {
  return caculateTextWidth(title, font) + 40;
}

void SGSegmentItem::drawRect(platform::Context& context, const platform::Rect& rect) {
  if (isStringEmpty(title_)) return;
  const platform::Color color = isSelected() ? highlightColor_ : titleColor_;
  const double x = (rect.size.width - caculateTextWidth(*title_, titleFont_)) * 0.5;
  const double y = (frame().size.height - titleFont_.pointSize()) * 0.5;
  platform::TextLayout layout;
  layout.setText(*title_);
  layout.setFont(titleFont_);
  layout.setNumberOfLines(1);
  layout.draw(context.cairo(), {x, y}, color);
}

}  // namespace sprout
