#pragma once

#include <string>

#include "platform/foundation/Error.h"

namespace platform {

inline constexpr char kImageErrorDomain[] = "SproutImageErrorDomain";

namespace ImageError {
constexpr long UnknownFormat = 1;
constexpr long Truncated = 2;
constexpr long Corrupt = 3;
constexpr long TooLarge = 4;
constexpr long TooManyFrames = 5;
constexpr long FrameOutOfRange = 6;
constexpr long Unsupported = 7;
constexpr long EncodeFailed = 8;
}  // namespace ImageError

// An error in kImageErrorDomain whose localizedDescription is `description`.
inline Error imageError(long code, std::string description) {
  return Error::make(kImageErrorDomain, code, std::move(description));
}

}  // namespace platform
