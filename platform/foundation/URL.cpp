#include "platform/foundation/URL.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/foundation/Path.h"

namespace platform {
namespace {

// Which components may carry a byte unescaped ('%' is checked separately as an escape).
enum : std::uint8_t {
  kUserInfo = 1 << 0,
  kRegName = 1 << 1,
  kPath = 1 << 2,
  kQuery = 1 << 3,  // query and fragment
  kPercent = 1 << 4,
  kZone = 1 << 5,  // IPv6 zone id: unreserved only
};

constexpr std::array<std::uint8_t, 256> makeCharTable() {
  std::array<std::uint8_t, 256> table{};
  constexpr std::uint8_t kAll = kUserInfo | kRegName | kPath | kQuery;
  for (int c = 'a'; c <= 'z'; ++c) table[c] = kAll | kZone;
  for (int c = 'A'; c <= 'Z'; ++c) table[c] = kAll | kZone;
  for (int c = '0'; c <= '9'; ++c) table[c] = kAll | kZone;
  for (char c : std::string_view("-._~")) table[static_cast<unsigned char>(c)] = kAll | kZone;
  for (char c : std::string_view("!$&'()*+,;=")) table[static_cast<unsigned char>(c)] = kAll;
  table[':'] = kUserInfo | kPath | kQuery;
  table['@'] = kPath | kQuery;
  table['/'] = kPath | kQuery;
  table['?'] = kQuery;
  table['%'] = kPercent;
  return table;
}

constexpr std::array<std::uint8_t, 256> kChars = makeCharTable();

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool isHex(char c) { return hexValue(c) >= 0; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Every byte allowed in `component`, every '%' followed by two hex digits.
bool isValidComponent(std::string_view text, std::uint8_t component) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::uint8_t bits = kChars[static_cast<unsigned char>(text[i])];
    if (bits & component) continue;
    if (!(bits & kPercent)) return false;
    if (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2])) return false;
    i += 2;
  }
  return true;
}

bool isScheme(std::string_view text) {
  if (text.empty() || !isAlpha(text[0])) return false;
  for (char c : text) {
    if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-' && c != '.') return false;
  }
  return true;
}

bool isIPv4(std::string_view text) {
  int octets = 0;
  std::size_t i = 0;
  while (true) {
    std::size_t start = i;
    int value = 0;
    while (i < text.size() && isDigit(text[i]) && i - start < 3)
      value = value * 10 + (text[i++] - '0');
    const std::size_t digits = i - start;
    if (digits == 0 || value > 255 || (digits > 1 && text[start] == '0')) return false;
    ++octets;
    if (i == text.size()) return octets == 4;
    if (text[i] != '.' || octets == 4) return false;
    ++i;
  }
}

bool isIPv6Address(std::string_view text) {
  int groups = 0;
  bool compressed = false;
  std::size_t i = 0;
  if (text.substr(0, 2) == "::") {
    compressed = true;
    i = 2;
    if (i == text.size()) return true;
  }
  while (true) {
    std::size_t end = text.find(':', i);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view group = text.substr(i, end - i);
    if (group.find('.') != std::string_view::npos) {
      // A trailing IPv4 address stands for the last two groups.
      if (end != text.size() || !isIPv4(group)) return false;
      groups += 2;
      break;
    }
    if (group.empty() || group.size() > 4) return false;
    for (char c : group) {
      if (!isHex(c)) return false;
    }
    ++groups;
    if (end == text.size()) break;
    if (end + 1 < text.size() && text[end + 1] == ':') {
      if (compressed) return false;
      compressed = true;
      i = end + 2;
      if (i == text.size()) break;
    } else {
      i = end + 1;
      if (i == text.size()) return false;
    }
    if (groups > 8) return false;
  }
  return compressed ? groups <= 7 : groups == 8;
}

bool isIPLiteral(std::string_view text) {
  if (!text.empty() && (text[0] == 'v' || text[0] == 'V')) {
    // IPvFuture: "v" 1*HEXDIG "." 1*( unreserved / sub-delims / ":" )
    const std::size_t dot = text.find('.');
    if (dot == std::string_view::npos || dot < 2 || dot + 1 == text.size()) return false;
    for (std::size_t i = 1; i < dot; ++i) {
      if (!isHex(text[i])) return false;
    }
    const std::string_view tail = text.substr(dot + 1);
    return tail.find('%') == std::string_view::npos && isValidComponent(tail, kUserInfo);
  }
  // RFC 6874 zone identifier: "%25" followed by unreserved characters or escapes.
  const std::size_t zone = text.find("%25");
  if (zone == std::string_view::npos) return isIPv6Address(text);
  const std::string_view id = text.substr(zone + 3);
  return isIPv6Address(text.substr(0, zone)) && !id.empty() && isValidComponent(id, kZone);
}

