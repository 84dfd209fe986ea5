#include "platform/ui/Label.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <cairo.h>

#include "platform/animation/Layer.h"
#include "platform/graphics/Context.h"

namespace platform {

std::shared_ptr<Label> Label::create(const Rect& frame) { return make<Label>(frame); }

Label::Label(Key key, const Rect& frame) : View(std::move(key), frame) {
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
  if (font == font_) return;
  font_ = font;
  changed();
}

void Label::setTextColor(const Color& color) {
  if (color == textColor_) return;
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

Point Label::textOrigin(const Rect& b) const {
  configure(b.size.width, b.size.height);
  return {b.origin.x, b.origin.y + (b.size.height - layout_.size().height) / 2};
}

void Label::drawRect(Context& context, const Rect& /*rect*/) {
  const Point origin = textOrigin(bounds());
  Color color = highlighted_ ? highlightedTextColor_ : textColor_;
  if (!enabled_) color = color.withAlpha(color.a * 0.5);
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

namespace {

// Pixels [x0, x1) of an axis `length` pixels long, widened to be symmetric about its middle
// when `centred`, or to reach the far end when `toEnd`.
void widen(long& x0, long& x1, long length, bool centred, bool toEnd) {
  x0 = std::max(0L, x0);
  x1 = std::min(length, x1);
  if (centred) {
    const long margin = std::min(x0, length - x1);
    x0 = margin;
    x1 = length - margin;
  } else if (toEnd) {
    x1 = length;
  } else {
    x0 = 0;
  }
}

}  // namespace

// Draws the text into a bitmap around its ink, placed by a contents gravity so that its pixels
// land exactly where a full-size backing would have put them. Sizes that are no whole number of
// pixels fall back to the full-size backing.
bool Label::displayLayer(Layer& layer) {
  layer.setContentsGravity(ContentsGravity::Resize);  // what a full-size backing needs
  const Rect b = bounds();
  const double scale = layer.contentsScale();
  const double wpx = b.size.width * scale, hpx = b.size.height * scale;
  if (!(wpx > 0 && hpx > 0 && wpx < 32768 && hpx < 32768) || wpx != std::floor(wpx) ||
      hpx != std::floor(hpx) || scale != std::floor(scale)) {
    return false;
  }
  const Point origin = textOrigin(b);
  Rect ink = layout_.inkRect(origin);
  if (shadowColor_ && !shadowColor_->isClear() && !isEmpty(ink)) {
    // The shadow is the text's coverage again, shifted: it inks that much further.
    Rect shifted = ink;
    shifted.origin.x += shadowOffset_.width;
    shifted.origin.y += shadowOffset_.height;
    ink = unionRect(ink, shifted);
  }
  if (isEmpty(ink)) {
    layer.setContents(nullptr);
    return true;
  }
  constexpr long kMargin = 2;  // antialiasing and glyph placement may stray a pixel
  long x0 = static_cast<long>(std::floor((minX(ink) - b.origin.x) * scale)) - kMargin;
  long x1 = static_cast<long>(std::ceil((maxX(ink) - b.origin.x) * scale)) + kMargin;
  long y0 = static_cast<long>(std::floor((minY(ink) - b.origin.y) * scale)) - kMargin;
  long y1 = static_cast<long>(std::ceil((maxY(ink) - b.origin.y) * scale)) + kMargin;
  const long width = static_cast<long>(wpx), height = static_cast<long>(hpx);
  const bool centred = alignment_ == TextAlignment::Center;
  const bool right = alignment_ == TextAlignment::Right;
  // Left and right crops grow to a multiple of kGrain pixels (within the bounds), so texts of
  // similar length draw into one kept surface.
  constexpr long kGrain = 32;
  if (right) {
    x0 = width - (std::max(1L, width - x0) + kGrain - 1) / kGrain * kGrain;
  } else if (!centred) {
    x1 = (std::max(1L, x1) + kGrain - 1) / kGrain * kGrain;
  }
  widen(x0, x1, width, centred, right);
  widen(y0, y1, height, true, false);
  if (x1 <= x0 || y1 <= y0) return false;
  // The surface is kept for the next text of the same pixel size, unless its image is still
  // held (by a rendered frame, say): then the next drawing takes a new one.
  const Size size{(x1 - x0) / scale, (y1 - y0) / scale};
  layer.setContents(nullptr);  // the layer's hold on the last drawing
  if (textStore_ && textStore_->fits(size, scale) && !textStore_->isShared()) {
    textStore_->clear();
  } else {
    textStore_ = Context::create(size, scale, false);
    if (!textStore_) return false;
  }
  cairo_translate(textStore_->cairo(), -b.origin.x - x0 / scale, -b.origin.y - y0 / scale);
  drawRect(*textStore_, b);
  layer.setContents(textStore_->shareImage());
  layer.setContentsGravity(centred ? ContentsGravity::Center
                           : right ? ContentsGravity::Right
                                   : ContentsGravity::Left);
  return true;
}

}  // namespace platform
