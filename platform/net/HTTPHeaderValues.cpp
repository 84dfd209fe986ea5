#include "platform/net/HTTPHeaderValues.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "platform/net/HTTPHeaderFields.h"

namespace platform {
namespace {

constexpr long long kDeltaSecondsCap = 2147483648LL;  // RFC 9111 §1.2.2

bool isSpace(char c) { return c == ' ' || c == '\t'; }

bool isTokenChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u <= 32 || u >= 127) return false;
  static constexpr std::string_view kSeparators = "()<>@,;:\\\"/[]?={}";
  return kSeparators.find(c) == std::string_view::npos;
}

std::string lowercase(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// A cursor over a field value with the small lexer HTTP's list syntax needs.
class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) {}
  bool atEnd() const { return pos_ >= text_.size(); }
  char peek() const { return atEnd() ? '\0' : text_[pos_]; }
  void skipSpace() {
    while (!atEnd() && isSpace(text_[pos_])) ++pos_;
  }
  bool consume(char c) {
    if (peek() != c) return false;
    ++pos_;
    return true;
  }
  std::string_view token() {
    const std::size_t start = pos_;
    while (!atEnd() && isTokenChar(text_[pos_])) ++pos_;
    return text_.substr(start, pos_ - start);
  }
  // After the opening quote has been seen: text up to the closing quote, escapes resolved. An
  // unterminated string takes the rest of the value.
  std::string quoted() {
    std::string out;
    while (!atEnd()) {
      const char c = text_[pos_++];
      if (c == '"') return out;
      if (c == '\\' && !atEnd()) {
        out.push_back(text_[pos_++]);
      } else {
        out.push_back(c);
      }
    }
    return out;
  }
  // A parameter value: quoted-string or a run of token characters (token68 '=' padding too).
  std::string value() {
    if (consume('"')) return quoted();
    const std::size_t start = pos_;
    while (!atEnd() && (isTokenChar(text_[pos_]) || text_[pos_] == '=' || text_[pos_] == '/')) {
      ++pos_;
    }
    return std::string(text_.substr(start, pos_ - start));
  }
  // Skips to just past the next comma that is outside a quoted string.
  void skipElement() {
    while (!atEnd()) {
      const char c = text_[pos_++];
      if (c == ',') return;
      if (c == '"') quoted();
    }
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

std::optional<long long> parseDeltaSeconds(std::string_view text) {
  if (text.empty()) return std::nullopt;
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > kDeltaSecondsCap) value = kDeltaSecondsCap;
  }
  return value;
}

void applyCacheDirective(CacheControl& cc, const std::string& name,
                         const std::optional<std::string>& argument) {
  auto seconds = [&]() -> long long {
    auto parsed = argument ? parseDeltaSeconds(*argument) : std::nullopt;
    return parsed.value_or(0);
  };
  if (name == "no-store") {
    cc.noStore = true;
  } else if (name == "no-cache") {
    cc.noCache = true;
  } else if (name == "must-revalidate" || name == "proxy-revalidate") {
    cc.mustRevalidate = cc.mustRevalidate || name == "must-revalidate";
  } else if (name == "private") {
    cc.isPrivate = true;
  } else if (name == "public") {
    cc.isPublic = true;
  } else if (name == "immutable") {
    cc.immutable = true;
  } else if (name == "must-understand") {
    cc.mustUnderstand = true;
  } else if (name == "only-if-cached") {
    cc.onlyIfCached = true;
  } else if (name == "max-age") {
    if (!cc.maxAge) cc.maxAge = seconds();
  } else if (name == "s-maxage") {
    if (!cc.sMaxAge) cc.sMaxAge = seconds();
  } else if (name == "max-stale") {
    if (!cc.maxStale) cc.maxStale = argument ? seconds() : kDeltaSecondsCap;
  } else if (name == "min-fresh") {
    if (!cc.minFresh) cc.minFresh = seconds();
  } else if (name == "stale-while-revalidate") {
    if (!cc.staleWhileRevalidate) cc.staleWhileRevalidate = seconds();
  } else if (name == "stale-if-error") {
    if (!cc.staleIfError) cc.staleIfError = seconds();
  }
}

}  // namespace

CacheControl parseCacheControl(std::string_view value) {
  CacheControl cc;
  Lexer lex(value);
  while (!lex.atEnd()) {
    lex.skipSpace();
    const std::string name = lowercase(lex.token());
    lex.skipSpace();
    std::optional<std::string> argument;
    if (lex.consume('=')) {
      lex.skipSpace();
      argument = lex.value();
    }
    if (!name.empty()) applyCacheDirective(cc, name, argument);
    lex.skipElement();
  }
  return cc;
}

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
long long daysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

