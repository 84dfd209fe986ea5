#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/foundation/Types.h"

namespace sprout {

// MIME type of image bytes judged by their signature alone: "image/jpeg", "image/png", "image/gif",
// "image/tiff", "image/webp", or nullopt for anything else (and for no bytes at all).
std::optional<std::string> wi_contentTypeForImageData(const platform::Data& data);
std::optional<std::string> wi_contentTypeForImageData(const std::uint8_t* bytes,
                                                      std::size_t length);

// Older name of the same test.
std::optional<std::string> contentTypeForImageData(const platform::Data& data);

}  // namespace sprout
