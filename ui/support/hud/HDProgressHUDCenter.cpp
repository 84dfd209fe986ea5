#include "ui/support/hud/HDProgressHUDCenter.h"

#include <algorithm>
#include <atomic>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/RunLoop.h"

namespace sprout {
namespace {

std::atomic<HDProgressHUDCenter*>& installed() {
  static std::atomic<HDProgressHUDCenter*> center{nullptr};
  return center;
}

std::size_t utf16Length(const std::string& text) {
  std::size_t units = 0;
  for (unsigned char byte : text) {
    if ((byte & 0xC0) == 0x80) continue;  // continuation bytes belong to their lead
    units += byte >= 0xF0 ? 2 : 1;        // beyond the basic plane: a surrogate pair
  }
  return units;
}

}  // namespace

HDProgressHUDCenter::~HDProgressHUDCenter() {
  if (view_) view_->retire();
}

HDProgressHUDCenter& HDProgressHUDCenter::shared() {
  if (auto* center = installed().load()) return *center;
  // Leaked on purpose: the process's HUD lives as long as the process.
  static auto* own = new HDProgressHUDCenter;
  return *own;
}

HDProgressHUDCenter::Scope::Scope() : previous_(installed().exchange(&center_)) {}

HDProgressHUDCenter::Scope::~Scope() { installed().store(previous_); }

std::shared_ptr<HDProgressHUD> HDProgressHUDCenter::view() {
  {
    std::lock_guard lock(mutex_);
    if (view_) return view_;
  }
  if (!platform::RunLoop::isMainThread()) {
    // Only the main thread makes it, so two threads never make two.
    std::shared_ptr<HDProgressHUD> made;
    platform::runOnMainSync([&made, this] { made = view(); });
    return made;
  }
  auto hud = HDProgressHUD::create(HDProgressHUD::appWindowBounds());
  std::lock_guard lock(mutex_);
  if (!view_) view_ = std::move(hud);
  return view_;
}

void HDProgressHUDCenter::onMain(const std::function<void(HDProgressHUD&)>& fn) {
  auto hud = view();
  if (platform::RunLoop::isMainThread()) {
    fn(*hud);
  } else {
    platform::runOnMainSync([&] { fn(*hud); });
  }
}

void HDProgressHUDCenter::setStatus(const Status& status) {
  onMain([&](HDProgressHUD& hud) {
    hud.setStatusText(status);
    hud.updateHUDFrame();
  });
}

void HDProgressHUDCenter::showProgress(float progress, Status status,
                                       std::optional<HDProgressHUDMaskType> maskType) {
  view()->enqueue([progress, status = std::move(status), maskType](HDProgressHUD& hud) {
    hud.runShowProgress(progress, status, maskType);
  });
}

void HDProgressHUDCenter::showImage(std::shared_ptr<platform::Image> image, Status status,
                                    std::optional<HDProgressHUDMaskType> maskType) {
  const platform::TimeInterval duration = displayDurationForString(status);
  view()->enqueue([image = std::move(image), status = std::move(status), duration, maskType](
                      HDProgressHUD& hud) { hud.runShowImage(image, status, duration, maskType); });
}

void HDProgressHUDCenter::showImage(OwnImage image, Status status,
                                    std::optional<HDProgressHUDMaskType> maskType) {
  std::shared_ptr<platform::Image> own;
  onMain([&](HDProgressHUD& hud) { own = hud.settings_.*image; });
  showImage(std::move(own), std::move(status), maskType);
}

void HDProgressHUDCenter::popActivity() {
  view()->enqueue([](HDProgressHUD& hud) { hud.runPopActivity(); });
}

void HDProgressHUDCenter::dismissWithDelay(platform::TimeInterval delay) {
  view()->queueDismiss(delay);
}

bool HDProgressHUDCenter::isVisible() {
  bool visible = false;
  onMain([&](HDProgressHUD& hud) { visible = hud.alpha() > 0; });
  return visible;
}

platform::TimeInterval HDProgressHUDCenter::displayDurationForString(const Status& string) {
  const float length = static_cast<float>(string ? utf16Length(*string) : 0);
  platform::TimeInterval minimum = 0;
  onMain([&](HDProgressHUD& hud) { minimum = hud.settings_.minimumDismissTimeInterval; });
  return std::max(length * 0.06 + 0.5, minimum);
}

}  // namespace sprout