constexpr std::array<std::string_view, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                      "jul", "aug", "sep", "oct", "nov", "dec"};
constexpr std::array<std::string_view, 7> kWeekdays = {"Thu", "Fri", "Sat", "Sun",
                                                       "Mon", "Tue", "Wed"};

bool isLeap(long long y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned daysInMonth(long long y, unsigned m) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

struct DateParts {
  long long year = -1;
  int month = -1, day = -1, hour = -1, minute = -1, second = -1;
  bool shortYear = false;
};

bool parseClock(std::string_view t, DateParts& parts) {
  int h = 0, m = 0, s = 0;
  if (t.size() != 8 || t[2] != ':' || t[5] != ':') return false;
  for (std::size_t i : {0u, 1u, 3u, 4u, 6u, 7u}) {
    if (t[i] < '0' || t[i] > '9') return false;
  }
  h = (t[0] - '0') * 10 + (t[1] - '0');
  m = (t[3] - '0') * 10 + (t[4] - '0');
  s = (t[6] - '0') * 10 + (t[7] - '0');
  if (h > 23 || m > 59 || s > 60) return false;
  parts.hour = h;
  parts.minute = m;
  parts.second = s;
  return true;
}

bool classifyNumber(std::string_view t, DateParts& parts) {
  long long n = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
  }
  if (t.size() <= 2 && parts.day < 0) {
    parts.day = static_cast<int>(n);
  } else if (parts.year < 0 && t.size() == 4) {
    parts.year = n;
  } else if (parts.year < 0 && t.size() == 2) {
    parts.year = n + (n < 70 ? 2000 : 1900);  // the RFC 850 two-digit year
    parts.shortYear = true;
  } else {
    return false;
  }
  return true;
}

bool classifyToken(std::string_view t, DateParts& parts) {
  if (t.empty()) return true;
  if (t.find(':') != std::string_view::npos) return parts.hour < 0 && parseClock(t, parts);
  if (t[0] >= '0' && t[0] <= '9') return classifyNumber(t, parts);
  const std::string word = lowercase(t);
  if (word == "gmt" || word == "utc" || word == "ut" || word == "z") return true;
  if (word.size() == 3 && parts.month < 0) {
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
      if (word == kMonths[i]) {
        parts.month = static_cast<int>(i) + 1;
        return true;
      }
    }
  }
  // Day names in any spelling are ignored; anything else is not a date.
  static constexpr std::array<std::string_view, 7> kDayPrefixes = {"mon", "tue", "wed", "thu",
                                                                   "fri", "sat", "sun"};
  for (auto prefix : kDayPrefixes) {
    if (word.rfind(prefix, 0) == 0) return true;
  }
  return false;
}

}  // namespace

namespace {

std::optional<TimeInterval> parseDate(std::string_view value, bool shortYearAnywhere) {
  if (value.size() > 64) return std::nullopt;
  DateParts parts;
  bool dashes = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= value.size(); ++i) {
    const bool separator = i == value.size() || value[i] == ' ' || value[i] == ',' ||
                           value[i] == '-' || value[i] == '\t';
    if (!separator) continue;
    dashes = dashes || (i < value.size() && value[i] == '-');
    if (!classifyToken(value.substr(start, i - start), parts)) return std::nullopt;
    start = i + 1;
  }
  // "06 Nov 94" is neither the fixed form nor the RFC 850 one: its century is a guess.
  if (parts.shortYear && !dashes && !shortYearAnywhere) return std::nullopt;
  if (parts.year < 1601 || parts.year > 9999 || parts.month < 1 || parts.day < 1 ||
      parts.hour < 0) {
    return std::nullopt;
  }
  if (static_cast<unsigned>(parts.day) > daysInMonth(parts.year, parts.month)) return std::nullopt;
  const long long days = daysFromCivil(parts.year, parts.month, parts.day);
  const long long secs = days * 86400 + static_cast<long long>(parts.hour) * 3600 +
                         static_cast<long long>(parts.minute) * 60 + parts.second;
  return static_cast<TimeInterval>(secs);
}

}  // namespace

std::optional<TimeInterval> parseHTTPDate(std::string_view value) {
  return parseDate(value, false);
}

std::optional<TimeInterval> parseCookieDate(std::string_view value) {
  return parseDate(value, true);
}

