#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Types.h"
#include "platform/foundation/URL.h"

namespace platform {

// One cookie as a server set it (RFC 6265).
class HTTPCookie {
 public:
  static constexpr std::size_t kMaxLength = 4096;  // name plus value

  HTTPCookie(std::string name, std::string value, std::string_view domain, std::string path,
             std::optional<TimeInterval> expiresDate = std::nullopt, bool secure = false,
             bool httpOnly = false, bool hostOnly = true);

  // A Set-Cookie value received from `url` at time `now`; nullopt when malformed, too long, or
  // for a domain the URL's host may not set cookies for.
  static std::optional<HTTPCookie> parseSetCookie(std::string_view value, const URL& url,
                                                  TimeInterval now);

  const std::string& name() const { return name_; }
  const std::string& value() const { return value_; }
  const std::string& domain() const { return domain_; }  // lowercased, no leading dot
  const std::string& path() const { return path_; }
  const std::optional<TimeInterval>& expiresDate() const { return expires_; }
  bool isSessionOnly() const { return !expires_.has_value(); }
  bool isSecure() const { return secure_; }
  bool isHTTPOnly() const { return httpOnly_; }
  bool isHostOnly() const { return hostOnly_; }

  bool isExpired(TimeInterval now) const { return expires_ && *expires_ <= now; }
  // Domain, path and the Secure attribute all allow sending this cookie to `url`.
  bool matchesURL(const URL& url) const;
  // Same name, domain and path: a later one replaces an earlier one.
  bool sameIdentity(const HTTPCookie& other) const;

 private:
  std::string name_;
  std::string value_;
  std::string domain_;
  std::string path_;
  std::optional<TimeInterval> expires_;
  bool secure_;
  bool httpOnly_;
  bool hostOnly_;
};

}  // namespace platform
