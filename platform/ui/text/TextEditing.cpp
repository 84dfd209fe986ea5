#include "platform/ui/text/TextEditing.h"

#include <glib.h>
#include <pango/pango.h>

#include <algorithm>
#include <vector>

#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"

namespace platform {
namespace {

bool continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Where the character holding byte `at` starts. What a person sees as one character may be
// several code points (a skin tone, a flag, a family joined by zero-width joiners, a combining
// accent); it is taken whole. Only `window` bytes around `at` are looked at, so a long text costs
// no more than a short one; text that is not UTF-8 goes by code points.
std::size_t characterStart(const std::string& text, std::size_t at, std::size_t window) {
  std::size_t start = at;
  while (start > 0 && continuation(text[start])) --start;
  std::size_t from = start > window ? start - window : 0;
  while (from < start && continuation(text[from])) ++from;
  std::size_t to = std::min(text.size(), start + window);
  while (to < text.size() && continuation(text[to])) ++to;
  const char* part = text.data() + from;
  const auto length = static_cast<gssize>(to - from);
  if (from == start || !g_utf8_validate(part, length, nullptr)) return start;
  const glong chars = g_utf8_strlen(part, length);
  std::vector<PangoLogAttr> attrs(static_cast<std::size_t>(chars) + 1);
  pango_get_log_attrs(part, static_cast<int>(length), -1, pango_language_get_default(),
                      attrs.data(), static_cast<int>(attrs.size()));
  std::size_t found = from;
  const char* p = part;
  for (glong i = 0; i < chars && p <= text.data() + start; ++i, p = g_utf8_next_char(p)) {
    if (attrs[static_cast<std::size_t>(i)].is_cursor_position) {
      found = from + static_cast<std::size_t>(p - part);
    }
  }
  return found;
}

}  // namespace

void TextEditing::storeText(std::string text) {
  if (text.size() > kMaxTextInputLength) {
    log(LogLevel::Warning, names_.editor,
        "text cut to " + std::to_string(kMaxTextInputLength) + " bytes");
    // Cut before the character the limit falls in, not inside it.
    text.resize(characterStart(text, kMaxTextInputLength, kClusterWindow));
  }
  text_ = std::move(text);
}

std::optional<TextRange> TextEditing::deletion() const {
  if (!editing_ || text_.empty()) return std::nullopt;
  const std::size_t start = characterStart(text_, text_.size() - 1, kClusterWindow);
  return TextRange{start, text_.size() - start};
}

bool TextEditing::fits(TextRange range, const std::string& replacement) const {
  if (text_.size() - range.length + replacement.size() <= kMaxTextInputLength) return true;
  log(LogLevel::Warning, names_.editor,
      "change refused: the text would pass " + std::to_string(kMaxTextInputLength) + " bytes");
  return false;
}

void TextEditing::post(const char* name, const std::shared_ptr<void>& editor) {
  NotificationCenter::defaultCenter().post(name, editor);
}

}  // namespace platform
