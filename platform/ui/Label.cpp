#include "platform/ui/Label.h"

#include <cmath>
#include <limits>

#include "platform/graphics/Context.h"

namespace platform {

std::shared_ptr<Label> Label::create(const Rect& frame) { return make<Label>(frame); }

Label::Label(const Rect& frame) : View(frame) {
  setContentMode(ViewContentMode::Redraw);
  setUserInteractionEnabled(false);
  setOpaque(false);
  setNeedsDisplay();
}

void Label::changed() {
  setNeedsDisplay();
  setNeedsLayout();
}

void Label::setText(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  changed();
}

void Label::setFont(const Font& font) {
  font_ = font;
  changed();
}

void Label::setTextColor(const Color& color) {
  textColor_ = color;
  setNeedsDisplay();
}

void Label::setHighlightedTextColor(const Color& color) {
  highlightedTextColor_ = color;
  setNeedsDisplay();
}

void Label::setHighlighted(bool highlighted) {
  highlighted_ = highlighted;
  setNeedsDisplay();
}

void Label::setEnabled(bool enabled) {
  enabled_ = enabled;
  setNeedsDisplay();
}

void Label::setTextAlignment(TextAlignment alignment) {
  alignment_ = alignment;
  setNeedsDisplay();
}

void Label::setNumberOfLines(int lines) {
  numberOfLines_ = lines < 0 ? 0 : lines;
  changed();
}

void Label::setLineBreakMode(LineBreakMode mode) {
  lineBreakMode_ = mode;
  changed();
}

void Label::configure(double width, double height) const {
  layout_.setText(text_);
  layout_.setFont(font_);
  layout_.setAlignment(alignment_);
  layout_.setLineBreakMode(lineBreakMode_);
  layout_.setNumberOfLines(numberOfLines_);
  layout_.setBounds(width, height);
}

Size Label::sizeThatFits(const Size& size) const {
  const double width = numberOfLines_ == 1 ? -1 : size.width;
  configure(width, -1);
  const Size s = layout_.size();
  return {std::ceil(s.width), std::ceil(s.height)};
}

Size Label::intrinsicContentSize() const {
  return sizeThatFits({std::numeric_limits<double>::infinity(), 0});
}

Rect Label::textRect() {
  const Rect b = bounds();
  configure(b.size.width, b.size.height);
  const Size s = layout_.size();
  double x = b.origin.x;
  if (alignment_ == TextAlignment::Center) x += (b.size.width - s.width) / 2;
  if (alignment_ == TextAlignment::Right) x += b.size.width - s.width;
  return makeRect(x, b.origin.y + (b.size.height - s.height) / 2, s.width, s.height);
}

bool Label::isTruncated() {
  const Rect b = bounds();
  configure(b.size.width, b.size.height);
  return layout_.isTruncated();
}

void Label::drawRect(Context& context, const Rect& /*rect*/) {
  const Rect b = bounds();
  configure(b.size.width, b.size.height);
  const Size s = layout_.size();
  Color color = highlighted_ ? highlightedTextColor_ : textColor_;
  if (!enabled_) color = color.withAlpha(color.a * 0.5);
  layout_.draw(context.cairo(), {b.origin.x, b.origin.y + (b.size.height - s.height) / 2}, color);
}

}  // namespace platform
