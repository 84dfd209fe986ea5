#include "platform/net/HTTPURLResponse.h"

#include "platform/net/HTTPHeaderValues.h"

namespace platform {
namespace {

std::string fieldOrEmpty(const HTTPHeaderFields& fields, const char* name) {
  auto it = fields.find(name);
  return it == fields.end() ? std::string() : it->second;
}

std::int64_t announcedLength(const HTTPHeaderFields& fields) {
  const std::string coding = fieldOrEmpty(fields, "Content-Encoding");
  if (!coding.empty() && !equalsIgnoringCase(coding, "identity"))
    return URLResponse::kUnknownLength;
  auto it = fields.find("Content-Length");
  if (it == fields.end()) return URLResponse::kUnknownLength;
  auto length = parseContentLength(it->second);
  return length ? *length : URLResponse::kUnknownLength;
}

}  // namespace

HTTPURLResponse::HTTPURLResponse(URL url, long statusCode, std::string httpVersion,
                                 HTTPHeaderFields fields, std::vector<std::string> setCookieValues)
    : URLResponse(std::move(url), parseContentType(fieldOrEmpty(fields, "Content-Type")).mimeType,
                  announcedLength(fields),
                  parseContentType(fieldOrEmpty(fields, "Content-Type")).charset),
      statusCode_(statusCode),
      httpVersion_(std::move(httpVersion)),
      fields_(std::move(fields)),
      setCookies_(std::move(setCookieValues)) {}

std::optional<std::string> HTTPURLResponse::valueForHTTPHeaderField(
    const std::string& field) const {
  auto it = fields_.find(field);
  if (it == fields_.end()) return std::nullopt;
  return it->second;
}

std::string HTTPURLResponse::localizedStringForStatusCode(long statusCode) {
  switch (statusCode) {
    case 200:
      return "no error";
    case 201:
      return "created";
    case 204:
      return "no content";
    case 206:
      return "partial content";
    case 301:
      return "moved permanently";
    case 302:
      return "found";
    case 304:
      return "not modified";
    case 307:
      return "temporarily redirected";
    case 308:
      return "permanent redirect";
    case 400:
      return "bad request";
    case 401:
      return "unauthorized";
    case 403:
      return "forbidden";
    case 404:
      return "not found";
    case 408:
      return "request timed out";
    case 410:
      return "no longer exists";
    case 429:
      return "too many requests";
    case 500:
      return "internal server error";
    case 502:
      return "bad gateway";
    case 503:
      return "service unavailable";
    case 504:
      return "gateway timed out";
    default:
      break;
  }
  if (statusCode >= 100 && statusCode < 200) return "informational";
  if (statusCode >= 200 && statusCode < 300) return "success";
  if (statusCode >= 300 && statusCode < 400) return "redirected";
  if (statusCode >= 400 && statusCode < 500) return "client error";
  return "server error";
}

}  // namespace platform
