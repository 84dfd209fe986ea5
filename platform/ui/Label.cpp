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
  invalidateIntrinsicContentSize();  // constraints size a label by its text
}

void Label::setText(std::string text) {
  if (text == text_ && !attributed_) return;
  text_ = std::move(text);
  attributed_.reset();
  changed();
}

AttributedString Label::attributedText() const {
  if (attributed_) return *attributed_;
  AttributedString plain(text_, TextAttributes{font_, textColor_});
  plain.setAlignment(alignment_);
  return plain;
}

void Label::setAttributedText(AttributedString text) {
  text_ = text.string();
  if (text.alignment()) alignment_ = *text.alignment();
  attributed_ = std::move(text);
  changed();
}

void Label::setShadowColor(std::optional<Color> color) {
  shadowColor_ = color;
  setNeedsDisplay();
}

void Label::setShadowOffset(const Size& offset) {
  shadowOffset_ = offset;
  setNeedsDisplay();
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
  if (attributed_) {
    layout_.setAttributedText(*attributed_);
  } else {
    layout_.setText(text_);
  }
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
  const Point origin{b.origin.x, b.origin.y + (b.size.height - s.height) / 2};
  cairo_t* cr = context.cairo();
  if (!shadowColor_ || shadowColor_->isClear()) {
    layout_.draw(cr, origin, color);
    return;
  }
  // The text once into a group; its coverage, shifted, paints the shadow, then the text on top.
  cairo_push_group(cr);
  layout_.draw(cr, origin, color);
  cairo_pattern_t* text = cairo_pop_group(cr);
  cairo_save(cr);
  Context::setSourceColor(cr, *shadowColor_);
  cairo_translate(cr, shadowOffset_.width, shadowOffset_.height);
  cairo_mask(cr, text);
  cairo_restore(cr);
  cairo_set_source(cr, text);
  cairo_paint(cr);
  cairo_pattern_destroy(text);
}

}  // namespace platform
