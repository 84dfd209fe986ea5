#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/URL.h"
#include "platform/net/HTTPCookie.h"

namespace platform {

enum class HTTPCookieAcceptPolicy { Always = 0, Never = 1 };

// The cookies of the process, in memory. Thread-safe. Sessions read and write it only for
// requests whose HTTPShouldHandleCookies is set.
class HTTPCookieStorage {
 public:
  static constexpr std::size_t kMaxCookies = 3000;
  static constexpr std::size_t kMaxCookiesPerDomain = 50;

  static std::shared_ptr<HTTPCookieStorage> sharedHTTPCookieStorage();
  static std::shared_ptr<HTTPCookieStorage> create();

  // Replaces a cookie with the same name, domain and path; an expired one only deletes.
  void setCookie(const HTTPCookie& cookie);
  void deleteCookie(const HTTPCookie& cookie);
  void removeAllCookies();
  std::vector<HTTPCookie> cookies() const;
  // Unexpired cookies to send to `url`, longer paths first.
  std::vector<HTTPCookie> cookiesForURL(const URL& url) const;

  // Each Set-Cookie value a response from `url` carried.
  void storeCookiesFromResponse(const std::vector<std::string>& setCookieValues, const URL& url);
  // The Cookie field value for a request to `url`; nullopt when there is nothing to send.
  std::optional<std::string> cookieHeaderForURL(const URL& url) const;

  HTTPCookieAcceptPolicy cookieAcceptPolicy() const;
  void setCookieAcceptPolicy(HTTPCookieAcceptPolicy policy);

 private:
  HTTPCookieStorage() = default;
  void setCookieLocked(const HTTPCookie& cookie, double now);

  mutable std::mutex mutex_;
  std::vector<HTTPCookie> cookies_;  // oldest first
  HTTPCookieAcceptPolicy policy_ = HTTPCookieAcceptPolicy::Always;
};

}  // namespace platform