std::optional<int> parsePort(std::string_view digits, bool* valid) {
  *valid = true;
  if (digits.empty()) return std::nullopt;
  long value = 0;
  for (char c : digits) {
    if (!isDigit(c)) {
      *valid = false;
      return std::nullopt;
    }
    value = value * 10 + (c - '0');
    if (value > 65535) {
      *valid = false;
      return std::nullopt;
    }
  }
  return static_cast<int>(value);
}

}  // namespace

std::optional<URL> URL::parse(std::string_view text) {
  if (text.empty()) return std::nullopt;
  Parts url;
  std::string_view rest = text;
  const std::size_t colon = rest.find(':');
  const std::size_t delimiter = rest.find_first_of("/?#");
  if (colon != std::string_view::npos &&
      (delimiter == std::string_view::npos || colon < delimiter)) {
    // A first segment with ':' is a scheme or nothing at all.
    if (!isScheme(rest.substr(0, colon))) return std::nullopt;
    url.scheme = rest.substr(0, colon);
    rest.remove_prefix(colon + 1);
  }
  if (const std::size_t hash = rest.find('#'); hash != std::string_view::npos) {
    const std::string_view fragment = rest.substr(hash + 1);
    if (!isValidComponent(fragment, kQuery)) return std::nullopt;
    url.fragment = fragment;
    rest = rest.substr(0, hash);
  }
  if (const std::size_t question = rest.find('?'); question != std::string_view::npos) {
    const std::string_view query = rest.substr(question + 1);
    if (!isValidComponent(query, kQuery)) return std::nullopt;
    url.query = query;
    rest = rest.substr(0, question);
  }
  if (rest.substr(0, 2) == "//") {
    const std::size_t slash = rest.find('/', 2);
    const std::string_view authority =
        rest.substr(2, slash == std::string_view::npos ? std::string_view::npos : slash - 2);
    if (!parseAuthority(authority, url)) return std::nullopt;
    rest.remove_prefix(2 + authority.size());
  }
  if (!isValidComponent(rest, kPath)) return std::nullopt;
  url.path = rest;
  url.text = text;
  return URL(std::make_shared<const Parts>(std::move(url)));
}

bool URL::parseAuthority(std::string_view authority, Parts& parts) {
  parts.hasAuthority = true;
  if (const std::size_t at = authority.find('@'); at != std::string_view::npos) {
    const std::string_view user = authority.substr(0, at);
    if (!isValidComponent(user, kUserInfo)) return false;
    parts.user = user;
    authority.remove_prefix(at + 1);
  }
  std::string_view portText;
  bool hasPort = false;
  if (!authority.empty() && authority[0] == '[') {
    const std::size_t close = authority.find(']');
    if (close == std::string_view::npos || !isIPLiteral(authority.substr(1, close - 1))) {
      return false;
    }
    parts.host = authority.substr(1, close - 1);
    const std::string_view after = authority.substr(close + 1);
    if (!after.empty()) {
      if (after[0] != ':') return false;
      portText = after.substr(1);
      hasPort = true;
    }
  } else {
    const std::size_t colon = authority.find(':');
    const std::string_view host = authority.substr(0, colon);
    if (!isValidComponent(host, kRegName)) return false;
    parts.host = host;
    if (colon != std::string_view::npos) {
      portText = authority.substr(colon + 1);
      hasPort = true;
    }
  }
  if (!hasPort) return true;
  bool valid = false;
  parts.port = parsePort(portText, &valid);
  return valid;
}

URL URL::fileURL(std::string_view absolutePath) {
  std::string path(absolutePath);
  if (path.empty() || path[0] != '/') {
    std::error_code error;
    const std::string cwd = std::filesystem::current_path(error).string();
    path = appendingPathComponent(error ? std::string("/") : cwd, path);
  }
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text = "file://";
  text.reserve(text.size() + path.size());
  for (char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (kChars[byte] & kPath) {
      text += c;
    } else {
      text += '%';
      text += kHex[byte >> 4];
      text += kHex[byte & 0xF];
    }
  }
  // Always valid: every byte is either allowed in a path or escaped.
  return *parse(text);
}

std::optional<std::string> URL::percentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2])) return std::nullopt;
    out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
    i += 2;
  }
  return out;
}

std::string URL::user() const { return percentDecode(parts_->user).value_or(parts_->user); }
std::string URL::host() const { return percentDecode(parts_->host).value_or(parts_->host); }
std::string URL::path() const { return percentDecode(parts_->path).value_or(parts_->path); }

std::string URL::lastPathComponent() const { return platform::lastPathComponent(path()); }
std::string URL::pathExtension() const { return platform::pathExtension(path()); }

bool URL::isFileURL() const {
  const std::string& scheme = parts_->scheme;
  if (scheme.size() != 4) return false;
  for (std::size_t i = 0; i < 4; ++i) {
    if ((scheme[i] | 0x20) != "file"[i]) return false;
  }
  return true;
}

}  // namespace platform
