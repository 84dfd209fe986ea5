#pragma once

#include <cstddef>
#include <string>
#include <vector>

typedef struct _cairo cairo_t;
typedef struct _PangoLayout PangoLayout;

namespace platform {

// The wrapped lines of a long text that changes a little at a time (what is typed into a text
// view), kept between layouts: a change is laid out again only from the line its first changed
// byte can reach back to, and drawing lays out only the lines in view.
//
// Each of these partial layouts starts at a line where a layout of the whole text starts the
// same line the same way, so the kept lines are exactly those of one whole layout: a paragraph's
// start, or a wrapped line whose first character belongs to a script of its own (Latin, Han ...,
// not a digit, space or emoji, which take their script from the text before them). Text with a
// right-to-left or contextually shaped script anywhere is always laid out whole.
//
// Words of over kLongWord characters get a zero-width space after every kLongWord characters
// that offer no break: Pango breaks them character by character at a cost that grows with the
// square of their length. Those breaks are kept for the whole text too. Main thread, or one
// instance per thread.
class TextLines {
 public:
  static constexpr int kLongWord = 256;

  // One line, its heights and widths in Pango units (1/1024 point).
  struct Line {
    std::size_t start = 0;  // byte of the text
    int y = 0;              // logical top, from the text's top
    int height = 0;
    int width = 0;
    int inkX = 0, inkY = 0, inkWidth = 0, inkHeight = 0;  // inkY from the line's top
    // The first byte after `start` where a line may break (npos: not before the end): a change
    // past it cannot move this line's start.
    std::size_t nextBreak = 0;
    int longWordRun = 0;     // the long-word count after the line's first character
    bool paragraph = false;  // the first line of a paragraph
    bool safe = false;       // a partial layout may start here
    // Over this line and those before it:
    int widest = 0;
    int tallest = 0;
    int unknownGlyphs = 0;
    int overhang = 0;  // how far ink reaches past a line's logical box
    // Characters before the line's start that need the whole text in one layout.
    int contextualBefore = 0;
  };

  // Where zero-width spaces go in `text` laid out at once (ascending byte offsets).
  static std::vector<std::size_t> longWordBreaks(const std::string& text);
  // `text` with a zero-width space before each of `breaks` in (from, to], from byte `from` to
  // byte `to`.
  static std::string spaced(const std::string& text, const std::vector<std::size_t>& breaks,
                            std::size_t from, std::size_t to);

  // `layout` carries the settings (font, width, wrap, alignment) and is used for the work; its
  // text is replaced. `changedFrom` is the first byte that differs from the text of the last
  // update (0, or a fresh object: everything).
  void update(PangoLayout* layout, const std::string& text, std::size_t changedFrom,
              bool breakLongWords);
  const std::vector<Line>& lines() const { return lines_; }
  // How many lines Pango keeps under a height bound (Pango units): before each paragraph after
  // the first, it stops when what is left of the bound is less than the last line's height.
  std::size_t linesWithin(int height) const;
  // Draws the lines whose ink may reach between `top` and `bottom` (points from the text's top),
  // with the text's top-left corner at (x, y).
  // Lines from `count` on are not drawn.
  void draw(PangoLayout* layout, const std::string& text, cairo_t* cr, double x, double y,
            double top, double bottom, std::size_t count) const;

 private:
  std::size_t restartLine(std::size_t changedFrom) const;
  // Lays out from line `first` to the end; answers how many characters of the text need it
  // laid out whole.
  int layOut(PangoLayout* layout, const std::string& text, std::size_t first, bool breakLongWords);

  std::vector<Line> lines_;
  std::vector<std::size_t> breaks_;  // where zero-width spaces go, over the whole text
  bool breakLongWords_ = false;
};

}  // namespace platform
