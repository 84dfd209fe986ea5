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
  std::optional<long long> maxAge;  // seconds; an unreadable value counts as 0 (stale)
  std::optional<long long> sMaxAge;
};

CacheControl parseCacheControl(std::string_view value);

// IMF-fixdate, the obsolete RFC 850 form and asctime(), as HTTP allows; seconds since 1970.
std::optional<TimeInterval> parseHTTPDate(std::string_view value);
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

}  // namespace platform
