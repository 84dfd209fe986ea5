#pragma once

#include <cstddef>
#include <memory>

#include "platform/foundation/Types.h"
#include "platform/net/HTTPHeaderFields.h"

namespace platform {

class HTTPCookieStorage;
class URLCache;

// How a session loads: timeouts, cookies, the URL cache and limits. A value; the session keeps
// its own copy.
class URLSessionConfiguration {
 public:
  static constexpr std::size_t kDefaultMaximumResponseBodySize = 256u << 20;
  static constexpr long kDefaultMaximumRedirects = 16;

  // The shared cookie storage and the shared URL cache.
  static URLSessionConfiguration defaultSessionConfiguration();
  // A private cookie storage and a memory-only cache: nothing reaches the disk.
  static URLSessionConfiguration ephemeralSessionConfiguration();

  // The idle timeout for requests that do not set their own.
  TimeInterval timeoutIntervalForRequest() const { return requestTimeout_; }
  void setTimeoutIntervalForRequest(TimeInterval seconds);
  // The longest a whole load may take, however busy.
  TimeInterval timeoutIntervalForResource() const { return resourceTimeout_; }
  void setTimeoutIntervalForResource(TimeInterval seconds);

  bool HTTPShouldSetCookies() const { return shouldSetCookies_; }
  void setHTTPShouldSetCookies(bool value) { shouldSetCookies_ = value; }
  // Named apart from the class names they hold, which a member of the same name would hide.
  const std::shared_ptr<HTTPCookieStorage>& cookieStorage() const { return cookies_; }
  void setCookieStorage(std::shared_ptr<HTTPCookieStorage> storage) {
    cookies_ = std::move(storage);
  }
  const std::shared_ptr<URLCache>& urlCache() const { return cache_; }
  void setURLCache(std::shared_ptr<URLCache> cache) { cache_ = std::move(cache); }

  // Sent with every request that does not set the same field itself.
  const HTTPHeaderFields& HTTPAdditionalHeaders() const { return additionalHeaders_; }
  void setHTTPAdditionalHeaders(HTTPHeaderFields fields) { additionalHeaders_ = std::move(fields); }

  // A body larger than this fails the load (DataLengthExceedsMaximum) instead of filling memory.
  std::size_t maximumResponseBodySize() const { return maxBodySize_; }
  void setMaximumResponseBodySize(std::size_t bytes) { maxBodySize_ = bytes; }
  // Redirects followed before the load fails with HTTPTooManyRedirects.
  long maximumRedirects() const { return maxRedirects_; }
  void setMaximumRedirects(long count) { maxRedirects_ = count < 0 ? 0 : count; }

 private:
  URLSessionConfiguration() = default;

  TimeInterval requestTimeout_ = 60.0;
  TimeInterval resourceTimeout_ = 7 * 24 * 3600.0;
  bool shouldSetCookies_ = true;
  std::shared_ptr<HTTPCookieStorage> cookies_;
  std::shared_ptr<URLCache> cache_;
  HTTPHeaderFields additionalHeaders_;
  std::size_t maxBodySize_ = kDefaultMaximumResponseBodySize;
  long maxRedirects_ = kDefaultMaximumRedirects;
};

}  // namespace platform
