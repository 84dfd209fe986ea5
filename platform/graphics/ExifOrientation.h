#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace platform {

// The Orientation tag (1...8) of IFD0 in a JPEG APP1 payload that starts with "Exif\0\0".
// nullopt when the payload is no EXIF, has no such tag, or the value is out of range.
std::optional<int> exifOrientationFromApp1(const std::uint8_t* payload, std::size_t length);

}  // namespace platform
