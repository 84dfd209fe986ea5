#pragma once

namespace platform {

inline constexpr char kAssetsLibraryErrorDomain[] = "ALAssetsLibraryErrorDomain";
inline constexpr long kAssetsLibraryUnknownError = -3300;
inline constexpr long kAssetsLibraryWriteFailedError = -3301;
inline constexpr long kAssetsLibraryDataUnavailableError = -3310;
inline constexpr long kAssetsLibraryAccessUserDeniedError = -3311;
inline constexpr long kAssetsLibraryAccessGloballyDeniedError = -3312;

}  // namespace platform
