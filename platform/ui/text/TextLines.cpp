#include "platform/ui/text/TextLines.h"

#include <cairo.h>
#include <glib.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace platform {
namespace {

constexpr char kZeroWidthSpace[] = "\u200B";
constexpr std::size_t kZeroWidthSpaceBytes = sizeof(kZeroWidthSpace) - 1;
constexpr std::size_t kNone = std::string::npos;
// How far past a break opportunity Pango's break rules look to decide it (a few characters,
// with combining marks between them), in bytes.
constexpr std::size_t kBreakReach = 64;
// Ink a line draws may stray this far (points) past its measured ink when rasterised.
constexpr double kInkSlack = 4;

// Right-to-left text and scripts shaped by their neighbours (Arabic joining, Indic clusters,
// Thai words found by dictionary) lay out differently when a layout starts in the middle of
// them, as do explicit direction controls: such text is laid out whole.
bool needsWholeText(gunichar c) {
  if ((c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) ||
      (c >= 0xFE70 && c <= 0xFEFF) || (c >= 0x10800 && c <= 0x10FFF) ||
      (c >= 0x1E800 && c <= 0x1EFFF)) {
    return true;
  }
  if (c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
      (c >= 0x2066 && c <= 0x2069)) {
    return true;
  }
  switch (g_unichar_get_script(c)) {
    case G_UNICODE_SCRIPT_COMMON:
    case G_UNICODE_SCRIPT_INHERITED:
    case G_UNICODE_SCRIPT_LATIN:
    case G_UNICODE_SCRIPT_GREEK:
    case G_UNICODE_SCRIPT_CYRILLIC:
    case G_UNICODE_SCRIPT_ARMENIAN:
    case G_UNICODE_SCRIPT_GEORGIAN:
    case G_UNICODE_SCRIPT_HAN:
    case G_UNICODE_SCRIPT_HIRAGANA:
    case G_UNICODE_SCRIPT_KATAKANA:
    case G_UNICODE_SCRIPT_BOPOMOFO:
    case G_UNICODE_SCRIPT_HANGUL:
      return false;
    default:
      return true;
  }
}

// A character whose script is its own: Pango gives it the same run whatever comes before it.
bool hasOwnScript(gunichar c) {
  const GUnicodeScript s = g_unichar_get_script(c);
  return s != G_UNICODE_SCRIPT_COMMON && s != G_UNICODE_SCRIPT_INHERITED &&
         s != G_UNICODE_SCRIPT_UNKNOWN;
}

// The characters of text[from, end) with Pango's break attributes.
struct Chunk {
  std::size_t from = 0;
  std::vector<std::size_t> offsets;  // of each character from `from`, then the length
  std::vector<PangoLogAttr> attrs;   // one more than there are characters
  std::vector<int> wholeTextBefore;  // characters needing the whole text, before each
  std::size_t count() const { return offsets.size() - 1; }
  // The character at byte `at` of the text.
  std::size_t characterAt(std::size_t at) const {
    return static_cast<std::size_t>(std::lower_bound(offsets.begin(), offsets.end(), at - from) -
                                    offsets.begin());
  }
};

Chunk analyse(const std::string& text, std::size_t from) {
  Chunk c;
  c.from = from;
  const char* begin = text.data() + from;
  const char* end = text.data() + text.size();
  int whole = 0;
  for (const char* p = begin; p < end; p = g_utf8_next_char(p)) {
    c.offsets.push_back(static_cast<std::size_t>(p - begin));
    c.wholeTextBefore.push_back(whole);
    whole += needsWholeText(g_utf8_get_char(p)) ? 1 : 0;
  }
  c.offsets.push_back(static_cast<std::size_t>(end - begin));
  c.wholeTextBefore.push_back(whole);
  c.attrs.resize(c.offsets.size());
  pango_get_log_attrs(begin, static_cast<int>(end - begin), -1, pango_language_get_default(),
                      c.attrs.data(), static_cast<int>(c.attrs.size()));
  return c;
}

// Carries the long-word count over characters [first, count) of `c`, from `run`, adding the
// breaks it finds; `runAfter` gets the count after each character.
void countLongWords(const Chunk& c, std::size_t first, int run, std::vector<std::size_t>& breaks,
                    std::vector<int>& runAfter) {
  runAfter.assign(c.count(), run);
  for (std::size_t i = first; i < c.count(); ++i) {
    if (c.attrs[i].is_line_break) run = 0;
    if (run == TextLines::kLongWord) {
      breaks.push_back(c.from + c.offsets[i]);
      run = 0;
    }
    runAfter[i] = ++run;
  }
}

// For each character, the first byte after it where a line may break (kNone: the end).
std::vector<std::size_t> nextBreaks(const Chunk& c, bool words) {
  std::vector<std::size_t> next(c.count() + 1, kNone);
  for (std::size_t i = c.count(); i-- > 0;) {
    const PangoLogAttr& a = c.attrs[i + 1];
    const bool breaks = i + 1 < c.count() && (words ? a.is_line_break : a.is_char_break);
    next[i] = breaks ? c.from + c.offsets[i + 1] : next[i + 1];
  }
  return next;
}

// The line at `it`: its extents (from `top`) and the glyphs no font could draw, which the
// running figures start from.
TextLines::Line measure(PangoLayoutIter* it, int top) {
  TextLines::Line l;
  PangoRectangle ink, logical;
  pango_layout_iter_get_line_extents(it, &ink, &logical);
  l.y = top + logical.y;
  l.height = logical.height;
  l.width = logical.width;
  l.inkX = ink.x, l.inkY = ink.y - logical.y, l.inkWidth = ink.width, l.inkHeight = ink.height;
  for (GSList* r = pango_layout_iter_get_line_readonly(it)->runs; r; r = r->next) {
    const auto* run = static_cast<PangoGlyphItem*>(r->data);
    for (int g = 0; g < run->glyphs->num_glyphs; ++g) {
      if (run->glyphs->glyphs[g].glyph & PANGO_GLYPH_UNKNOWN_FLAG) ++l.unknownGlyphs;
    }
  }
  l.widest = l.width;
  l.tallest = l.height;
  l.overhang = std::max({0, -l.inkY, l.inkY + l.inkHeight - l.height});
  return l;
}

// Folds the figures over the lines before `l` into its own.
void accumulate(const TextLines::Line& prior, TextLines::Line& l) {
  l.widest = std::max(prior.widest, l.widest);
  l.tallest = std::max(prior.tallest, l.tallest);
  l.unknownGlyphs += prior.unknownGlyphs;
  l.overhang = std::max(prior.overhang, l.overhang);
}

}  // namespace

