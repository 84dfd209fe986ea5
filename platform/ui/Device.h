#pragma once

#include <cstddef>
#include <string>

namespace platform {

inline constexpr char kDeviceOrientationDidChangeNotification[] =
    "UIDeviceOrientationDidChangeNotification";

enum class DeviceOrientation {
  Unknown = 0,
  Portrait = 1,
  PortraitUpsideDown = 2,
  LandscapeLeft = 3,
  LandscapeRight = 4,
  FaceUp = 5,
  FaceDown = 6
};

// The device the app runs on. There are no sensors or speakers here: setOrientation stands in for
// the device being turned, and input clicks are counted instead of heard. Main thread only.
class Device {
 public:
  static Device& current();

  DeviceOrientation orientation() const { return orientation_; }
  // A change posts kDeviceOrientationDidChangeNotification (no object) while orientation
  // notifications are being generated; the orientation changes either way.
  void setOrientation(DeviceOrientation orientation);
  // Nested: notifications are generated until every begin has its end.
  void beginGeneratingDeviceOrientationNotifications() { ++generating_; }
  void endGeneratingDeviceOrientationNotifications() {
    if (generating_ > 0) --generating_;
  }
  bool isGeneratingDeviceOrientationNotifications() const { return generating_ > 0; }

  // The platform version the system behaves as ("13.0").
  const std::string& systemVersion() const { return systemVersion_; }
  const std::string& systemName() const { return systemName_; }

  void playInputClick() { ++inputClicks_; }
  std::size_t inputClickCount() const { return inputClicks_; }

  void resetForTesting();

 private:
  Device() = default;

  DeviceOrientation orientation_ = DeviceOrientation::Portrait;
  int generating_ = 0;
  std::size_t inputClicks_ = 0;
  std::string systemVersion_ = "13.0";
  std::string systemName_ = "Sprout";
};

}  // namespace platform
