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
  HTTPCachePolicy::isStorable(request, response);
  HTTPCachePolicy::isFresh(request, response, 1e9, 1e9 + 30);
  HTTPCachePolicy::addConditionalFields(response, request);
  HTTPCachePolicy::mergeNotModified(response, parser.fields());
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
