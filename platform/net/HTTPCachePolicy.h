#pragma once

#include <memory>
#include <string>

#include "platform/foundation/Types.h"
#include "platform/net/HTTPHeaderFields.h"
#include "platform/net/HTTPURLResponse.h"
#include "platform/net/URLRequest.h"

namespace platform {

// The rules of a private HTTP cache (RFC 9111), as the session applies them around URLCache.
// Ages are measured with the cache's own clock from the moment of storing, and lifetimes from
// the server's own Date, so a skewed server clock (or a virtual clock in tests) does not turn
// every entry stale or fresh.
namespace HTTPCachePolicy {

// The key a response is stored under: the URL without its fragment.
std::string cacheKey(const URLRequest& request);

// A GET answered 200 without no-store (either side), without Vary other than Accept-Encoding,
// and not partial.
bool isStorable(const URLRequest& request, const HTTPURLResponse& response);

// max-age, else Expires − Date, else a tenth of Date − Last-Modified (at most a day), else 0.
TimeInterval freshnessLifetime(const HTTPURLResponse& response, TimeInterval storedAt);

// Fresh enough to answer without asking the server: within its lifetime, not marked no-cache,
// and the request does not insist on a check (no-cache, max-age=0, Pragma: no-cache).
bool isFresh(const URLRequest& request, const HTTPURLResponse& response, TimeInterval storedAt,
             TimeInterval now);

bool hasValidators(const HTTPURLResponse& response);

// If-None-Match from ETag and If-Modified-Since from Last-Modified, unless the caller set them.
void addConditionalFields(const HTTPURLResponse& cached, URLRequest& request);

// The cached response brought up to date by the fields of a 304 that confirmed it.
std::shared_ptr<HTTPURLResponse> mergeNotModified(const HTTPURLResponse& cached,
                                                  const HTTPHeaderFields& notModified);

}  // namespace HTTPCachePolicy
}  // namespace platform
