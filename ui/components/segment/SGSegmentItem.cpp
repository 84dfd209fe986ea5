#include "ui/components/segment/SGSegmentItem.h"

#include <limits>

#include "platform/graphics/Context.h"
#include "platform/ui/TextLayout.h"

namespace sprout {
namespace {

std::string trimmed(const std::string& text) {
  const char* space = " \t\n\r\v\f";
  const auto first = text.find_first_not_of(space);
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(space) - first + 1);
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
