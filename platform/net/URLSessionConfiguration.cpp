#include "platform/net/URLSessionConfiguration.h"

#include "platform/net/HTTPCookieStorage.h"
#include "platform/net/URLCache.h"

namespace platform {

URLSessionConfiguration URLSessionConfiguration::defaultSessionConfiguration() {
  URLSessionConfiguration configuration;
  configuration.cookies_ = HTTPCookieStorage::sharedHTTPCookieStorage();
  configuration.cache_ = URLCache::sharedURLCache();
  return configuration;
}

URLSessionConfiguration URLSessionConfiguration::ephemeralSessionConfiguration() {
  URLSessionConfiguration configuration;
  configuration.cookies_ = HTTPCookieStorage::create();
  configuration.cache_ = URLCache::create(URLCache::kDefaultMemoryCapacity, 0, "");
  return configuration;
}

void URLSessionConfiguration::setTimeoutIntervalForRequest(TimeInterval seconds) {
  if (seconds > 0 && seconds < 1e9) requestTimeout_ = seconds;
}

void URLSessionConfiguration::setTimeoutIntervalForResource(TimeInterval seconds) {
  if (seconds > 0 && seconds < 1e9) resourceTimeout_ = seconds;
}

}  // namespace platform
