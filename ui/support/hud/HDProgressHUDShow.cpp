// Showing and dismissing: the queued operations, the fades, the activity
// count, the automatic dismissal and the notifications.
#include <algorithm>

#include "platform/animation/Transaction.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/ui/Accessibility.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/KeyboardSimulator.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "ui/support/hud/HDProgressHUD.h"

namespace sprout {

using platform::Image;
using platform::TimeInterval;
using platform::View;

namespace {

constexpr double kFadeInStartScale = 1.3;
constexpr float kFadeOutScale = 0.8f;

std::shared_ptr<platform::ActivityIndicatorView> asIndicator(const std::shared_ptr<View>& view) {
  return std::dynamic_pointer_cast<platform::ActivityIndicatorView>(view);
}

}  // namespace

// The queued operations.

void HDProgressHUD::showImage(std::shared_ptr<Image> image, const Status& status,
                              TimeInterval duration) {
  enqueue([image = std::move(image), status, duration](HDProgressHUD& hud) {
    hud.runShowImage(image, status, duration, std::nullopt);
  });
}

void HDProgressHUD::queueDismiss(TimeInterval delay) {
  enqueue([delay](HDProgressHUD& hud) { hud.runDismiss(delay); });
}

void HDProgressHUD::runShowProgress(float progress, const Status& status,
                                    std::optional<HDProgressHUDMaskType> maskType) {
  state_.maskType = maskType.value_or(settings_.defaultMaskType);
  updateViewHierachy();
  auto image = imageView();
  image->setHidden(true);
  image->setImage(nullptr);
  // A spinner or ring that replaces a pending image HUD starts counting afresh.
  if (state_.fadeOutTimer) state_.activityCount = 0;
  setFadeOutTimer(nullptr);
  setStatusText(status);
  state_.progress = progress;
  if (progress >= 0) {
    cancelIndefiniteAnimatedViewAnimation();
    auto panel = hudView();
    panel->addSubview(ringView());
    panel->addSubview(backgroundRingView());
    ringView()->setStrokeEnd(progress);
    if (progress == 0) ++state_.activityCount;
  } else {  // negative, or not a number
    cancelRingLayerAnimation();
    auto spinner = indefiniteAnimatedView();
    hudView()->addSubview(spinner);
    if (auto indicator = asIndicator(spinner)) indicator->startAnimating();
    ++state_.activityCount;
  }
  showStatus(status);
}

void HDProgressHUD::runShowImage(const std::shared_ptr<Image>& image, const Status& status,
                                 TimeInterval duration,
                                 std::optional<HDProgressHUDMaskType> maskType) {
  state_.maskType = maskType.value_or(settings_.defaultMaskType);
  updateViewHierachy();
  state_.progress = -1;
  cancelRingLayerAnimation();
  cancelIndefiniteAnimatedViewAnimation();
  // The image view draws templates in its tint, so the image itself is never redrawn.
  std::shared_ptr<Image> shown = image;
  if (image && image->renderingMode() != platform::ImageRenderingMode::AlwaysTemplate) {
    shown = image->imageWithRenderingMode(platform::ImageRenderingMode::AlwaysTemplate);
  }
  auto view = imageView();
  view->setTintColor(settings_.foregroundColorForStyle());
  view->setImage(std::move(shown));
  view->setHidden(false);
  setStatusText(status);
  showStatus(status);

  std::weak_ptr<HDProgressHUD> weak = std::static_pointer_cast<HDProgressHUD>(shared_from_this());
  // Common modes: the countdown goes on while the user scrolls.
  setFadeOutTimer(platform::RunLoop::main().scheduleTimer(duration, false,
                                                          [weak](platform::Timer&) {
                                                            if (auto hud = weak.lock())
                                                              hud->queueDismiss(0);
                                                          },
                                                          {platform::RunLoopMode::Common}));
}

void HDProgressHUD::runPopActivity() {
  if (state_.activityCount > 0) --state_.activityCount;
  if (state_.activityCount == 0) runDismiss(0);
}

void HDProgressHUD::showStatus(const Status& status) {
  updateHUDFrame();
  positionHUD(nullptr);
  auto overlay = overlayView();
  if (state_.maskType == HDProgressHUDMaskType::None) {
    overlay->setUserInteractionEnabled(false);  // touches reach the app below
    hudView()->setAccessibilityLabel(status.value_or(""));
    hudView()->setIsAccessibilityElement(true);
  } else {
    overlay->setUserInteractionEnabled(true);
    setAccessibilityLabel(status.value_or(""));
    setIsAccessibilityElement(true);
  }
  overlay->setBackgroundColor(platform::Color::clear());
  // A HUD that is already fully up only changes its content.
  if (alpha() != 1.0 || hudView()->alpha() != 1.0) fadeIn(status);
}

void HDProgressHUD::fadeIn(const Status& status) {
  post(kHDProgressHUDWillAppearNotification, true);
  auto panel = hudView();
  // The fade ends on exactly the transform it started from: scaling back by 1 / 1.3 in floats
  // would leave the panel a hair off 1, and everything in it resampled on every frame.
  const platform::AffineTransform shown = panel->transform();
  panel->setTransform(shown.scaledBy(kFadeInStartScale, kFadeInStartScale));
  setAlpha(0);
  panel->setAlpha(0);

  const std::uint64_t generation = ++state_.fadeGeneration;
  auto steps = [this, panel, shown] {
    panel->setTransform(shown);
    setAlpha(1);
    panel->setAlpha(1);
  };
  std::weak_ptr<HDProgressHUD> weak = std::static_pointer_cast<HDProgressHUD>(shared_from_this());
  auto completion = [weak, generation, status](bool /*finished*/) {
    auto hud = weak.lock();
    if (hud && hud->state_.fadeGeneration == generation) {
      hud->registerNotifications();
      hud->post(kHDProgressHUDDidAppearNotification, true);
    }
    // Whatever became of the HUD, the screen did change and the status is worth saying.
    platform::Accessibility::post(platform::AccessibilityNotification::ScreenChanged);
    platform::Accessibility::post(platform::AccessibilityNotification::Announcement, status);
  };
  if (settings_.fadeInAnimationDuration > 0) {
    View::animateWithDuration(settings_.fadeInAnimationDuration, 0,
                              platform::ViewAnimationOptionAllowUserInteraction |
                                  platform::ViewAnimationOptionBeginFromCurrentState,
                              steps, completion);
  } else {
    steps();
    completion(true);
  }
  setNeedsDisplay();
}

void HDProgressHUD::runDismiss(TimeInterval delay) {
  auto panel = hudView();
  if (alpha() == 0 && panel->alpha() == 0) return;
  post(kHDProgressHUDWillDisappearNotification, false);
  state_.activityCount = 0;

  const std::uint64_t generation = ++state_.fadeGeneration;
  auto steps = [this, panel] {
    panel->setTransform(panel->transform().scaledBy(kFadeOutScale, kFadeOutScale));
    setAlpha(0);
    panel->setAlpha(0);
  };
  auto hud = std::static_pointer_cast<HDProgressHUD>(shared_from_this());
  auto completion = [hud, generation](bool /*finished*/) {
    if (hud->state_.fadeGeneration == generation) hud->finishFadeOut();
  };
  if (settings_.fadeOutAnimationDuration > 0) {
    View::animateWithDuration(settings_.fadeOutAnimationDuration, delay,
                              platform::ViewAnimationOptionLayoutSubviews |
                                  platform::ViewAnimationOptionAllowUserInteraction |
                                  platform::ViewAnimationOptionBeginFromCurrentState,
                              steps, completion);
  } else {
    steps();
    completion(true);
  }
  setNeedsDisplay();
}

void HDProgressHUD::finishFadeOut() {
  if (const auto& overlay = parts_.madeOverlayView()) overlay->removeFromSuperview();
  if (const auto& panel = parts_.madeHUDView()) panel->removeFromSuperview();
  removeFromSuperview();
  state_.progress = -1;
  cancelRingLayerAnimation();
  cancelIndefiniteAnimatedViewAnimation();
  platform::NotificationCenter::defaultCenter().removeObserver(this);
  post(kHDProgressHUDDidDisappearNotification, true);
  if (auto key = platform::ApplicationWindows::shared().keyWindow()) {
    if (auto root = key->rootViewController()) root->setNeedsStatusBarAppearanceUpdate();
  }
  platform::Accessibility::post(platform::AccessibilityNotification::ScreenChanged);
}

void HDProgressHUD::setStatusText(const Status& status) {
  statusLabel()->setText(status.value_or(""));
  state_.status = status;
}

void HDProgressHUD::setFadeOutTimer(std::shared_ptr<platform::Timer> timer) {
  if (state_.fadeOutTimer) state_.fadeOutTimer->invalidate();
  state_.fadeOutTimer = std::move(timer);
}

void HDProgressHUD::registerNotifications() {
  auto& center = platform::NotificationCenter::defaultCenter();
  center.removeObserver(this);  // a fade-in after an interrupted fade-out finds them in place
  std::weak_ptr<HDProgressHUD> weak = std::static_pointer_cast<HDProgressHUD>(shared_from_this());
  auto reposition = [weak](const platform::Notification& notification) {
    auto place = [weak, notification] {
      if (auto hud = weak.lock()) hud->positionHUD(&notification);
    };
    // Views belong to the main thread, whoever posted.
    if (platform::RunLoop::isMainThread()) {
      place();
    } else {
      platform::RunLoop::main().post(place);
    }
  };
  for (const char* name :
       {static_cast<const char*>(platform::kApplicationDidChangeStatusBarOrientationNotification),
        platform::kKeyboardWillHideNotification, platform::kKeyboardDidHideNotification,
        platform::kKeyboardWillShowNotification, platform::kKeyboardDidShowNotification,
        static_cast<const char*>(platform::kApplicationDidBecomeActiveNotification)}) {
    center.addObserver(this, name, nullptr, reposition);
  }
}

platform::Dictionary HDProgressHUD::notificationUserInfo() const {
  platform::Dictionary info;
  if (state_.status) info[kHDProgressHUDStatusUserInfoKey] = *state_.status;
  return info;
}

void HDProgressHUD::post(const char* name, bool withObject) {
  std::shared_ptr<void> object;
  if (withObject) object = std::static_pointer_cast<HDProgressHUD>(shared_from_this());
  platform::NotificationCenter::defaultCenter().post(name, std::move(object),
                                                     notificationUserInfo());
}

void HDProgressHUD::overlayViewDidReceiveTouchEvent() {
  post(kHDProgressHUDDidReceiveTouchEventNotification, true);
  const platform::Event* event =
      parts_.madeOverlayView() ? parts_.madeOverlayView()->currentEvent() : nullptr;
  if (!event || event->touches.empty()) return;
  const platform::Point p = event->touches.front()->locationInView(this);
  if (platform::contains(hudView()->frame(), p)) {
    post(kHDProgressHUDDidTouchDownInsideNotification, true);
  }
}

void HDProgressHUD::updateViewHierachy() {
  auto overlay = overlayView();
  if (auto parent = overlay->superview()) {
    parent->bringSubviewToFront(overlay.get());
  } else {
    const auto windows = platform::ApplicationWindows::shared().windows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
      const auto& window = *it;
      if (!window->isHidden() && window->alpha() > 0 &&
          window->windowLevel() == platform::kWindowLevelNormal) {
        window->addSubview(overlay);
        break;
      }
    }
  }
  if (!superview()) overlay->addSubview(std::static_pointer_cast<View>(shared_from_this()));
  auto panel = hudView();
  if (!panel->superview()) addSubview(panel);
}

void HDProgressHUD::cancelRingLayerAnimation() {
  platform::Transaction::begin();
  platform::Transaction::setDisableActions(true);
  hudView()->layer()->removeAllAnimations();
  ringView()->setStrokeEnd(0);
  platform::Transaction::commit();
  ringView()->removeFromSuperview();
  backgroundRingView()->removeFromSuperview();
}

void HDProgressHUD::cancelIndefiniteAnimatedViewAnimation() {
  auto spinner = indefiniteAnimatedView();
  if (auto indicator = asIndicator(spinner)) indicator->stopAnimating();
  spinner->removeFromSuperview();
}

}  // namespace sprout
