#include "tests/support/Stage.h"

#include "platform/foundation/FileManager.h"
#include "platform/foundation/TimeZone.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/media/CaptureDevice.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Device.h"
#include "platform/ui/KeyboardSimulator.h"
#include "platform/ui/controllers/AlertController.h"

namespace platform::test {

Stage::Stage(TimeInterval now) : clock(now) { resetShared(); }

Stage::Stage(const Rect& screen, std::optional<double> scale, TimeInterval now)
    : screen_(screen, scale), clock(now) {
  resetShared();
}

Stage::~Stage() {
  // What the test left queued (a display pass among it) runs while its windows still stand.
  loop.runPending();
  loop.invalidateAllTimers();
  resetShared();
  TimeZone::setDefaultTimeZone(std::nullopt);
  const bool hadHome = home_ != nullptr;
  home_.reset();
  FileManager::setHomeDirectory(outerHome_);
  if (hadHome) UserDefaults::resetStandardForTesting();  // the defaults of the home that is back
}

void Stage::setTimeZone(const std::string& name) {
  TimeZone::setDefaultTimeZone(TimeZone::named(name));
}

const std::string& Stage::makeHome(const std::string& prefix) {
  home_.reset();  // homes nest: the one before goes first
  home_ = std::make_unique<TemporaryHome>(prefix);
  return home_->path();
}

void Stage::resetShared() {
  KeyboardSimulator::shared().reset();
  ApplicationWindows::shared().reset();
  CaptureDevice::resetDevices();
  Device::current().resetForTesting();
  AlertController::clearPresentations();
}

}  // namespace platform::test
