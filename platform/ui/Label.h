#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/Context.h"
#include "platform/ui/AttributedString.h"
#include "platform/ui/Font.h"
#include "platform/ui/TextLayout.h"
#include "platform/ui/View.h"

namespace platform {

// Read-only text. Lines wrap at the label's width and stop at numberOfLines (0: as many as fit);
// left-over text ends in an ellipsis under the truncating line break modes. The text block is
// centred vertically in the bounds. Measuring (sizeThatFits) and drawing use one layout.
// Attributed text draws its runs in their fonts and colours (the label's font and text colour
// fill in what a run leaves unset). A shadow, when it has a colour, is the drawn text again in
// that colour, shifted by the offset, behind the text.
class Label : public View {
 public:
  static std::shared_ptr<Label> create(const Rect& frame = {});

  const std::string& text() const { return text_; }
  // Plain text; ends any attributed text.
  void setText(std::string text);
  // The attributed text, or the plain text in the label's font and colour.
  AttributedString attributedText() const;
  // Its text becomes text(); its paragraph alignment, when it has one, textAlignment().
  void setAttributedText(AttributedString text);
  std::optional<Color> shadowColor() const { return shadowColor_; }
  void setShadowColor(std::optional<Color> color);
  Size shadowOffset() const { return shadowOffset_; }
  void setShadowOffset(const Size& offset);
  const Font& font() const { return font_; }
  void setFont(const Font& font);
  Color textColor() const { return textColor_; }
  void setTextColor(const Color& color);
  Color highlightedTextColor() const { return highlightedTextColor_; }
  void setHighlightedTextColor(const Color& color);
  bool isHighlighted() const { return highlighted_; }
  void setHighlighted(bool highlighted);
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled);
  TextAlignment textAlignment() const { return alignment_; }
  void setTextAlignment(TextAlignment alignment);
  int numberOfLines() const { return numberOfLines_; }
  void setNumberOfLines(int lines);
  LineBreakMode lineBreakMode() const { return lineBreakMode_; }
  void setLineBreakMode(LineBreakMode mode);
  // For a long text that changes a little at a time (TextLayout::setKeepsLines): a change lays
  // out again from the line it falls in, and drawing lays out only the lines in view.
  void setKeepsLines(bool keep) { layout_.setKeepsLines(keep); }

  // Rounded up to whole points. A one-line label reports its full width whatever `size` says.
  Size sizeThatFits(const Size& size) const override;
  Size intrinsicContentSize() const override;
  // Where the text is drawn within the bounds, and whether it had to be cut short.
  Rect textRect();
  bool isTruncated();

  void drawRect(Context& context, const Rect& rect) override;
  // Under ViewContentMode::Redraw (the default) plain text is drawn straight into the rendered
  // frame. Otherwise the backing holds only the text's ink (not the label's full width)
  // and is kept until the text, font, colour or size changes.
  bool displayLayer(Layer& layer) override;

  explicit Label(Key key, const Rect& frame);

 protected:
  // Plain text without a shadow: a shadow (and runs of colours) paint pixels more than once,
  // which over the frame rounds differently from over a clear bitmap.
  bool drawsInPlace() const override {
    return !attributed_ && (!shadowColor_ || shadowColor_->isClear());
  }

 private:
  void configure(double width, double height) const;
  Point textOrigin(const Rect& bounds) const;
  void changed();

  std::string text_;
  std::optional<AttributedString> attributed_;
  std::optional<Color> shadowColor_;
  Size shadowOffset_{0, -1};
  Font font_ = Font::systemFont(17);
  Color textColor_ = Color::black();
  Color highlightedTextColor_ = Color::black();
  TextAlignment alignment_ = TextAlignment::Natural;
  LineBreakMode lineBreakMode_ = LineBreakMode::ByTruncatingTail;
  int numberOfLines_ = 1;
  bool highlighted_ = false;
  bool enabled_ = true;
  mutable TextLayout layout_;           // measuring reconfigures it, hence mutable
  std::unique_ptr<Context> textStore_;  // what the backing image of the text is drawn into
};

}  // namespace platform
