#include "platform/net/HTTPCookieStorage.h"

#include <algorithm>

#include "platform/foundation/Clock.h"

namespace platform {

std::shared_ptr<HTTPCookieStorage> HTTPCookieStorage::sharedHTTPCookieStorage() {
  static const std::shared_ptr<HTTPCookieStorage> storage = create();
  return storage;
}

std::shared_ptr<HTTPCookieStorage> HTTPCookieStorage::create() {
  return std::shared_ptr<HTTPCookieStorage>(new HTTPCookieStorage());
}

void HTTPCookieStorage::setCookie(const HTTPCookie& cookie) {
  std::lock_guard lock(mutex_);
  setCookieLocked(cookie, dateNow());
}

void HTTPCookieStorage::setCookieLocked(const HTTPCookie& cookie, double now) {
  std::erase_if(cookies_,
                [&](const HTTPCookie& c) { return c.sameIdentity(cookie) || c.isExpired(now); });
  if (cookie.isExpired(now)) return;
  const auto perDomain = std::count_if(cookies_.begin(), cookies_.end(), [&](const HTTPCookie& c) {
    return c.domain() == cookie.domain();
  });
  if (static_cast<std::size_t>(perDomain) >= kMaxCookiesPerDomain) {
    auto oldest = std::find_if(cookies_.begin(), cookies_.end(),
                               [&](const HTTPCookie& c) { return c.domain() == cookie.domain(); });
    cookies_.erase(oldest);
  }
  if (cookies_.size() >= kMaxCookies) cookies_.erase(cookies_.begin());
  cookies_.push_back(cookie);
}

void HTTPCookieStorage::deleteCookie(const HTTPCookie& cookie) {
  std::lock_guard lock(mutex_);
  std::erase_if(cookies_, [&](const HTTPCookie& c) { return c.sameIdentity(cookie); });
}

void HTTPCookieStorage::removeAllCookies() {
  std::lock_guard lock(mutex_);
  cookies_.clear();
}

std::vector<HTTPCookie> HTTPCookieStorage::cookies() const {
  std::lock_guard lock(mutex_);
  return cookies_;
}

std::vector<HTTPCookie> HTTPCookieStorage::cookiesForURL(const URL& url) const {
  const double now = dateNow();
  std::vector<HTTPCookie> matching;
  {
    std::lock_guard lock(mutex_);
    for (const HTTPCookie& cookie : cookies_) {
      if (!cookie.isExpired(now) && cookie.matchesURL(url)) matching.push_back(cookie);
    }
  }
  std::stable_sort(matching.begin(), matching.end(), [](const HTTPCookie& a, const HTTPCookie& b) {
    return a.path().size() > b.path().size();
  });
  return matching;
}

void HTTPCookieStorage::storeCookiesFromResponse(const std::vector<std::string>& setCookieValues,
                                                 const URL& url) {
  const double now = dateNow();
  std::lock_guard lock(mutex_);
  if (policy_ == HTTPCookieAcceptPolicy::Never) return;
  for (const std::string& value : setCookieValues) {
    if (auto cookie = HTTPCookie::parseSetCookie(value, url, now)) setCookieLocked(*cookie, now);
  }
}

std::optional<std::string> HTTPCookieStorage::cookieHeaderForURL(const URL& url) const {
  const std::vector<HTTPCookie> matching = cookiesForURL(url);
  if (matching.empty()) return std::nullopt;
  std::string header;
  for (const HTTPCookie& cookie : matching) {
    if (!header.empty()) header += "; ";
    header += cookie.name() + "=" + cookie.value();
  }
  return header;
}

HTTPCookieAcceptPolicy HTTPCookieStorage::cookieAcceptPolicy() const {
  std::lock_guard lock(mutex_);
  return policy_;
}

void HTTPCookieStorage::setCookieAcceptPolicy(HTTPCookieAcceptPolicy policy) {
  std::lock_guard lock(mutex_);
  policy_ = policy;
}

}  // namespace platform
