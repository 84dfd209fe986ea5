#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "images/WIImageTypes.h"
#include "platform/foundation/Types.h"
#include "platform/foundation/URL.h"
#include "platform/net/HTTPHeaderFields.h"

namespace sprout {

// Unsigned bit set produced by the manager from its own options; combine with `|`.
enum WIImageDownloaderOptions : std::uint32_t {
  WIImageDownloaderLowPriority = 1u << 0,
  WIImageDownloaderProgressiveDownload = 1u << 1,
  WIImageDownloaderUseNSURLCache = 1u << 2,
  WIImageDownloaderIgnoreCachedResponse = 1u << 3,
  WIImageDownloaderContinueInBackground = 1u << 4,
  WIImageDownloaderHandleCookies = 1u << 5,
  WIImageDownloaderAllowInvalidSSLCertificates = 1u << 6,
  WIImageDownloaderHighPriority = 1u << 7,
};

inline WIImageDownloaderOptions operator|(WIImageDownloaderOptions a, WIImageDownloaderOptions b) {
  return static_cast<WIImageDownloaderOptions>(static_cast<std::uint32_t>(a) |
                                               static_cast<std::uint32_t>(b));
}

enum WIImageDownloaderExecutionOrder : std::int32_t {
  WIImageDownloaderFIFOExecutionOrder = 0,
  WIImageDownloaderLIFOExecutionOrder = 1,
};

// data is nullopt when there is none; image may be null. `finished` is false only for the
// partial images of a progressive download.
using WIImageDownloaderCompletedBlock =
    std::function<void(const ImagePtr& image, const std::optional<platform::Data>& data,
                       const OptionalError& error, bool finished)>;
// The whole header set to send for `url`, given a copy of the downloader's headers.
using WIImageDownloaderHeadersFilterBlock = std::function<platform::HTTPHeaderFields(
    const platform::URL& url, const platform::HTTPHeaderFields& headers)>;

inline constexpr char kWIImageDownloadStartNotification[] = "WIImageDownloadStartNotification";
inline constexpr char kWIImageDownloadReceiveResponseNotification[] =
    "WIImageDownloadReceiveResponseNotification";
inline constexpr char kWIImageDownloadStopNotification[] = "WIImageDownloadStopNotification";
inline constexpr char kWIImageDownloadFinishNotification[] = "WIImageDownloadFinishNotification";

}  // namespace sprout
