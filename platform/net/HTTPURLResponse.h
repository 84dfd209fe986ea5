#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/net/HTTPHeaderFields.h"
#include "platform/net/URLResponse.h"

namespace platform {

class HTTPURLResponse : public URLResponse {
 public:
  // MIME type, text encoding and expected length come from the fields. The length is unknown
  // when there is no valid Content-Length or when a content coding is applied (the body handed
  // on is decoded, so the coded length would mislead progress).
  HTTPURLResponse(URL url, long statusCode, std::string httpVersion, HTTPHeaderFields fields,
                  std::vector<std::string> setCookieValues = {});

  long statusCode() const { return statusCode_; }
  const std::string& HTTPVersion() const { return httpVersion_; }
  const HTTPHeaderFields& allHeaderFields() const { return fields_; }
  std::optional<std::string> valueForHTTPHeaderField(const std::string& field) const;
  // Each Set-Cookie field as received (allHeaderFields joins them, which loses boundaries).
  const std::vector<std::string>& setCookieValues() const { return setCookies_; }

  static std::string localizedStringForStatusCode(long statusCode);

 private:
  long statusCode_;
  std::string httpVersion_;
  HTTPHeaderFields fields_;
  std::vector<std::string> setCookies_;
};

}  // namespace platform
