#include "platform/net/HTTPRedirect.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <memory>

namespace platform::HTTPRedirect {
namespace {

struct URLHandleCloser {
  void operator()(CURLU* handle) const { curl_url_cleanup(handle); }
};

std::string lowercase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

int effectivePort(const URL& url) {
  return url.port().value_or(lowercase(url.scheme()) == "https" ? 443 : 80);
}

}  // namespace

bool isRedirect(long status, const HTTPHeaderFields& fields) {
  return status >= 300 && status < 400 && status != 304 && fields.count("Location") > 0;
}

std::optional<URL> resolve(const URL& base, const std::string& location) {
  // libcurl's URL parser resolves relative references as the client it is will send them.
  std::unique_ptr<CURLU, URLHandleCloser> handle(curl_url());
  if (!handle ||
      curl_url_set(handle.get(), CURLUPART_URL, base.absoluteString().c_str(), 0) != CURLUE_OK ||
      curl_url_set(handle.get(), CURLUPART_URL, location.c_str(), CURLU_URLENCODE) != CURLUE_OK) {
    return std::nullopt;
  }
  char* text = nullptr;
  if (curl_url_get(handle.get(), CURLUPART_URL, &text, 0) != CURLUE_OK || !text) {
    return std::nullopt;
  }
  std::optional<URL> url = URL::parse(text);
  curl_free(text);
  if (!url) return std::nullopt;
  const std::string scheme = lowercase(url->scheme());
  if ((scheme != "http" && scheme != "https") || url->host().empty()) return std::nullopt;
  return url;
}

bool crossesOrigin(const URL& from, const URL& to) {
  return lowercase(from.scheme()) != lowercase(to.scheme()) ||
         lowercase(from.host()) != lowercase(to.host()) || effectivePort(from) != effectivePort(to);
}

URLRequest nextRequest(const URLRequest& current, long status, const URL& target) {
  URLRequest next = current;
  next.setURL(target);
  const std::string& method = current.HTTPMethod();
  const bool toGet = (status == 303 && method != "HEAD" && method != "GET") ||
                     ((status == 301 || status == 302) && method == "POST");
  if (toGet) {
    next.setHTTPMethod("GET");
    next.setHTTPBody(std::nullopt);
    next.setValue(std::nullopt, "Content-Type");
    next.setValue(std::nullopt, "Content-Length");
  }
  if (crossesOrigin(current.url(), target)) {
    next.setValue(std::nullopt, "Authorization");
    next.setValue(std::nullopt, "Cookie");
  }
  return next;
}

}  // namespace platform::HTTPRedirect
