#include "platform/net/HTTPCachePolicy.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "platform/net/HTTPHeaderValues.h"
#include "platform/net/HTTPRedirect.h"

namespace platform::HTTPCachePolicy {
namespace {

constexpr TimeInterval kMaxHeuristicLifetime = 24 * 3600;

// Statuses a response may be reused for on heuristic freshness (RFC 9110 §15.1).
constexpr std::array<long, 12> kHeuristicStatuses = {200, 203, 204, 206, 300, 301,
                                                     308, 404, 405, 410, 414, 501};
// Statuses whose caching semantics this cache implements (for must-understand).
constexpr std::array<long, 16> kUnderstoodStatuses = {200, 203, 204, 206, 300, 301, 302, 303,
                                                      307, 308, 404, 405, 410, 414, 451, 501};

constexpr std::array<std::string_view, 9> kHopByHop = {
    "Connection",         "Keep-Alive",          "Proxy-Connection", "TE", "Trailer", "Upgrade",
    "Proxy-Authenticate", "Proxy-Authorization", "Transfer-Encoding"};

bool contains(const auto& list, const auto& value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

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

std::optional<TimeInterval> dateField(const HTTPHeaderFields& fields, const char* name) {
  auto value = field(fields, name);
  return value ? parseHTTPDate(*value) : std::nullopt;
}

// Repeated fields arrive joined with ", "; members compare without the space around them.
std::string normalisedValue(const std::string& value) {
  std::string out;
  for (const std::string& member : splitListValue(value)) {
    if (!out.empty()) out += ',';
    out += member;
  }
  return out;
}

bool isHopByHop(std::string_view name, const std::vector<std::string>& connectionNames) {
  for (std::string_view hop : kHopByHop) {
    if (equalsIgnoringCase(name, hop)) return true;
  }
  for (const std::string& named : connectionNames) {
    if (equalsIgnoringCase(name, named)) return true;
  }
  return false;
}

std::vector<std::string> connectionNames(const HTTPHeaderFields& fields) {
  auto connection = field(fields, "Connection");
  return connection ? splitListValue(*connection) : std::vector<std::string>{};
}

bool sameOrigin(const URL& a, const URL& b) { return !HTTPRedirect::crossesOrigin(a, b); }

}  // namespace

std::string cacheKey(const URL& url) {
  const std::string& text = url.absoluteString();
  return text.substr(0, text.find('#'));
}

std::string cacheKey(const URLRequest& request) { return cacheKey(request.url()); }

bool isStorable(const URLRequest& request, const HTTPURLResponse& response) {
  const long status = response.statusCode();
  if (request.HTTPMethod() != "GET" || status < 200 || status == 304) return false;
  // A piece is worth keeping only if a later one can be proven to belong with it.
  if (status == 206 && (!contentRange(response) || !shareStrongValidator(response, response))) {
    return false;
  }
  if (cacheControlOf(request.allHTTPHeaderFields()).noStore) return false;
  const HTTPHeaderFields& fields = response.allHeaderFields();
  const CacheControl cc = cacheControlOf(fields);
  if (cc.mustUnderstand) {
    if (!contains(kUnderstoodStatuses, status)) return false;
  } else if (cc.noStore) {
    return false;
  }
  if (parseVary(field(fields, "Vary").value_or("")).any) return false;
  return cc.maxAge || fields.count("Expires") || cc.isPublic || cc.isPrivate ||
         contains(kHeuristicStatuses, status);
}

HTTPHeaderFields selectingFields(const HTTPURLResponse& response, const URLRequest& request) {
  HTTPHeaderFields selecting;
  auto vary = response.valueForHTTPHeaderField("Vary");
  if (!vary) return selecting;
  for (const std::string& name : parseVary(*vary).names) {
    if (auto value = request.valueForHTTPHeaderField(name)) selecting.emplace(name, *value);
  }
  return selecting;
}

std::string variantKey(const HTTPURLResponse& response, const HTTPHeaderFields& selectingFields) {
  auto vary = response.valueForHTTPHeaderField("Vary");
  if (!vary) return "";
  std::string key;
  for (const std::string& name : parseVary(*vary).names) {
    auto value = selectingFields.find(name);
    key += name;
    key += value == selectingFields.end() ? "\n!\n" : "\n=" + normalisedValue(value->second) + "\n";
  }
  return key;
}

bool variantMatches(const StoredResponse& stored, const URLRequest& request) {
  auto vary = stored.response.valueForHTTPHeaderField("Vary");
  if (!vary) return true;
  const VaryFields names = parseVary(*vary);
  if (names.any) return false;
  for (const std::string& name : names.names) {
    auto now = request.valueForHTTPHeaderField(name);
    auto then = stored.selectingFields.find(name);
    const bool had = then != stored.selectingFields.end();
    if (now.has_value() != had) return false;
    if (had && normalisedValue(*now) != normalisedValue(then->second)) return false;
  }
  return true;
}

TimeInterval freshnessLifetime(const HTTPURLResponse& response, TimeInterval responseTime) {
  const HTTPHeaderFields& fields = response.allHeaderFields();
  const CacheControl cc = cacheControlOf(fields);
  if (cc.maxAge) return static_cast<TimeInterval>(*cc.maxAge);
  const TimeInterval date = dateField(fields, "Date").value_or(responseTime);
  if (auto expires = field(fields, "Expires")) {
    auto when = parseHTTPDate(*expires);
    return when ? std::max<TimeInterval>(0, *when - date) : 0;
  }
  if (!contains(kHeuristicStatuses, response.statusCode()) && !cc.isPublic) return 0;
  if (auto modified = dateField(fields, "Last-Modified"); modified && date > *modified) {
    return std::min(kMaxHeuristicLifetime, (date - *modified) / 10);
  }
  return 0;
}

TimeInterval currentAge(const StoredResponse& stored, TimeInterval now) {
  const HTTPHeaderFields& fields = stored.response.allHeaderFields();
  auto ageField = field(fields, "Age");
  const auto ageValue = static_cast<TimeInterval>(ageField ? parseAge(*ageField).value_or(0) : 0);
  const TimeInterval dateValue = dateField(fields, "Date").value_or(stored.responseTime);
  const TimeInterval apparentAge = std::max<TimeInterval>(0, stored.responseTime - dateValue);
  const TimeInterval responseDelay =
      std::max<TimeInterval>(0, stored.responseTime - stored.requestTime);
  const TimeInterval correctedInitialAge = std::max(apparentAge, ageValue + responseDelay);
  const TimeInterval residentTime = std::max<TimeInterval>(0, now - stored.responseTime);
  return correctedInitialAge + residentTime;
}

CacheAction decide(const URLRequest& request, const StoredResponse& stored, TimeInterval now) {
  const CacheControl asked = cacheControlOf(request.allHTTPHeaderFields());
  const CacheControl given = cacheControlOf(stored.response.allHeaderFields());
  const TimeInterval age = currentAge(stored, now);
  const TimeInterval lifetime = freshnessLifetime(stored.response, stored.responseTime);
  const bool mustAsk = asked.noCache || given.noCache;
  const bool tooOld = asked.maxAge && age >= static_cast<TimeInterval>(*asked.maxAge);
  const auto minFresh = static_cast<TimeInterval>(asked.minFresh.value_or(0));
  if (!mustAsk && !tooOld && age + minFresh < lifetime) return CacheAction::Reuse;
  if (!mustAsk && !given.mustRevalidate && !tooOld) {
    if (asked.maxStale && age < lifetime + static_cast<TimeInterval>(*asked.maxStale)) {
      return CacheAction::Reuse;
    }
    if (given.staleWhileRevalidate &&
        age < lifetime + static_cast<TimeInterval>(*given.staleWhileRevalidate)) {
      return CacheAction::ReuseStaleAndRevalidate;
    }
  }
  return hasValidators(stored.response) ? CacheAction::Validate : CacheAction::Fetch;
}

bool onlyIfCached(const URLRequest& request) {
  return cacheControlOf(request.allHTTPHeaderFields()).onlyIfCached;
}

bool mayServeStaleOnError(const URLRequest& request, const StoredResponse& stored,
                          TimeInterval now) {
  const CacheControl asked = cacheControlOf(request.allHTTPHeaderFields());
  const CacheControl given = cacheControlOf(stored.response.allHeaderFields());
  if (asked.noCache || given.noCache || given.mustRevalidate) return false;
  const long long window =
      std::max(given.staleIfError.value_or(-1), asked.staleIfError.value_or(-1));
  if (window < 0) return false;
  const TimeInterval lifetime = freshnessLifetime(stored.response, stored.responseTime);
  return currentAge(stored, now) < lifetime + static_cast<TimeInterval>(window);
}

bool hasValidators(const HTTPURLResponse& response) {
  const HTTPHeaderFields& fields = response.allHeaderFields();
  return fields.count("ETag") || fields.count("Last-Modified");
}

void addConditionalFields(const HTTPURLResponse& chosen,
                          const std::vector<const HTTPURLResponse*>& variants,
                          URLRequest& request) {
  if (request.valueForHTTPHeaderField("If-None-Match") ||
      request.valueForHTTPHeaderField("If-Modified-Since")) {
    return;
  }
  std::vector<std::string> etags;
  auto addETag = [&](const HTTPURLResponse& response) {
    auto etag = response.valueForHTTPHeaderField("ETag");
    if (etag && !contains(etags, *etag)) etags.push_back(*etag);
  };
  addETag(chosen);
  for (const HTTPURLResponse* variant : variants) addETag(*variant);
  std::string list;
  for (const std::string& etag : etags) list += (list.empty() ? "" : ", ") + etag;
  if (!list.empty()) request.setValue(list, "If-None-Match");
  if (auto modified = chosen.valueForHTTPHeaderField("Last-Modified")) {
    request.setValue(*modified, "If-Modified-Since");
  }
}

std::size_t selectValidated(const std::vector<const HTTPURLResponse*>& variants,
                            const HTTPURLResponse& notModified, std::size_t fallback) {
  auto etag = notModified.valueForHTTPHeaderField("ETag");
  if (!etag) return fallback;
  if (fallback < variants.size() && variants[fallback]->valueForHTTPHeaderField("ETag") == etag) {
    return fallback;
  }
  for (std::size_t i = 0; i < variants.size(); ++i) {
    if (variants[i]->valueForHTTPHeaderField("ETag") == etag) return i;
  }
  return fallback;
}

HTTPHeaderFields storableFields(const HTTPHeaderFields& fields) {
  const std::vector<std::string> named = connectionNames(fields);
  HTTPHeaderFields kept;
  for (const auto& [name, value] : fields) {
    if (!isHopByHop(name, named)) kept.emplace(name, value);
  }
  return kept;
}

std::shared_ptr<HTTPURLResponse> mergeNotModified(const HTTPURLResponse& cached,
                                                  const HTTPHeaderFields& notModified) {
  HTTPHeaderFields merged = cached.allHeaderFields();
  const std::vector<std::string> named = connectionNames(notModified);
  for (const auto& [name, value] : notModified) {
    // The length describes the 304's own (empty) body, not the stored one.
    if (equalsIgnoringCase(name, "Content-Length") || equalsIgnoringCase(name, "Content-Range") ||
        isHopByHop(name, named)) {
      continue;
    }
    merged.erase(name);
    merged.emplace(name, value);
  }
  return std::make_shared<HTTPURLResponse>(cached.url(), cached.statusCode(), cached.HTTPVersion(),
                                           storableFields(merged), cached.setCookieValues());
}

bool headConfirms(const HTTPURLResponse& stored, const HTTPURLResponse& head) {
  if (head.statusCode() != 200) return false;
  auto etag = head.valueForHTTPHeaderField("ETag");
  auto modified = head.valueForHTTPHeaderField("Last-Modified");
  if (!etag && !modified) return false;
  return etag == stored.valueForHTTPHeaderField("ETag") &&
         modified == stored.valueForHTTPHeaderField("Last-Modified");
}

bool invalidatesStored(const URLRequest& request, long statusCode) {
  const std::string& method = request.HTTPMethod();
  const bool safe = method == "GET" || method == "HEAD" || method == "OPTIONS" || method == "TRACE";
  return !safe && statusCode >= 200 && statusCode < 400;
}

std::vector<URL> invalidatedURLs(const URL& requestURL, const HTTPURLResponse& response) {
  std::vector<URL> urls = {requestURL};
  for (const char* name : {"Location", "Content-Location"}) {
    auto value = response.valueForHTTPHeaderField(name);
    if (!value) continue;
    auto target = HTTPRedirect::resolve(response.url(), *value);
    if (target && sameOrigin(requestURL, *target)) urls.push_back(*target);
  }
  return urls;
}

std::optional<std::pair<std::size_t, std::size_t>> requestedRange(const std::string& range,
                                                                  std::size_t length) {
  constexpr std::string_view kUnit = "bytes=";
  if (range.size() <= kUnit.size() || !equalsIgnoringCase(range.substr(0, kUnit.size()), kUnit)) {
    return std::nullopt;
  }
  const std::string spec = range.substr(kUnit.size());
  const std::size_t dash = spec.find('-');
  if (dash == std::string::npos || spec.find(',') != std::string::npos || length == 0) {
    return std::nullopt;
  }
  auto first = parseContentLength(spec.substr(0, dash));
  auto last = parseContentLength(spec.substr(dash + 1));
  const std::size_t end = length - 1;
  if (!first) {  // "-N": the last N bytes
    if (!last || *last == 0 || spec.find_first_not_of(" \t") != dash) return std::nullopt;
    const auto count = std::min<std::size_t>(static_cast<std::size_t>(*last), length);
    return std::pair(length - count, end);
  }
  if (static_cast<std::size_t>(*first) > end) return std::nullopt;
  if (!last) {
    if (spec.find_first_not_of(" \t", dash + 1) != std::string::npos) return std::nullopt;
    return std::pair(static_cast<std::size_t>(*first), end);
  }
  if (*last < *first) return std::nullopt;
  return std::pair(static_cast<std::size_t>(*first),
                   std::min(static_cast<std::size_t>(*last), end));
}

std::optional<ByteRange> contentRange(const HTTPURLResponse& response) {
  auto value = response.valueForHTTPHeaderField("Content-Range");
  if (!value || value->rfind("bytes ", 0) != 0) return std::nullopt;
  const std::string spec = value->substr(6);
  const std::size_t dash = spec.find('-');
  const std::size_t slash = spec.find('/');
  if (dash == std::string::npos || slash == std::string::npos || dash > slash) return std::nullopt;
  auto first = parseContentLength(spec.substr(0, dash));
  auto last = parseContentLength(spec.substr(dash + 1, slash - dash - 1));
  auto length = parseContentLength(spec.substr(slash + 1));
  if (!first || !last || !length || *first > *last || *last >= *length) return std::nullopt;
  return ByteRange{static_cast<std::size_t>(*first), static_cast<std::size_t>(*last),
                   static_cast<std::size_t>(*length)};
}

bool shareStrongValidator(const HTTPURLResponse& a, const HTTPURLResponse& b) {
  auto etag = a.valueForHTTPHeaderField("ETag");
  return etag && etag->size() > 2 && etag->front() == '"' &&
         b.valueForHTTPHeaderField("ETag") == etag;
}

std::optional<StoredBody> combinePartial(const StoredBody& older, const StoredBody& newer) {
  if (!shareStrongValidator(*older.response, *newer.response)) return std::nullopt;
  auto a = contentRange(*older.response);
  auto b = contentRange(*newer.response);
  if (!a || !b || a->length != b->length || older.body.size() != a->last - a->first + 1 ||
      newer.body.size() != b->last - b->first + 1 || a->first > b->last + 1 ||
      b->first > a->last + 1) {
    return std::nullopt;
  }
  const std::size_t first = std::min(a->first, b->first);
  const std::size_t last = std::max(a->last, b->last);
  Data body(last - first + 1);
  std::copy(older.body.begin(), older.body.end(), body.begin() + (a->first - first));
  std::copy(newer.body.begin(), newer.body.end(), body.begin() + (b->first - first));
  std::shared_ptr<HTTPURLResponse> response;
  if (first == 0 && last + 1 == a->length) {
    HTTPHeaderFields fields = newer.response->allHeaderFields();
    fields.erase("Content-Range");
    fields.erase("Content-Length");
    fields.emplace("Content-Length", std::to_string(body.size()));
    response =
        std::make_shared<HTTPURLResponse>(newer.response->url(), 200, newer.response->HTTPVersion(),
                                          std::move(fields), newer.response->setCookieValues());
  } else {
    response = partialResponse(*newer.response, first, last, a->length);
  }
  return StoredBody{std::move(response), std::move(body)};
}

std::optional<StoredPiece> storedPiece(const HTTPURLResponse& stored, std::size_t bodySize,
                                       const URLRequest& request) {
  auto range = request.valueForHTTPHeaderField("Range");
  if (!range) return std::nullopt;
  if (stored.statusCode() == 200 && !stored.valueForHTTPHeaderField("Content-Range")) {
    auto wanted = requestedRange(*range, bodySize);
    if (!wanted) return std::nullopt;
    return StoredPiece{wanted->first, wanted->second, bodySize, 0};
  }
  auto piece = stored.statusCode() == 206 ? contentRange(stored) : std::nullopt;
  if (!piece || bodySize != piece->last - piece->first + 1) return std::nullopt;
  auto wanted = requestedRange(*range, piece->length);
  if (!wanted || wanted->first < piece->first || wanted->second > piece->last) return std::nullopt;
  return StoredPiece{wanted->first, wanted->second, piece->length, piece->first};
}

bool answersRange(const HTTPURLResponse& stored, std::size_t bodySize, const URLRequest& request) {
  return stored.statusCode() != 206 || storedPiece(stored, bodySize, request).has_value();
}

std::shared_ptr<HTTPURLResponse> partialResponse(const HTTPURLResponse& complete, std::size_t first,
                                                 std::size_t last, std::size_t length) {
  HTTPHeaderFields fields = complete.allHeaderFields();
  fields.erase("Content-Length");
  fields.emplace("Content-Length", std::to_string(last - first + 1));
  fields.erase("Content-Range");
  fields.emplace("Content-Range", "bytes " + std::to_string(first) + "-" + std::to_string(last) +
                                      "/" + std::to_string(length));
  return std::make_shared<HTTPURLResponse>(complete.url(), 206, complete.HTTPVersion(),
                                           std::move(fields), complete.setCookieValues());
}

}  // namespace platform::HTTPCachePolicy
