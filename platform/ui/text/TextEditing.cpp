#include "platform/ui/text/TextEditing.h"

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
  // Back over UTF-8 continuation bytes to where the last character starts.
  std::size_t start = text_.size();
  while (start > 0 && (static_cast<unsigned char>(text_[--start]) & 0xC0) == 0x80) {
  }
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
