#include "platform/net/HTTPCookie.h"

#include <cctype>

#include "platform/net/HTTPHeaderFields.h"
#include "platform/net/HTTPHeaderValues.h"

namespace platform {
namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string lowercase(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool isIPAddress(const std::string& host) {
  if (host.find(':') != std::string::npos) return true;  // IPv6
  for (char c : host) {
    if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.') return false;
  }
  return !host.empty();
}

// RFC 6265 §5.1.3
bool domainMatches(const std::string& host, const std::string& domain) {
  if (host == domain) return true;
  if (isIPAddress(host) || host.size() <= domain.size()) return false;
  return host.compare(host.size() - domain.size(), domain.size(), domain) == 0 &&
         host[host.size() - domain.size() - 1] == '.';
}

// RFC 6265 §5.1.4
std::string defaultPath(const URL& url) {
  const std::string& path = url.percentEncodedPath();
  if (path.empty() || path[0] != '/') return "/";
  const std::size_t slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool pathMatches(const std::string& requestPath, const std::string& cookiePath) {
  if (requestPath == cookiePath) return true;
  if (requestPath.compare(0, cookiePath.size(), cookiePath) != 0) return false;
  return cookiePath.back() == '/' || requestPath[cookiePath.size()] == '/';
}

bool isAllowedValueChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 0x20 && u != 0x7f && c != ';';
}

}  // namespace

HTTPCookie::HTTPCookie(std::string name, std::string value, std::string_view domain,
                       std::string path, std::optional<TimeInterval> expiresDate, bool secure,
                       bool httpOnly, bool hostOnly)
    : name_(std::move(name)),
      value_(std::move(value)),
      domain_(lowercase(domain)),
      path_(path.empty() || path[0] != '/' ? "/" : std::move(path)),
      expires_(expiresDate),
      secure_(secure),
      httpOnly_(httpOnly),
      hostOnly_(hostOnly) {
  while (!domain_.empty() && domain_.front() == '.') domain_.erase(0, 1);
}

std::optional<HTTPCookie> HTTPCookie::parseSetCookie(std::string_view text, const URL& url,
                                                     TimeInterval now) {
  const std::string host = lowercase(url.host());
  if (host.empty()) return std::nullopt;
  const std::size_t semicolon = text.find(';');
  const std::string_view pair = text.substr(0, semicolon);
  const std::size_t equals = pair.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  const std::string_view name = trim(pair.substr(0, equals));
  const std::string_view value = trim(pair.substr(equals + 1));
  if (name.empty() || name.size() + value.size() > kMaxLength) return std::nullopt;
  for (char c : name) {
    if (!isAllowedValueChar(c) || c == '=') return std::nullopt;
  }
  for (char c : value) {
    if (!isAllowedValueChar(c)) return std::nullopt;
  }

  std::string domain;
  std::string path;
  std::optional<TimeInterval> expires;
  std::optional<TimeInterval> maxAgeExpiry;
  bool secure = false;
  bool httpOnly = false;
  std::string_view rest =
      semicolon == std::string_view::npos ? std::string_view() : text.substr(semicolon + 1);
  while (!rest.empty()) {
    const std::size_t next = rest.find(';');
    const std::string_view attribute = rest.substr(0, next);
    rest = next == std::string_view::npos ? std::string_view() : rest.substr(next + 1);
    const std::size_t eq = attribute.find('=');
    const std::string key = lowercase(trim(attribute.substr(0, eq)));
    const std::string_view argument =
        eq == std::string_view::npos ? std::string_view() : trim(attribute.substr(eq + 1));
    if (key == "expires") {
      if (auto date = parseCookieDate(argument)) expires = *date;
    } else if (key == "max-age") {
      // A leading '-' means "already expired"; anything else unreadable is ignored.
      const bool negative = !argument.empty() && argument[0] == '-';
      auto seconds = parseContentLength(negative ? argument.substr(1) : argument);
      if (seconds) maxAgeExpiry = negative ? now - 1 : now + static_cast<TimeInterval>(*seconds);
    } else if (key == "domain" && !argument.empty()) {
      domain = lowercase(argument);
      while (!domain.empty() && domain.front() == '.') domain.erase(0, 1);
    } else if (key == "path" && !argument.empty() && argument[0] == '/') {
      path = std::string(argument);
    } else if (key == "secure") {
      secure = true;
    } else if (key == "httponly") {
      httpOnly = true;
    }
  }

  bool hostOnly = domain.empty();
  if (hostOnly) {
    domain = host;
  } else if (!domainMatches(host, domain) ||
             (domain.find('.') == std::string::npos && domain != host)) {
    return std::nullopt;  // a host may not set cookies for another site or a bare TLD
  }
  if (path.empty()) path = defaultPath(url);
  return HTTPCookie(std::string(name), std::string(value), domain, path,
                    maxAgeExpiry ? maxAgeExpiry : expires, secure, httpOnly, hostOnly);
}

bool HTTPCookie::matchesURL(const URL& url) const {
  const std::string host = lowercase(url.host());
  if (hostOnly_ ? host != domain_ : !domainMatches(host, domain_)) return false;
  if (secure_ && lowercase(url.scheme()) != "https") return false;
  std::string requestPath = url.percentEncodedPath();
  if (requestPath.empty()) requestPath = "/";
  return pathMatches(requestPath, path_);
}

bool HTTPCookie::sameIdentity(const HTTPCookie& other) const {
  return name_ == other.name_ && domain_ == other.domain_ && path_ == other.path_;
}

}  // namespace platform