std::vector<std::size_t> TextLines::longWordBreaks(const std::string& text) {
  std::vector<std::size_t> breaks;
  if (text.size() <= static_cast<std::size_t>(kLongWord)) return breaks;
  std::vector<int> runAfter;
  countLongWords(analyse(text, 0), 0, 0, breaks, runAfter);
  return breaks;
}

std::string TextLines::spaced(const std::string& text, const std::vector<std::size_t>& breaks,
                              std::size_t from, std::size_t to) {
  std::string out;
  auto b = std::upper_bound(breaks.begin(), breaks.end(), from);
  const auto e = std::upper_bound(b, breaks.end(), to);
  out.reserve(to - from + static_cast<std::size_t>(e - b) * kZeroWidthSpaceBytes);
  for (; b != e; ++b) {
    out.append(text, from, *b - from).append(kZeroWidthSpace);
    from = *b;
  }
  return out.append(text, from, to - from);
}

void TextLines::update(PangoLayout* layout, const std::string& text, std::size_t changedFrom,
                       bool breakLongWords) {
  if (breakLongWords != breakLongWords_) {
    breakLongWords_ = breakLongWords;
    changedFrom = 0;
  }
  const std::size_t first = changedFrom == 0 ? 0 : restartLine(changedFrom);
  if (layOut(layout, text, first, breakLongWords) > 0 && first > 0) {
    layOut(layout, text, 0, breakLongWords);
  }
}

// Lines before the returned one keep their place: the change comes after the first point the
// next line could break at (and what Pango looks at to decide it), so what did not fit on the
// line before still does not.
std::size_t TextLines::restartLine(std::size_t changedFrom) const {
  auto after = std::lower_bound(lines_.begin(), lines_.end(), changedFrom,
                                [](const Line& l, std::size_t at) { return l.start < at; });
  std::size_t r = static_cast<std::size_t>(after - lines_.begin());
  if (r == 0) return 0;
  --r;
  auto settled = [&](const Line& l) {
    return l.nextBreak != kNone && l.nextBreak + kBreakReach < changedFrom;
  };
  while (r > 0 && !settled(lines_[r])) --r;
  while (r > 0 && !lines_[r].safe) --r;
  return r;
}

