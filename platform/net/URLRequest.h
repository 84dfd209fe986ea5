#pragma once

#include <optional>
#include <string>

#include "platform/foundation/Types.h"
#include "platform/foundation/URL.h"
#include "platform/net/HTTPHeaderFields.h"

namespace platform {

enum class URLRequestCachePolicy : unsigned {
  UseProtocolCachePolicy = 0,
  ReloadIgnoringLocalCacheData = 1,
  ReturnCacheDataElseLoad = 2,
  ReturnCacheDataDontLoad = 3,
};

// What to load and how; a plain value, copied into every task made from it. The request sends
// exactly the header fields set here (plus those the transport needs: Host, the content encodings
// it can decode, cookies and validators when asked for).
class URLRequest {
 public:
  static constexpr TimeInterval kDefaultTimeoutInterval = 60.0;

  // Without a timeout the session's configured one applies.
  explicit URLRequest(URL url);
  URLRequest(URL url, URLRequestCachePolicy cachePolicy, TimeInterval timeoutInterval);

  const URL& url() const { return url_; }
  void setURL(URL url) { url_ = std::move(url); }
  URLRequestCachePolicy cachePolicy() const { return cachePolicy_; }
  void setCachePolicy(URLRequestCachePolicy policy) { cachePolicy_ = policy; }

  // Seconds without any byte moving before the load fails with TimedOut; not a total duration.
  TimeInterval timeoutInterval() const { return timeoutInterval_; }
  void setTimeoutInterval(TimeInterval seconds);
  bool hasExplicitTimeoutInterval() const { return timeoutSet_; }

  const std::string& HTTPMethod() const { return method_; }
  void setHTTPMethod(std::string method);
  const std::optional<Data>& HTTPBody() const { return body_; }
  void setHTTPBody(std::optional<Data> body) { body_ = std::move(body); }

  const HTTPHeaderFields& allHTTPHeaderFields() const { return headers_; }
  void setAllHTTPHeaderFields(HTTPHeaderFields fields) { headers_ = std::move(fields); }
  std::optional<std::string> valueForHTTPHeaderField(const std::string& field) const;
  // nullopt removes the field.
  void setValue(std::optional<std::string> value, const std::string& field);
  // Appends to an existing value with ", ".
  void addValue(const std::string& value, const std::string& field);

  bool HTTPShouldHandleCookies() const { return handleCookies_; }
  void setHTTPShouldHandleCookies(bool handle) { handleCookies_ = handle; }
  // Kept for callers that state it; HTTP/1.1 pipelining is never used on the wire.
  bool HTTPShouldUsePipelining() const { return pipelining_; }
  void setHTTPShouldUsePipelining(bool use) { pipelining_ = use; }

  bool operator==(const URLRequest& other) const;

 private:
  URL url_;
  URLRequestCachePolicy cachePolicy_ = URLRequestCachePolicy::UseProtocolCachePolicy;
  TimeInterval timeoutInterval_ = kDefaultTimeoutInterval;
  bool timeoutSet_ = false;
  std::string method_ = "GET";
  std::optional<Data> body_;
  HTTPHeaderFields headers_;
  bool handleCookies_ = true;
  bool pipelining_ = false;
};

}  // namespace platform
