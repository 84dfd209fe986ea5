#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/foundation/Types.h"
#include "platform/graphics/Image.h"
#include "ui/support/hud/HDProgressHUD.h"
#include "ui/support/hud/HDProgressHUDSettings.h"
#include "ui/support/hud/HDProgressHUDTypes.h"

namespace sprout {

// The owner of one HUD: makes the view on first use (framed by the app's window), stores the
// appearance into it, and queues shows, dismissals and pops on the main operation queue, where
// they run in call order and never inside the call. HDProgressHUD's class-level calls forward to
// shared(); a test makes a center of its own with a Scope.
//
// Callable from any thread. The view belongs to the main thread, so from another thread making
// it, the appearance setters, setStatus and the reads run there while the caller waits.
class HDProgressHUDCenter {
 public:
  using Status = HDProgressHUD::Status;
  using OwnImage = std::shared_ptr<platform::Image> HDProgressHUDSettings::*;

  HDProgressHUDCenter() = default;
  // Its view leaves the screen at once; its timer and observations end, and work still queued
  // for it does nothing.
  ~HDProgressHUDCenter();
  HDProgressHUDCenter(const HDProgressHUDCenter&) = delete;
  HDProgressHUDCenter& operator=(const HDProgressHUDCenter&) = delete;

  // The center the class-level calls act on: the process's own (never destroyed), or the one
  // the innermost live Scope put in its place.
  static HDProgressHUDCenter& shared();

  // A center of its own in the shared place while it lives (below).
  class Scope;

  std::shared_ptr<HDProgressHUD> view();

  // Stores one appearance value; it takes effect at the next show or layout.
  template <class T>
  void set(T HDProgressHUDSettings::*field, T value) {
    onMain([&](HDProgressHUD& hud) { hud.settings_.*field = std::move(value); });
  }
  // At once: the new text and the panel sized to it.
  void setStatus(const Status& status);

  // A spinner (negative or not-a-number progress) or a ring; the mask, when given, for this show
  // only.
  void showProgress(float progress, Status status,
                    std::optional<HDProgressHUDMaskType> maskType = std::nullopt);
  // An image for displayDurationForString(status) seconds, then dismissed.
  void showImage(std::shared_ptr<platform::Image> image, Status status,
                 std::optional<HDProgressHUDMaskType> maskType = std::nullopt);
  // One of the HUD's own images (info, success, error), as it is at the call.
  void showImage(OwnImage image, Status status,
                 std::optional<HDProgressHUDMaskType> maskType = std::nullopt);
  void popActivity();
  void dismissWithDelay(platform::TimeInterval delay);

  bool isVisible();
  platform::TimeInterval displayDurationForString(const Status& string);

 private:
  void onMain(const std::function<void(HDProgressHUD&)>& fn);

  std::mutex mutex_;
  std::shared_ptr<HDProgressHUD> view_;
};

// A center of its own in the shared place while it lives (a test's or a catalog scene's HUD);
// at its end the one before is back and its own HUD retires. Made and ended on the main
// thread, while no other thread calls the HUD.
class HDProgressHUDCenter::Scope {
 public:
  Scope();
  ~Scope();
  Scope(const Scope&) = delete;
  Scope& operator=(const Scope&) = delete;
  HDProgressHUDCenter& center() { return center_; }

 private:
  HDProgressHUDCenter center_;
  HDProgressHUDCenter* previous_;
};

}  // namespace sprout
