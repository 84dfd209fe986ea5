#include "images/WIImageContentType.h"

#include <cstring>

namespace sprout {

namespace {

// "RIFF", four little-endian size bytes, "WEBP". Compared as bytes: the size bytes are binary, so
// any reading of them as text would reject sizes with a byte of 0x80 or above.
bool isWebP(const std::uint8_t* bytes, std::size_t length) {
  return length >= 12 && std::memcmp(bytes, "RIFF", 4) == 0 &&
         std::memcmp(bytes + 8, "WEBP", 4) == 0;
}

}  // namespace

std::optional<std::string> wi_contentTypeForImageData(const std::uint8_t* bytes,
                                                      std::size_t length) {
  if (bytes == nullptr || length == 0) return std::nullopt;
  switch (bytes[0]) {
    case 0xFF:
      return "image/jpeg";
    case 0x89:
      return "image/png";
    case 0x47:
      return "image/gif";
    case 0x49:
    case 0x4D:
      return "image/tiff";
    case 0x52:
      if (isWebP(bytes, length)) return "image/webp";
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

std::optional<std::string> wi_contentTypeForImageData(const platform::Data& data) {
  return wi_contentTypeForImageData(data.data(), data.size());
}

std::optional<std::string> contentTypeForImageData(const platform::Data& data) {
  return wi_contentTypeForImageData(data);
}

}  // namespace sprout
