#include "platform/net/URLResponse.h"

namespace platform {

URLResponse::URLResponse(URL url, std::string mimeType, std::int64_t expectedContentLength,
                         std::string textEncodingName)
    : url_(std::move(url)),
      mimeType_(std::move(mimeType)),
      expectedContentLength_(expectedContentLength < 0 ? kUnknownLength : expectedContentLength),
      textEncodingName_(std::move(textEncodingName)) {}

URLResponse::~URLResponse() = default;

std::string URLResponse::suggestedFilename() const {
  std::string name = url_.lastPathComponent();
  if (name.empty() || name == "/") return "Unknown";
  return name;
}

}  // namespace platform
