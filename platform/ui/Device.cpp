#include "platform/ui/Device.h"

#include "platform/foundation/NotificationCenter.h"

namespace platform {

Device& Device::current() {
  static Device* device = new Device;  // lives until exit
  return *device;
}

void Device::setOrientation(DeviceOrientation orientation) {
  if (orientation == orientation_) return;
  orientation_ = orientation;
  if (isGeneratingDeviceOrientationNotifications()) {
    NotificationCenter::defaultCenter().post(kDeviceOrientationDidChangeNotification);
  }
}

void Device::resetForTesting() {
  orientation_ = DeviceOrientation::Portrait;
  generating_ = 0;
  inputClicks_ = 0;
}

}  // namespace platform
