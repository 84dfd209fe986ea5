#include "platform/ui/text/TextEditing.h"

#include <glib.h>
#include <pango/pango.h>

#include <vector>

#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"

namespace platform {

void TextEditing::storeText(std::string text) {
  if (text.size() > kMaxTextInputLength) {
    log(LogLevel::Warning, names_.editor,
        "text cut to " + std::to_string(kMaxTextInputLength) + " bytes");
    text = truncatedText(std::move(text), kMaxTextInputLength);
  }
  text_ = std::move(text);
}

std::optional<TextRange> TextEditing::deletion() const {
  if (!editing_ || text_.empty()) return std::nullopt;
  const std::size_t end = text_.size();
  // Back over UTF-8 continuation bytes to where the last code point starts.
  std::size_t start = end;
  while (start > 0 && (static_cast<unsigned char>(text_[--start]) & 0xC0) == 0x80) {
  }
  // What a person sees as one character may be several code points (a skin tone, a flag, a
  // family joined by zero-width joiners, a combining accent): it goes whole. Only the tail is
  // looked at, so a long text costs no more than a short one.
  std::size_t from = end > kClusterWindow ? end - kClusterWindow : 0;
  while (from < start && (static_cast<unsigned char>(text_[from]) & 0xC0) == 0x80) ++from;
  const char* tail = text_.data() + from;
  const auto length = static_cast<gssize>(end - from);
  if (from < start && g_utf8_validate(tail, length, nullptr)) {
    const glong chars = g_utf8_strlen(tail, length);
    std::vector<PangoLogAttr> attrs(static_cast<std::size_t>(chars) + 1);
    pango_get_log_attrs(tail, static_cast<int>(length), -1, pango_language_get_default(),
                        attrs.data(), static_cast<int>(attrs.size()));
    const char* at = tail;
    for (glong i = 0; i < chars; ++i, at = g_utf8_next_char(at)) {
      if (attrs[static_cast<std::size_t>(i)].is_cursor_position) {
        start = from + static_cast<std::size_t>(at - tail);
      }
    }
  }
  return TextRange{start, end - start};
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
