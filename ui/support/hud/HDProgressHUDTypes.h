#pragma once

#include <cstdint>

namespace sprout {

enum class HDProgressHUDStyle : std::int64_t { Light = 0, Dark = 1, Custom = 2 };

// None lets touches through to the app; every other type makes the overlay take them.
enum class HDProgressHUDMaskType : std::uint64_t {
  None = 1,
  Clear = 2,
  Black = 3,
  Gradient = 4,
  Custom = 5
};

// Flat: the arc spinner; any other value: the platform's activity indicator.
enum class HDProgressHUDAnimationType : std::uint64_t { Flat = 0, Native = 1 };

// Added to the panel's centre, in points.
struct HDProgressHUDOffset {
  double horizontal = 0;
  double vertical = 0;
  bool operator==(const HDProgressHUDOffset&) const = default;
};

inline constexpr const char* kHDProgressHUDWillAppearNotification =
    "HDProgressHUDWillAppearNotification";
inline constexpr const char* kHDProgressHUDDidAppearNotification =
    "HDProgressHUDDidAppearNotification";
inline constexpr const char* kHDProgressHUDWillDisappearNotification =
    "HDProgressHUDWillDisappearNotification";
inline constexpr const char* kHDProgressHUDDidDisappearNotification =
    "HDProgressHUDDidDisappearNotification";
inline constexpr const char* kHDProgressHUDDidReceiveTouchEventNotification =
    "HDProgressHUDDidReceiveTouchEventNotification";
inline constexpr const char* kHDProgressHUDDidTouchDownInsideNotification =
    "HDProgressHUDDidTouchDownInsideNotification";
inline constexpr const char* kHDProgressHUDStatusUserInfoKey = "HDProgressHUDStatusUserInfoKey";

}  // namespace sprout