int TextLines::layOut(PangoLayout* layout, const std::string& text, std::size_t first,
                      bool breakLongWords) {
  const Line restart = first < lines_.size() ? lines_[first] : Line{};
  const std::size_t from = first == 0 ? 0 : restart.start;
  lines_.resize(first);
  breaks_.erase(
      first == 0 ? breaks_.begin() : std::upper_bound(breaks_.begin(), breaks_.end(), from),
      breaks_.end());
  const Chunk chunk = analyse(text, from);
  std::vector<int> runAfter;
  if (breakLongWords) {
    // The restart line's first character was counted by the layout that made it.
    countLongWords(chunk, first == 0 ? 0 : 1, restart.longWordRun, breaks_, runAfter);
  }
  const std::vector<std::size_t> next = nextBreaks(chunk, breakLongWords);
  const std::string laid = spaced(text, breaks_, from, text.size());
  pango_layout_set_text(layout, laid.c_str(), static_cast<int>(laid.size()));
  // The zero-width spaces in `laid`: where they sit there and the byte of the text they precede.
  auto space = std::upper_bound(breaks_.begin(), breaks_.end(), from);
  std::size_t spacesBefore = 0;
  const int top = first == 0 ? 0 : restart.y;
  const int wholeBefore = first == 0 ? 0 : restart.contextualBefore;
  PangoLayoutIter* it = pango_layout_get_iter(layout);
  do {
    PangoLayoutLine* pl = pango_layout_iter_get_line_readonly(it);
    const auto at = static_cast<std::size_t>(pl->start_index);
    while (space != breaks_.end() && *space - from + (spacesBefore * kZeroWidthSpaceBytes) < at) {
      ++space, ++spacesBefore;
    }
    const bool onSpace =
        space != breaks_.end() && *space - from + spacesBefore * kZeroWidthSpaceBytes == at;
    Line l = measure(it, top);
    l.start = from + at - spacesBefore * kZeroWidthSpaceBytes;
    const std::size_t ci = chunk.characterAt(l.start);
    l.nextBreak = ci < chunk.count() ? next[ci] : kNone;
    if (breakLongWords && ci < chunk.count()) {
      auto b = std::upper_bound(breaks_.begin(), breaks_.end(), l.start);
      if (b != breaks_.end()) l.nextBreak = std::min(l.nextBreak, *b);
    }
    l.longWordRun = breakLongWords && ci < chunk.count() ? runAfter[ci] : 0;
    const gunichar c = ci < chunk.count() ? g_utf8_get_char(text.data() + l.start) : 0;
    // A partial layout's first line starts a paragraph of that layout, not of the text.
    l.paragraph = lines_.size() == first && first > 0 ? restart.paragraph : pl->is_paragraph_start;
    l.safe = l.paragraph || (!onSpace && hasOwnScript(c));
    l.contextualBefore = wholeBefore + chunk.wholeTextBefore[ci];
    if (!lines_.empty()) accumulate(lines_.back(), l);
    lines_.push_back(l);
  } while (pango_layout_iter_next_line(it));
  pango_layout_iter_free(it);
  return wholeBefore + chunk.wholeTextBefore.back();
}

std::size_t TextLines::linesWithin(int height) const {
  // Only a line whose top passes the bound less the tallest line can be where Pango stops.
  if (lines_.empty()) return 0;
  const int tallest = lines_.back().tallest;
  auto i = static_cast<std::size_t>(
      std::partition_point(lines_.begin(), lines_.end(),
                           [&](const Line& l) { return l.y <= height - tallest; }) -
      lines_.begin());
  for (i = std::max<std::size_t>(i, 1); i < lines_.size(); ++i) {
    const Line& last = lines_[i - 1];
    if (lines_[i].paragraph && height - lines_[i].y < last.height) return i;
  }
  return lines_.size();
}

void TextLines::draw(PangoLayout* layout, const std::string& text, cairo_t* cr, double x, double y,
                     double top, double bottom, std::size_t count) const {
  if (lines_.empty()) return;
  const double reach = lines_.back().overhang / static_cast<double>(PANGO_SCALE) + kInkSlack;
  const double low = (top - reach) * PANGO_SCALE, high = (bottom + reach) * PANGO_SCALE;
  auto first = static_cast<std::size_t>(
      std::partition_point(lines_.begin(), lines_.end(),
                           [&](const Line& l) { return l.y + l.height <= low; }) -
      lines_.begin());
  const auto end = std::min(
      count,
      static_cast<std::size_t>(std::partition_point(lines_.begin(), lines_.end(),
                                                    [&](const Line& l) { return l.y < high; }) -
                               lines_.begin()));
  if (first >= end) return;
  // Pango places glyphs from Cairo's current point, which Cairo rounds to 1/256 device pixel,
  // halves to even. Started an even number of those below the whole layout's start (a multiple
  // of 8 Pango units, at any whole scale), the point rounds as the whole layout's did, so every
  // glyph lands where that layout puts it, to the bit.
  while (first > 0 && (!lines_[first].safe || lines_[first].y % 8 != 0)) --first;
  // One line more than shows: a layout's last line may lay out unlike the same line inside a
  // paragraph (trailing spaces count at a paragraph's end), and this one is out of sight.
  const std::size_t to = end + 1 < count         ? lines_[end + 1].start
                         : count < lines_.size() ? lines_[count].start
                                                 : text.size();
  const std::string laid = spaced(text, breaks_, lines_[first].start, to);
  pango_layout_set_text(layout, laid.c_str(), static_cast<int>(laid.size()));
  cairo_move_to(cr, x, y + lines_[first].y / static_cast<double>(PANGO_SCALE));
  pango_cairo_show_layout(cr, layout);
}

}  // namespace platform
