#pragma once

#include <cstdint>
#include <string>

#include "platform/foundation/URL.h"

namespace platform {

// What any URL load answers with; HTTPURLResponse adds the status and header fields.
class URLResponse {
 public:
  static constexpr std::int64_t kUnknownLength = -1;

  URLResponse(URL url, std::string mimeType, std::int64_t expectedContentLength,
              std::string textEncodingName);
  virtual ~URLResponse();

  const URL& url() const { return url_; }
  const std::string& MIMEType() const { return mimeType_; }
  // Bytes announced for the body, kUnknownLength when the response does not tell.
  std::int64_t expectedContentLength() const { return expectedContentLength_; }
  const std::string& textEncodingName() const { return textEncodingName_; }
  // The URL's last path component, or "Unknown" when it has none.
  std::string suggestedFilename() const;

 private:
  URL url_;
  std::string mimeType_;
  std::int64_t expectedContentLength_;
  std::string textEncodingName_;
};

}  // namespace platform
