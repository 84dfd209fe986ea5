#include "platform/foundation/StringsTable.h"

#include <cstdint>
#include <optional>

namespace platform {
namespace {

void appendUTF8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool isSurrogate(std::uint32_t u) { return u >= 0xD800 && u <= 0xDFFF; }

// UTF-16 (order given by the mark) to UTF-8; nullopt for an odd length or a lone surrogate.
std::optional<std::string> fromUTF16(std::string_view bytes, bool bigEndian) {
  if (bytes.size() % 2 != 0) return std::nullopt;
  auto unit = [&](std::size_t i) -> std::uint32_t {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? (a << 8 | b) : (b << 8 | a);
  };
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    std::uint32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
      const std::uint32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    if (isSurrogate(u)) return std::nullopt;
    appendUTF8(out, u);
  }
  return out;
}

bool validUTF8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t n = 0;
    std::uint32_t cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      n = 1, cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      n = 2, cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      n = 3, cp = c & 0x07;
    } else {
      return false;
    }
    if (i + n >= s.size()) return false;
    for (std::size_t k = 1; k <= n; ++k) {
      const auto d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = cp << 6 | (d & 0x3F);
    }
    const std::uint32_t minimum = n == 1 ? 0x80 : n == 2 ? 0x800 : 0x10000;
    if (cp < minimum || cp > 0x10FFFF || isSurrogate(cp)) return false;
    i += n + 1;
  }
  return true;
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  Result<std::map<std::string, std::string>> run() {
    std::map<std::string, std::string> table;
    while (true) {
      if (!skipSpace()) return fail("unterminated comment");
      if (at_ >= text_.size()) break;
      auto key = token();
      if (!key) return fail(error_);
      if (!skipSpace()) return fail("unterminated comment");
      std::string value = *key;
      if (peek() == '=') {
        ++at_;
        if (!skipSpace()) return fail("unterminated comment");
        auto v = token();
        if (!v) return fail(error_);
        value = std::move(*v);
        if (!skipSpace()) return fail("unterminated comment");
      }
      if (peek() != ';') return fail("expected ';'");
      ++at_;
      table[*key] = std::move(value);
    }
    return Result<std::map<std::string, std::string>>::success(std::move(table));
  }

 private:
  char peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }

  Result<std::map<std::string, std::string>> fail(const std::string& what) const {
    int line = 1;
    for (std::size_t i = 0; i < at_ && i < text_.size(); ++i) line += text_[i] == '\n';
    return Result<std::map<std::string, std::string>>::failure(
        Error::make(kStringsErrorDomain, line, "line " + std::to_string(line) + ": " + what));
  }

  // Skips blanks and comments; false inside a comment that never ends.
  bool skipSpace() {
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
        ++at_;
      } else if (text_.substr(at_, 2) == "//") {
        const auto end = text_.find('\n', at_);
        at_ = end == std::string_view::npos ? text_.size() : end + 1;
      } else if (text_.substr(at_, 2) == "/*") {
        const auto end = text_.find("*/", at_ + 2);
        if (end == std::string_view::npos) return false;
        at_ = end + 2;
      } else {
        break;
      }
    }
    return true;
  }

  static bool isWordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '.' || c == '/' || c == '-' || c == ':' || c == '$';
  }

  std::optional<std::string> token() {
    if (peek() == '"') return quoted();
    const std::size_t start = at_;
    while (at_ < text_.size() && isWordChar(text_[at_])) ++at_;
    if (at_ == start) {
      error_ = at_ >= text_.size() ? "unexpected end of text" : "unexpected character";
      return std::nullopt;
    }
    return std::string(text_.substr(start, at_ - start));
  }

  std::optional<std::uint32_t> hex(std::size_t digits) {
    if (at_ + digits > text_.size()) return std::nullopt;
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < digits; ++i) {
      const char c = text_[at_ + i];
      v <<= 4;
      if (c >= '0' && c <= '9')
        v |= c - '0';
      else if (c >= 'a' && c <= 'f')
        v |= c - 'a' + 10;
      else if (c >= 'A' && c <= 'F')
        v |= c - 'A' + 10;
      else
        return std::nullopt;
    }
    at_ += digits;
    return v;
  }

  // After "\u": one escape, joined with a following "\uDCxx" when it is a high surrogate.
  bool unicodeEscape(std::string& out) {
    auto unit = hex(4);
    if (!unit) return error("bad \\u escape");
    std::uint32_t cp = *unit;
    if (cp >= 0xD800 && cp <= 0xDBFF && text_.substr(at_, 2) == "\\u") {
      const std::size_t back = at_;
      at_ += 2;
      auto low = hex(4);
      if (low && *low >= 0xDC00 && *low <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (*low - 0xDC00);
      } else {
        at_ = back;
      }
    }
    if (isSurrogate(cp)) return error("lone surrogate in \\u escape");
    appendUTF8(out, cp);
    return true;
  }

  bool escape(std::string& out) {
    const char c = peek();
    ++at_;
    switch (c) {
      case 'n':
        out += '\n';
        return true;
      case 't':
        out += '\t';
        return true;
      case 'r':
        out += '\r';
        return true;
      case '0':
        out += '\0';
        return true;
      case 'a':
        out += '\a';
        return true;
      case 'b':
        out += '\b';
        return true;
      case 'f':
        out += '\f';
        return true;
      case 'v':
        out += '\v';
        return true;
      case '"':
      case '\\':
      case '\'':
      case '\n':
        out += c;
        return true;
      case 'u':
      case 'U':
        return unicodeEscape(out);
      default:
        --at_;
        return error("unknown escape");
    }
  }

  bool error(const char* what) {
    error_ = what;
    return false;
  }

  std::optional<std::string> quoted() {
    ++at_;  // the opening quote
    std::string out;
    while (true) {
      if (at_ >= text_.size()) {
        error_ = "unterminated string";
        return std::nullopt;
      }
      const char c = text_[at_++];
      if (c == '"') return out;
      if (c != '\\') {
        out += c;
      } else if (!escape(out)) {
        return std::nullopt;
      }
    }
  }

  std::string_view text_;
  std::size_t at_ = 0;
  std::string error_;
};

}  // namespace

Result<std::map<std::string, std::string>> StringsTable::parse(std::string_view bytes) {
  using TableResult = Result<std::map<std::string, std::string>>;
  if (bytes.size() > kMaxBytes) {
    return TableResult::failure(Error::make(kStringsErrorDomain, 0, "strings table too large"));
  }
  std::string converted;
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
    auto utf8 = fromUTF16(bytes.substr(2), bytes[0] == '\xFE');
    if (!utf8) return TableResult::failure(Error::make(kStringsErrorDomain, 0, "bad UTF-16"));
    converted = std::move(*utf8);
    bytes = converted;
  } else if (bytes.starts_with("\xEF\xBB\xBF")) {
    bytes.remove_prefix(3);
  }
  if (!validUTF8(bytes)) {
    return TableResult::failure(Error::make(kStringsErrorDomain, 0, "not UTF-8"));
  }
  return Parser(bytes).run();
}

}  // namespace platform
