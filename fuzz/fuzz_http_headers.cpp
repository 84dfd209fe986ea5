// Response heads as a server may send them: the head parser, every field-value parser the
// session and the URL cache use, the cookie parser, and the URL cache's file decoder.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/foundation/URL.h"
#include "platform/net/HTTPCachePolicy.h"
#include "platform/net/HTTPCookie.h"
#include "platform/net/HTTPCookieStorage.h"
#include "platform/net/HTTPHeaderValues.h"
#include "platform/net/HTTPRedirect.h"
#include "platform/net/HTTPResponseHeadParser.h"
#include "platform/net/HTTPURLResponse.h"
#include "platform/net/URLCacheEntryCodec.h"

namespace {

using namespace platform;

void parseValues(std::string_view value) {
  parseCacheControl(value);
  parseWWWAuthenticate(value);
  parseContentType(value);
  parseContentLength(value);
  if (auto age = parseAge(value); age && (*age < 0 || *age > 2147483648LL)) __builtin_trap();
  const VaryFields vary = parseVary(value);
  for (const std::string& name : vary.names) {
    if (name.empty() || name == "*") __builtin_trap();
  }
  for (const std::string& member : splitListValue(value)) {
    if (member.empty()) __builtin_trap();
  }
  if (auto range = HTTPCachePolicy::requestedRange(std::string(value), 1000)) {
    // A range the cache cuts must lie inside the body.
    if (range->first > range->second || range->second >= 1000) __builtin_trap();
  }
  if (auto date = parseHTTPDate(value)) {
    // Whatever parses must print and parse back to the same instant.
    if (parseHTTPDate(formatHTTPDate(*date)) != *date) __builtin_trap();
  }
}

void exerciseResponse(const HTTPResponseHeadParser& parser) {
  static const URL kURL = *URL::parse("http://fuzz.test/dir/image.png");
  const HTTPStatusLine& status = *parser.status();
  HTTPURLResponse response(kURL, status.statusCode, status.version, parser.fields(),
                           parser.setCookieValues());
  URLRequest request(kURL);
  // The same fields as a request's: Cache-Control directives, Vary's selecting values.
  request.setAllHTTPHeaderFields(parser.fields());
  HTTPCachePolicy::isStorable(request, response);
  const HTTPHeaderFields selecting = HTTPCachePolicy::selectingFields(response, request);
  const StoredResponse stored{response, selecting, 1e9 - 2, 1e9};
  const TimeInterval age = HTTPCachePolicy::currentAge(stored, 1e9 + 30);
  // Ages and lifetimes are never negative nor NaN, whatever the fields say.
  if (!(age >= 30) || !(HTTPCachePolicy::freshnessLifetime(response, 1e9) >= 0)) __builtin_trap();
  HTTPCachePolicy::variantKey(response, selecting);
  // A response stored for this very request matches it, unless it varies on everything.
  const bool matches = HTTPCachePolicy::variantMatches(stored, request);
  const auto varyField = response.valueForHTTPHeaderField("Vary");
  if (!matches && !(varyField && parseVary(*varyField).any)) __builtin_trap();
  HTTPCachePolicy::decide(request, stored, 1e9 + 30);
  HTTPCachePolicy::mayServeStaleOnError(request, stored, 1e9 + 30);
  HTTPCachePolicy::addConditionalFields(response, {&response}, request);
  auto merged = HTTPCachePolicy::mergeNotModified(response, parser.fields());
  if (merged->valueForHTTPHeaderField("Transfer-Encoding")) __builtin_trap();
  HTTPCachePolicy::storableFields(parser.fields());
  HTTPCachePolicy::invalidatedURLs(kURL, response);
  auto storage = HTTPCookieStorage::create();
  storage->storeCookiesFromResponse(parser.setCookieValues(), kURL);
  storage->cookieHeaderForURL(kURL);
  for (const std::string& value : parser.setCookieValues()) {
    HTTPCookie::parseSetCookie(value, kURL, 0);
  }
  auto location = parser.fields().find("Location");
  if (location != parser.fields().end()) {
    // Where a redirect leads must itself be a URL the client can parse again.
    if (auto target = HTTPRedirect::resolve(kURL, location->second)) {
      if (!URL::parse(target->absoluteString())) __builtin_trap();
      HTTPRedirect::nextRequest(request, status.statusCode, *target);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  HTTPResponseHeadParser parser;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start + (end < text.size() ? 1 : 0));
    parser.addLine(line);
    parseValues(line.substr(line.find(':') == std::string_view::npos ? 0 : line.find(':') + 1));
    start = end + 1;
  }
  if (parser.hasStatus()) exerciseResponse(parser);
  decodeURLCacheEntry(Data(data, data + size));
  return 0;
}
