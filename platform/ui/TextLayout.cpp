#include "platform/ui/TextLayout.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <glib.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "platform/ui/AttributedString.h"
#include "platform/ui/text/TextLines.h"

namespace platform {
namespace {

// One Pango context per thread, at 72 dpi and without hinting.
PangoContext* sharedContext() {
  thread_local PangoContext* context = [] {
    // Pango loads the font configuration on a thread of its own and hands it over through glib's
    // futex locks, which ThreadSanitizer cannot see, so every later use of it looks like a race.
    // Loaded here first, by the thread that lays text out, there is nothing left to hand over.
    FcInit();
    PangoFontMap* map = pango_cairo_font_map_get_default();
    PangoContext* c = pango_font_map_create_context(map);
    pango_cairo_context_set_resolution(c, 72);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(c, options);
    pango_context_set_round_glyph_positions(c, FALSE);
    cairo_font_options_destroy(options);
    return c;
  }();
  return context;
}

PangoFontDescription* makeDescription(const Font& font) {
  PangoFontDescription* d = pango_font_description_from_string(font.familyName().c_str());
  pango_font_description_set_family(d, font.familyName().c_str());
  // Pango keeps sizes in 1/1024 units of an int; absurd sizes are held to something drawable.
  pango_font_description_set_absolute_size(d,
                                           std::clamp(font.pointSize(), 0.5, 5000.0) * PANGO_SCALE);
  pango_font_description_set_weight(d, font.isBold() ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  return d;
}

// Parsing a description from its family string costs more than laying out a short label, and a
// scrolling list sets the same few fonts on every row: each thread keeps the last few it made.
// Pango copies what it is given, so a kept description is only ever read.
const PangoFontDescription* describe(const Font& font) {
  struct Entry {
    Font font;
    PangoFontDescription* description;
  };
  struct Kept {
    std::vector<Entry> entries;
    std::size_t next = 0;
    ~Kept() {
      for (auto& e : entries) pango_font_description_free(e.description);
    }
  };
  static constexpr std::size_t kKept = 16;
  thread_local Kept kept;
  for (const auto& e : kept.entries) {
    if (e.font == font) return e.description;
  }
  PangoFontDescription* made = makeDescription(font);
  if (kept.entries.size() < kKept) {
    kept.entries.push_back({font, made});
  } else {
    Entry& old = kept.entries[kept.next];
    pango_font_description_free(old.description);
    old = {font, made};
    kept.next = (kept.next + 1) % kKept;
  }
  return made;
}

// Past a million points a bound means nothing on a screen, and would overflow Pango's units.
bool bounded(double v) { return v > 0 && v < 1e6; }

bool truncates(LineBreakMode m) {
  return m == LineBreakMode::ByTruncatingHead || m == LineBreakMode::ByTruncatingTail ||
         m == LineBreakMode::ByTruncatingMiddle;
}

constexpr std::size_t kZeroWidthSpaceBytes = sizeof("\u200B") - 1;

bool continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Where byte `index` of the text lands once the spaces are in.
std::size_t shifted(const std::vector<std::size_t>& breaks, std::size_t index) {
  const auto before = std::upper_bound(breaks.begin(), breaks.end(), index) - breaks.begin();
  return index + static_cast<std::size_t>(before) * kZeroWidthSpaceBytes;
}

}  // namespace

// Fontconfig keeps the patterns Pango asks it for in process-wide caches it never frees; under
// LeakSanitizer those show as leaks of every program that lays out text. Not ours to free (doing
// it at exit races other threads), so every binary that links text layout ignores them.
// NOLINTNEXTLINE(bugprone-reserved-identifier): the name LeakSanitizer looks for.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

double Font::ascender() const {
  PangoFontMetrics* m = pango_context_get_metrics(sharedContext(), describe(*this), nullptr);
  const double v = pango_font_metrics_get_ascent(m) / static_cast<double>(PANGO_SCALE);
  pango_font_metrics_unref(m);
  return v;
}

double Font::descender() const {
  PangoFontMetrics* m = pango_context_get_metrics(sharedContext(), describe(*this), nullptr);
  const double v = -pango_font_metrics_get_descent(m) / static_cast<double>(PANGO_SCALE);
  pango_font_metrics_unref(m);
  return v;
}

double Font::lineHeight() const {
  TextLayout layout;
  layout.setFont(*this);
  layout.setText("Ag");
  return layout.size().height;
}

TextLayout::TextLayout() : layout_(pango_layout_new(sharedContext())) {}

TextLayout::~TextLayout() { g_object_unref(layout_); }

void TextLayout::setAttributedText(const AttributedString& text) {
  if (attributed_ && *attributed_ == text) return;
  setText(text.string());
  if (text_ == text.string()) attributed_ = std::make_unique<AttributedString>(text);
  dirty_ = true;
  settingsChanged_ = true;
}

void TextLayout::setText(const std::string& text) {
  if (attributed_) attributed_.reset(), dirty_ = true, settingsChanged_ = true;
  if (text == text_) return;
  // The bytes both texts share are valid already: only what follows is checked.
  std::size_t same = static_cast<std::size_t>(
      std::mismatch(text.begin(), text.end(), text_.begin(), text_.end()).first - text.begin());
  while (same > 0 && ((same < text.size() && continuation(text[same])) ||
                      (same < text_.size() && continuation(text_[same])))) {
    --same;
  }
  const char* tail = text.data() + same;
  if (g_utf8_validate(tail, static_cast<gssize>(text.size() - same), nullptr)) {
    text_ = text;
  } else {
    gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    text_ = valid;
    g_free(valid);
  }
  changedFrom_ = std::min(changedFrom_, same);
  dirty_ = true;
}

void TextLayout::setFont(const Font& font) {
  if (font == font_) return;
  font_ = font;
  dirty_ = settingsChanged_ = true;
}

void TextLayout::setAlignment(TextAlignment alignment) {
  if (alignment != alignment_) alignment_ = alignment, dirty_ = settingsChanged_ = true;
}

void TextLayout::setLineBreakMode(LineBreakMode mode) {
  if (mode != mode_) mode_ = mode, dirty_ = settingsChanged_ = true;
}

void TextLayout::setNumberOfLines(int lines) {
  lines = std::max(0, lines);
  if (lines != numberOfLines_) numberOfLines_ = lines, dirty_ = settingsChanged_ = true;
}

void TextLayout::setBounds(double width, double height) {
  width = bounded(width) ? width : -1;
  height = bounded(height) ? height : -1;
  if (width != width_) settingsChanged_ = true;
  if (width != width_ || height != height_) width_ = width, height_ = height, dirty_ = true;
}

void TextLayout::setKeepsLines(bool keep) {
  if (keep != keepsLines_) keepsLines_ = keep, dirty_ = settingsChanged_ = true;
}

// Kept lines do not depend on the height: without an ellipsis Pango ignores it.
bool TextLayout::keepingLines() const {
  return keepsLines_ && !attributed_ && numberOfLines_ == 0 && bounded(width_) &&
         (mode_ == LineBreakMode::ByWordWrapping || mode_ == LineBreakMode::ByCharWrapping) &&
         alignment_ != TextAlignment::Justified;
}

void TextLayout::applyKept() {
  if (!lines_ || settingsChanged_) {
    lines_ = std::make_unique<TextLines>();
    changedFrom_ = 0;
    applySettings(true);  // lines_ first: kept lines take no height
  }
  if (changedFrom_ != std::string::npos) {
    lines_->update(layout_, text_, changedFrom_, mode_ == LineBreakMode::ByWordWrapping);
  }
  changedFrom_ = std::string::npos;
  settingsChanged_ = false;
}

void TextLayout::apply() {
  if (!dirty_) return;
  dirty_ = false;
  if (keepingLines()) {
    applyKept();
    return;
  }
  lines_.reset();
  const bool single = numberOfLines_ == 1;
  const bool ellipsize = truncates(mode_);
  // A single line that clips rather than truncates is laid out unbounded and clipped later.
  const bool wrapWidth = bounded(width_) && !(single && !ellipsize);
  breaks_.clear();
  if (wrapWidth && !single && mode_ != LineBreakMode::ByCharWrapping) {
    breaks_ = TextLines::longWordBreaks(text_);
  }
  const std::string spaced = TextLines::spaced(text_, breaks_, 0, text_.size());
  pango_layout_set_text(layout_, spaced.c_str(), static_cast<int>(spaced.size()));
  applySettings(wrapWidth);
}

void TextLayout::applySettings(bool wrapWidth) {
  const bool ellipsize = truncates(mode_);
  pango_layout_set_font_description(layout_, describe(font_));
  applyRuns();
  pango_layout_set_width(layout_, wrapWidth ? static_cast<int>(width_ * PANGO_SCALE) : -1);
  pango_layout_set_wrap(
      layout_, mode_ == LineBreakMode::ByCharWrapping ? PANGO_WRAP_CHAR : PANGO_WRAP_WORD_CHAR);
  PangoEllipsizeMode e = PANGO_ELLIPSIZE_NONE;
  if (ellipsize && wrapWidth) {
    e = mode_ == LineBreakMode::ByTruncatingHead     ? PANGO_ELLIPSIZE_START
        : mode_ == LineBreakMode::ByTruncatingMiddle ? PANGO_ELLIPSIZE_MIDDLE
                                                     : PANGO_ELLIPSIZE_END;
  }
  pango_layout_set_ellipsize(layout_, e);
  if (numberOfLines_ > 0) {
    pango_layout_set_height(layout_, -numberOfLines_);
  } else {
    // Not -1: with an ellipsis that would mean one line per paragraph. Kept lines take no
    // height: Pango would leave out paragraphs past it.
    pango_layout_set_height(
        layout_, bounded(height_) && !lines_ ? static_cast<int>(height_ * PANGO_SCALE) : G_MAXINT);
  }
  PangoAlignment a = PANGO_ALIGN_LEFT;
  if (alignment_ == TextAlignment::Center) a = PANGO_ALIGN_CENTER;
  if (alignment_ == TextAlignment::Right) a = PANGO_ALIGN_RIGHT;
  pango_layout_set_alignment(layout_, a);
  pango_layout_set_justify(layout_, alignment_ == TextAlignment::Justified);
}

void TextLayout::applyRuns() {
  if (!attributed_) {
    pango_layout_set_attributes(layout_, nullptr);
    return;
  }
  PangoAttrList* list = pango_attr_list_new();
  auto channel = [](double v) { return static_cast<guint16>(std::clamp(v, 0.0, 1.0) * 65535); };
  for (const AttributedString::Run& run : attributed_->runs()) {
    const auto start = static_cast<guint>(shifted(breaks_, run.location));
    const auto end = static_cast<guint>(shifted(breaks_, run.location + run.length));
    auto add = [&](PangoAttribute* attribute) {
      attribute->start_index = start;
      attribute->end_index = end;
      pango_attr_list_insert(list, attribute);
    };
    if (run.attributes.font) {
      add(pango_attr_font_desc_new(describe(*run.attributes.font)));
    }
    if (const auto& c = run.attributes.foregroundColor) {
      add(pango_attr_foreground_new(channel(c->r), channel(c->g), channel(c->b)));
      add(pango_attr_foreground_alpha_new(std::max<guint16>(1, channel(c->a))));
    }
  }
  pango_layout_set_attributes(layout_, list);
  pango_attr_list_unref(list);
}

// Lines past numberOfLines, or past the height bound, are not shown (a paragraph break can
// give Pango more lines than the limit it applies per paragraph).
int TextLayout::visibleLines() {
  apply();
  if (lines_) {
    const auto& lines = lines_->lines();
    auto count = static_cast<int>(keptCount());
    if (bounded(height_) && count > 1) {
      const auto fit =
          std::partition_point(lines.begin(), lines.begin() + count, [&](const auto& l) {
            return (l.y + l.height) / static_cast<double>(PANGO_SCALE) <= height_ + 0.5;
          });
      count = std::max(1, static_cast<int>(fit - lines.begin()));
    }
    return count;
  }
  int count = pango_layout_get_line_count(layout_);
  if (numberOfLines_ > 0) count = std::min(count, numberOfLines_);
  if (bounded(height_) && count > 1) {
    PangoLayoutIter* it = pango_layout_get_iter(layout_);
    int shown = 0;
    do {
      PangoRectangle logical;
      pango_layout_iter_get_line_extents(it, nullptr, &logical);
      const double bottom = (logical.y + logical.height) / static_cast<double>(PANGO_SCALE);
      if (shown > 0 && bottom > height_ + 0.5) break;
      ++shown;
    } while (shown < count && pango_layout_iter_next_line(it));
    pango_layout_iter_free(it);
    count = shown;
  }
  return count;
}

Size TextLayout::size() {
  const int lines = visibleLines();
  if (text_.empty() || lines == 0) return {0, 0};
  double w = 0, bottom = 0;
  if (lines_) {
    const auto& last = lines_->lines()[static_cast<std::size_t>(lines) - 1];
    w = last.widest / static_cast<double>(PANGO_SCALE);
    bottom = (last.y + last.height) / static_cast<double>(PANGO_SCALE);
  } else {
    PangoLayoutIter* it = pango_layout_get_iter(layout_);
    int i = 0;
    do {
      PangoRectangle logical;
      pango_layout_iter_get_line_extents(it, nullptr, &logical);
      w = std::max(w, logical.width / static_cast<double>(PANGO_SCALE));
      bottom = (logical.y + logical.height) / static_cast<double>(PANGO_SCALE);
    } while (++i < lines && pango_layout_iter_next_line(it));
    pango_layout_iter_free(it);
  }
  if (bounded(width_)) w = std::min(w, width_);
  return {w, bottom};
}

int TextLayout::lineCount() { return text_.empty() ? 0 : visibleLines(); }

bool TextLayout::isTruncated() {
  apply();
  if (lines_) return visibleLines() < static_cast<int>(keptCount());
  if (pango_layout_is_ellipsized(layout_)) return true;
  return visibleLines() < pango_layout_get_line_count(layout_);
}

int TextLayout::unknownGlyphCount() {
  apply();
  if (lines_) return lines_->lines()[keptCount() - 1].unknownGlyphs;
  return pango_layout_get_unknown_glyphs_count(layout_);
}

Rect TextLayout::clipRect(const Point& origin, double* textX) {
  const Size shown = size();
  double x = origin.x;
  if (!lines_ && pango_layout_get_width(layout_) < 0 && bounded(width_)) {
    // Laid out unbounded: align the single line within the width ourselves, then clip.
    PangoRectangle logical;
    pango_layout_get_extents(layout_, nullptr, &logical);
    const double natural = logical.width / static_cast<double>(PANGO_SCALE);
    if (natural < width_) {
      if (alignment_ == TextAlignment::Center) x += (width_ - natural) / 2;
      if (alignment_ == TextAlignment::Right) x += width_ - natural;
    }
  }
  *textX = x;
  return makeRect(origin.x, origin.y, bounded(width_) ? width_ : shown.width + x - origin.x,
                  shown.height);
}

void TextLayout::draw(cairo_t* cr, const Point& origin, const Color& color) {
  if (text_.empty()) return;
  double x = 0;
  const Rect clip = clipRect(origin, &x);
  cairo_save(cr);
  cairo_rectangle(cr, clip.origin.x, clip.origin.y, clip.size.width, clip.size.height);
  cairo_clip(cr);
  cairo_set_source_rgba(cr, color.r, color.g, color.b, color.a);
  if (lines_) {
    double x0 = 0, top = 0, x1 = 0, bottom = 0;
    cairo_clip_extents(cr, &x0, &top, &x1, &bottom);
    lines_->draw(layout_, text_, cr, x, origin.y, top - origin.y, bottom - origin.y, keptCount());
  } else {
    cairo_move_to(cr, x, origin.y);
    pango_cairo_show_layout(cr, layout_);
  }
  cairo_restore(cr);
}

// The lines a whole layout has: a height bound may leave out paragraphs.
std::size_t TextLayout::keptCount() const {
  if (!bounded(height_)) return lines_->lines().size();
  return lines_->linesWithin(static_cast<int>(height_ * PANGO_SCALE));
}

// The whole layout's ink, as Pango makes it from its lines.
Rect TextLayout::inkOfLines(const Point& origin) const {
  PangoRectangle ink{};
  bool any = false;
  const auto& lines = lines_->lines();
  const std::size_t count = keptCount();
  for (std::size_t i = 0; i < count; ++i) {
    const auto& l = lines[i];
    const PangoRectangle r{l.inkX, l.y + l.inkY, l.inkWidth, l.inkHeight};
    if (!any) {
      ink = r, any = true;
      continue;
    }
    const int x0 = std::min(ink.x, r.x), y0 = std::min(ink.y, r.y);
    ink.width = std::max(ink.x + ink.width, r.x + r.width) - x0;
    ink.height = std::max(ink.y + ink.height, r.y + r.height) - y0;
    ink.x = x0, ink.y = y0;
  }
  return makeRect(origin.x + ink.x / static_cast<double>(PANGO_SCALE),
                  origin.y + ink.y / static_cast<double>(PANGO_SCALE),
                  ink.width / static_cast<double>(PANGO_SCALE),
                  ink.height / static_cast<double>(PANGO_SCALE));
}

Rect TextLayout::inkRect(const Point& origin) {
  if (text_.empty()) return kRectZero;
  double x = 0;
  const Rect clip = clipRect(origin, &x);
  Rect glyphs;
  if (lines_) {
    glyphs = inkOfLines({x, origin.y});
  } else {
    PangoRectangle ink;
    pango_layout_get_extents(layout_, &ink, nullptr);
    glyphs = makeRect(x + ink.x / static_cast<double>(PANGO_SCALE),
                      origin.y + ink.y / static_cast<double>(PANGO_SCALE),
                      ink.width / static_cast<double>(PANGO_SCALE),
                      ink.height / static_cast<double>(PANGO_SCALE));
  }
  const Rect drawn = intersection(clip, glyphs);
  return isNull(drawn) ? kRectZero : drawn;
}

Size TextLayout::measure(const std::string& text, const Font& font, const Size& constraint,
                         LineBreakMode mode, int numberOfLines) {
  TextLayout layout;
  layout.setText(text);
  layout.setFont(font);
  layout.setLineBreakMode(mode);
  layout.setNumberOfLines(numberOfLines);
  layout.setBounds(constraint.width, constraint.height);
  return layout.size();
}

}  // namespace platform
