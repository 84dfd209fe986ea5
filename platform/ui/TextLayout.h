#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/Font.h"

typedef struct _cairo cairo_t;
typedef struct _PangoLayout PangoLayout;

namespace platform {

class AttributedString;
class TextLines;

enum class TextAlignment { Left = 0, Center = 1, Right = 2, Justified = 3, Natural = 4 };
enum class LineBreakMode {
  ByWordWrapping = 0,
  ByCharWrapping = 1,
  ByClipping = 2,
  ByTruncatingHead = 3,
  ByTruncatingTail = 4,
  ByTruncatingMiddle = 5
};

// One Pango layout of a text, used both to measure and to draw it, so the two always
// agree. Lines wrap at the width (words first, then characters for words longer than a line; a
// word of over 256 characters may also break after every 256th, which keeps its layout linear);
// numberOfLines (0: no limit) and the height bound how many lines show, and a truncating line
// break mode puts an ellipsis into the last one shown when text is left over. Hinting is off, so
// the layout is the same at every drawing scale. Main thread, or one layout per thread.
class TextLayout {
 public:
  TextLayout();
  ~TextLayout();
  TextLayout(const TextLayout&) = delete;
  TextLayout& operator=(const TextLayout&) = delete;

  void setText(const std::string& text);  // invalid UTF-8 is repaired
  // Text with runs of fonts and colours; the layout's font and draw colour fill in what a run
  // leaves unset. Text that needs repair loses its runs.
  void setAttributedText(const AttributedString& text);
  void setFont(const Font& font);
  void setAlignment(TextAlignment alignment);
  void setLineBreakMode(LineBreakMode mode);
  void setNumberOfLines(int lines);
  // A bound that is not positive and finite means none.
  void setBounds(double width, double height);
  // For a long text that changes a little at a time: while it wraps at a width into as many
  // lines as it takes (plain text, word or character wrapping, not justified), its lines are kept
  // (TextLines), so a change lays out again only from the line it falls in, and draw() lays out
  // only the lines inside the clip. Sizes and pixels are those of the whole layout.
  void setKeepsLines(bool keep);

  // The size of the visible lines, in points (not rounded).
  Size size();
  int lineCount();
  bool isTruncated();
  // Characters no installed font could draw (they would show as boxes).
  int unknownGlyphCount();
  // Draws the visible lines with their top-left corner at `origin`. Alignment applies across the
  // bounding width, or across the text's own width when there is none.
  void draw(cairo_t* cr, const Point& origin, const Color& color);
  // Where draw() at `origin` may leave ink: the glyphs' ink within what draw() clips to. Empty
  // when nothing is drawn.
  Rect inkRect(const Point& origin);

  // The size text takes within `constraint` (like a bounding-rect query).
  static Size measure(const std::string& text, const Font& font, const Size& constraint,
                      LineBreakMode mode = LineBreakMode::ByWordWrapping, int numberOfLines = 0);

 private:
  void apply();
  void applySettings(bool wrapWidth);
  void applyRuns();
  bool keepingLines() const;
  void applyKept();
  std::size_t keptCount() const;
  Rect inkOfLines(const Point& origin) const;
  int visibleLines();
  // The clip draw() uses and where its first line starts.
  Rect clipRect(const Point& origin, double* textX);

  PangoLayout* layout_;
  std::string text_;
  std::unique_ptr<AttributedString> attributed_;
  // Byte offsets of the text before which a zero-width space breaks an overlong word.
  std::vector<std::size_t> breaks_;
  Font font_;
  TextAlignment alignment_ = TextAlignment::Natural;
  LineBreakMode mode_ = LineBreakMode::ByWordWrapping;
  int numberOfLines_ = 0;
  double width_ = -1;
  double height_ = -1;
  bool dirty_ = true;
  bool keepsLines_ = false;
  std::unique_ptr<TextLines> lines_;  // while keepingLines()
  bool settingsChanged_ = true;       // since the kept lines were laid out
  std::size_t changedFrom_ = 0;       // the first byte of the text changed since then
};

}  // namespace platform
