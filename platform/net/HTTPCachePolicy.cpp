#include "platform/net/HTTPCachePolicy.h"

#include <algorithm>
#include <sstream>

#include "platform/net/HTTPHeaderValues.h"

namespace platform::HTTPCachePolicy {
namespace {

constexpr TimeInterval kMaxHeuristicLifetime = 24 * 3600;

std::optional<std::string> field(const HTTPHeaderFields& fields, const char* name) {
  auto it = fields.find(name);
  if (it == fields.end()) return std::nullopt;
  return it->second;
}

CacheControl cacheControlOf(const HTTPHeaderFields& fields) {
  CacheControl cc = parseCacheControl(field(fields, "Cache-Control").value_or(""));
  // HTTP/1.0 caches only knew Pragma.
  auto pragma = field(fields, "Pragma");
  if (pragma && pragma->find("no-cache") != std::string::npos &&
      fields.find("Cache-Control") == fields.end()) {
    cc.noCache = true;
  }
  return cc;
}

bool varyIsHarmless(const std::optional<std::string>& vary) {
  if (!vary) return true;
  std::stringstream list(*vary);
  std::string item;
  while (std::getline(list, item, ',')) {
    item.erase(0, item.find_first_not_of(" \t"));
    item.erase(item.find_last_not_of(" \t") + 1);
    // The session always sends the same Accept-Encoding, so that variance never matters.
    if (!item.empty() && !equalsIgnoringCase(item, "Accept-Encoding")) return false;
  }
  return true;
}

}  // namespace

std::string cacheKey(const URLRequest& request) {
  const std::string& text = request.url().absoluteString();
  return text.substr(0, text.find('#'));
}

bool isStorable(const URLRequest& request, const HTTPURLResponse& response) {
  if (request.HTTPMethod() != "GET" || response.statusCode() != 200) return false;
  if (cacheControlOf(request.allHTTPHeaderFields()).noStore) return false;
  const HTTPHeaderFields& fields = response.allHeaderFields();
  if (cacheControlOf(fields).noStore) return false;
  if (fields.find("Content-Range") != fields.end()) return false;
  return varyIsHarmless(field(fields, "Vary"));
}

TimeInterval freshnessLifetime(const HTTPURLResponse& response, TimeInterval storedAt) {
  const HTTPHeaderFields& fields = response.allHeaderFields();
  const CacheControl cc = cacheControlOf(fields);
  if (cc.noCache) return 0;
  if (cc.maxAge) return static_cast<TimeInterval>(*cc.maxAge);
  auto dateField = field(fields, "Date");
  const std::optional<TimeInterval> date = dateField ? parseHTTPDate(*dateField) : std::nullopt;
  if (auto expires = field(fields, "Expires")) {
    // An unreadable Expires ("0", "-1") means already expired.
    auto when = parseHTTPDate(*expires);
    if (!when) return 0;
    return std::max<TimeInterval>(0, *when - date.value_or(storedAt));
  }
  if (auto modifiedField = field(fields, "Last-Modified")) {
    auto modified = parseHTTPDate(*modifiedField);
    if (modified && date && *date > *modified) {
      return std::min(kMaxHeuristicLifetime, (*date - *modified) / 10);
    }
  }
  return 0;
}

bool isFresh(const URLRequest& request, const HTTPURLResponse& response, TimeInterval storedAt,
             TimeInterval now) {
  const CacheControl asked = cacheControlOf(request.allHTTPHeaderFields());
  if (asked.noCache || (asked.maxAge && *asked.maxAge == 0)) return false;
  const HTTPHeaderFields& fields = response.allHeaderFields();
  TimeInterval age = std::max<TimeInterval>(0, now - storedAt);
  if (auto ageField = field(fields, "Age")) {
    if (auto initial = parseContentLength(*ageField)) age += static_cast<TimeInterval>(*initial);
  }
  TimeInterval lifetime = freshnessLifetime(response, storedAt);
  if (asked.maxAge) lifetime = std::min(lifetime, static_cast<TimeInterval>(*asked.maxAge));
  return age < lifetime;
}

bool hasValidators(const HTTPURLResponse& response) {
  const HTTPHeaderFields& fields = response.allHeaderFields();
  return fields.find("ETag") != fields.end() || fields.find("Last-Modified") != fields.end();
}

void addConditionalFields(const HTTPURLResponse& cached, URLRequest& request) {
  const HTTPHeaderFields& fields = cached.allHeaderFields();
  auto etag = field(fields, "ETag");
  if (etag && !request.valueForHTTPHeaderField("If-None-Match")) {
    request.setValue(*etag, "If-None-Match");
  }
  auto modified = field(fields, "Last-Modified");
  if (modified && !request.valueForHTTPHeaderField("If-Modified-Since")) {
    request.setValue(*modified, "If-Modified-Since");
  }
}

std::shared_ptr<HTTPURLResponse> mergeNotModified(const HTTPURLResponse& cached,
                                                  const HTTPHeaderFields& notModified) {
  HTTPHeaderFields merged = cached.allHeaderFields();
  for (const auto& [name, value] : notModified) {
    // These describe the (empty) 304 body, not the stored one.
    if (equalsIgnoringCase(name, "Content-Length") || equalsIgnoringCase(name, "Content-Type") ||
        equalsIgnoringCase(name, "Content-Encoding") ||
        equalsIgnoringCase(name, "Transfer-Encoding") ||
        equalsIgnoringCase(name, "Content-Range")) {
      continue;
    }
    merged.erase(name);
    merged.emplace(name, value);
  }
  return std::make_shared<HTTPURLResponse>(cached.url(), cached.statusCode(), cached.HTTPVersion(),
                                           std::move(merged), cached.setCookieValues());
}

}  // namespace platform::HTTPCachePolicy
