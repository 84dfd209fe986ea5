#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Types.h"

namespace platform {

// The directives of a Cache-Control field that a private client cache acts on. Unknown
// directives are ignored; the first occurrence of a repeated directive wins.
struct CacheControl {
  bool noStore = false;
  bool noCache = false;  // qualified or not: reuse needs revalidation
  bool mustRevalidate = false;
  bool isPrivate = false;
  bool isPublic = false;
  bool immutable = false;
  bool mustUnderstand = false;
  bool onlyIfCached = false;
  std::optional<long long> maxAge;  // seconds; an unreadable value counts as 0 (stale)
  std::optional<long long> sMaxAge;
  std::optional<long long> maxStale;  // a request's; without a value, any staleness
  std::optional<long long> minFresh;
  std::optional<long long> staleWhileRevalidate;
  std::optional<long long> staleIfError;
};

CacheControl parseCacheControl(std::string_view value);

// IMF-fixdate, the obsolete RFC 850 form and asctime(), as HTTP allows; seconds since 1970. A
// two-digit year is only read in the RFC 850 form (with dashes).
std::optional<TimeInterval> parseHTTPDate(std::string_view value);
// As parseHTTPDate, but a two-digit year is read in any form, as cookie dates are written.
std::optional<TimeInterval> parseCookieDate(std::string_view value);
// IMF-fixdate ("Sun, 06 Nov 1994 08:49:37 GMT"); whole seconds, years 1601...9999.
std::string formatHTTPDate(TimeInterval secondsSince1970);

struct AuthenticationChallengeInfo {
  std::string scheme;                             // as sent, e.g. "Basic"
  std::map<std::string, std::string> parameters;  // names lowercased, values unquoted
  std::string realm() const;
};

// Every challenge of a WWW-Authenticate value (several fields joined with ", " are fine).
std::vector<AuthenticationChallengeInfo> parseWWWAuthenticate(std::string_view value);

struct ContentType {
  std::string mimeType;  // lowercased "type/subtype", "" when absent or malformed
  std::string charset;   // lowercased, "" when absent
};

ContentType parseContentType(std::string_view value);

// A Content-Length value: digits only, no overflow.
std::optional<long long> parseContentLength(std::string_view value);

// An Age value: the first member of a list (several fields joined with ", "), digits only; a
// value at or past 2^31 reads as 2^31, the largest age. Anything else is no Age at all.
std::optional<long long> parseAge(std::string_view value);

// The field names of a Vary value, lowercased, without duplicates or empty members, sorted.
// `any` is set by a "*" member, which no request ever matches.
struct VaryFields {
  bool any = false;
  std::vector<std::string> names;
};
VaryFields parseVary(std::string_view value);

// The members of a comma-separated list value, each without surrounding whitespace, empty ones
// dropped (commas inside quoted strings do not split).
std::vector<std::string> splitListValue(std::string_view value);

}  // namespace platform
