#include "platform/net/URLRequest.h"

#include <algorithm>
#include <cctype>

namespace platform {

URLRequest::URLRequest(URL url) : url_(std::move(url)) {}

URLRequest::URLRequest(URL url, URLRequestCachePolicy cachePolicy, TimeInterval timeoutInterval)
    : url_(std::move(url)), cachePolicy_(cachePolicy) {
  setTimeoutInterval(timeoutInterval);
}

void URLRequest::setTimeoutInterval(TimeInterval seconds) {
  // A non-positive or absurd value would either never fire or fire at once; keep the default.
  timeoutInterval_ = (seconds > 0 && seconds < 1e9) ? seconds : kDefaultTimeoutInterval;
  timeoutSet_ = true;
}

void URLRequest::setHTTPMethod(std::string method) {
  std::transform(method.begin(), method.end(), method.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  method_ = method.empty() ? "GET" : std::move(method);
}

std::optional<std::string> URLRequest::valueForHTTPHeaderField(const std::string& field) const {
  auto it = headers_.find(field);
  if (it == headers_.end()) return std::nullopt;
  return it->second;
}

void URLRequest::setValue(std::optional<std::string> value, const std::string& field) {
  if (!value) {
    headers_.erase(field);
    return;
  }
  // Replace the key too, so the spelling of the latest setter is what goes on the wire.
  headers_.erase(field);
  headers_.emplace(field, std::move(*value));
}

void URLRequest::addValue(const std::string& value, const std::string& field) {
  auto it = headers_.find(field);
  if (it == headers_.end()) {
    headers_.emplace(field, value);
  } else {
    it->second += ", " + value;
  }
}

bool URLRequest::operator==(const URLRequest& other) const {
  return url_ == other.url_ && cachePolicy_ == other.cachePolicy_ &&
         timeoutInterval_ == other.timeoutInterval_ && method_ == other.method_ &&
         body_ == other.body_ && headers_ == other.headers_ &&
         handleCookies_ == other.handleCookies_ && pipelining_ == other.pipelining_;
}

}  // namespace platform