std::string formatHTTPDate(TimeInterval secondsSince1970) {
  static constexpr double kMin = -11644473600.0;  // 1601-01-01
  static constexpr double kMax = 253402300799.0;  // 9999-12-31 23:59:59
  double clamped = std::isnan(secondsSince1970) ? 0.0 : secondsSince1970;
  clamped = clamped < kMin ? kMin : (clamped > kMax ? kMax : clamped);
  const auto secs = static_cast<long long>(std::floor(clamped));
  long long days = secs >= 0 ? secs / 86400 : (secs - 86399) / 86400;
  const long long rem = secs - days * 86400;
  const auto weekday = static_cast<std::size_t>(((days % 7) + 7) % 7);
  // civil_from_days
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const auto doe = static_cast<unsigned>(days - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  const long long y = static_cast<long long>(yoe) + era * 400 + (m <= 2);
  static constexpr std::array<std::string_view, 12> kMonthNames = {
      "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%s, %02u %s %04lld %02lld:%02lld:%02lld GMT",
                kWeekdays[weekday].data(), d, kMonthNames[m - 1].data(), y, rem / 3600,
                (rem / 60) % 60, rem % 60);
  return buffer;
}

std::string AuthenticationChallengeInfo::realm() const {
  auto it = parameters.find("realm");
  return it == parameters.end() ? std::string() : it->second;
}

std::vector<AuthenticationChallengeInfo> parseWWWAuthenticate(std::string_view value) {
  std::vector<AuthenticationChallengeInfo> challenges;
  Lexer lex(value);
  while (!lex.atEnd()) {
    lex.skipSpace();
    if (lex.consume(',')) continue;
    const std::string_view word = lex.token();
    if (word.empty()) {
      lex.skipElement();
      continue;
    }
    lex.skipSpace();
    if (!lex.consume('=')) {
      challenges.push_back({std::string(word), {}});
      continue;
    }
    // A parameter of the latest challenge (a token68 credential lands here too, harmlessly).
    lex.skipSpace();
    std::string argument = lex.value();
    if (!challenges.empty()) {
      challenges.back().parameters.emplace(lowercase(word), std::move(argument));
    }
    lex.skipSpace();
    if (!lex.atEnd() && lex.peek() != ',') lex.skipElement();
  }
  return challenges;
}

ContentType parseContentType(std::string_view value) {
  ContentType result;
  Lexer lex(value);
  lex.skipSpace();
  const std::string_view type = lex.token();
  if (!lex.consume('/')) return result;
  const std::string_view subtype = lex.token();
  if (type.empty() || subtype.empty()) return result;
  result.mimeType = lowercase(type) + "/" + lowercase(subtype);
  while (!lex.atEnd()) {
    lex.skipSpace();
    if (!lex.consume(';')) {
      lex.skipElement();
      break;
    }
    lex.skipSpace();
    const std::string name = lowercase(lex.token());
    lex.skipSpace();
    if (!lex.consume('=')) continue;
    lex.skipSpace();
    std::string argument = lex.value();
    if (name == "charset" && result.charset.empty()) result.charset = lowercase(argument);
  }
  return result;
}

std::optional<long long> parseContentLength(std::string_view value) {
  while (!value.empty() && isSpace(value.front())) value.remove_prefix(1);
  while (!value.empty() && isSpace(value.back())) value.remove_suffix(1);
  if (value.empty() || value.size() > 18) return std::nullopt;
  long long n = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  return n;
}

std::optional<long long> parseAge(std::string_view value) {
  Lexer lex(value);
  lex.skipSpace();
  std::string_view first = lex.token();
  lex.skipSpace();
  if (!lex.atEnd() && lex.peek() != ',') return std::nullopt;  // "1.5", "-3", "7 days"
  return parseDeltaSeconds(first);
}

std::vector<std::string> splitListValue(std::string_view value) {
  std::vector<std::string> members;
  std::string current;
  bool quoted = false;
  auto flush = [&] {
    const std::size_t begin = current.find_first_not_of(" \t");
    if (begin != std::string::npos) {
      members.push_back(current.substr(begin, current.find_last_not_of(" \t") - begin + 1));
    }
    current.clear();
  };
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == ',' && !quoted) {
      flush();
      continue;
    }
    if (c == '"') quoted = !quoted;
    if (c == '\\' && quoted && i + 1 < value.size()) current.push_back(value[i++]);
    current.push_back(value[i]);
  }
  flush();
  return members;
}

VaryFields parseVary(std::string_view value) {
  VaryFields vary;
  for (const std::string& member : splitListValue(value)) {
    if (member == "*") {
      vary.any = true;
    } else {
      vary.names.push_back(lowercase(member));
    }
  }
  std::sort(vary.names.begin(), vary.names.end());
  vary.names.erase(std::unique(vary.names.begin(), vary.names.end()), vary.names.end());
  return vary;
}

}  // namespace platform
