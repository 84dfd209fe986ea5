#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/Image.h"

namespace sprout {

// Decoding failures of the image subsystem that are not the platform decoder's own errors.
inline constexpr char kWIImageErrorDomain[] = "WIImageErrorDomain";

// Unsigned bit set: callers combine options with `|`.
enum WIImageOptions : std::uint32_t {
  WIImageRetryFailed = 1u << 0,
  WIImageLowPriority = 1u << 1,
  WIImageCacheMemoryOnly = 1u << 2,
  WIImageProgressiveDownload = 1u << 3,
  WIImageRefreshCached = 1u << 4,
  WIImageContinueInBackground = 1u << 5,
  WIImageHandleCookies = 1u << 6,
  WIImageAllowInvalidSSLCertificates = 1u << 7,
  WIImageHighPriority = 1u << 8,
  WIImageDelayPlaceholder = 1u << 9,
  WIImageTransformAnimatedImage = 1u << 10,
  WIImageAvoidAutoSetImage = 1u << 11,
};

inline WIImageOptions operator|(WIImageOptions a, WIImageOptions b) {
  return static_cast<WIImageOptions>(static_cast<std::uint32_t>(a) | static_cast<std::uint32_t>(b));
}

enum WIImageCacheType : std::int32_t {
  WIImageCacheTypeNone = 0,  // downloaded, or no image at all
  WIImageCacheTypeDisk = 1,
  WIImageCacheTypeMemory = 2,
};

using ImagePtr = std::shared_ptr<platform::Image>;
using OptionalError = std::optional<platform::Error>;
using OptionalURL = std::optional<platform::URL>;

// `finished` is false only for the partial images of a progressive download.
using WIImageCompletionWithFinishedBlock =
    std::function<void(const ImagePtr& image, const OptionalError& error,
                       WIImageCacheType cacheType, bool finished, const OptionalURL& imageURL)>;
using WIImageCompletionBlock =
    std::function<void(const ImagePtr& image, const OptionalError& error,
                       WIImageCacheType cacheType, const OptionalURL& imageURL)>;
using WIImageDownloaderProgressBlock = std::function<void(long receivedSize, long expectedSize)>;
using WIImageCacheKeyFilterBlock = std::function<std::string(const platform::URL& url)>;
using WIImageNoParamsBlock = std::function<void()>;
// The older completion without the URL; kept only for the deprecated bridge.
using WIImageCompletedWithFinishedBlock = std::function<void(
    const ImagePtr& image, const OptionalError& error, WIImageCacheType cacheType, bool finished)>;

}  // namespace sprout
