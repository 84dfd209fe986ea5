#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/dispatch/Timer.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"
#include "ui/support/hud/HDOverlayControl.h"
#include "ui/support/hud/HDProgressAnimatedView.h"
#include "ui/support/hud/HDProgressHUDParts.h"
#include "ui/support/hud/HDProgressHUDSettings.h"
#include "ui/support/hud/HDProgressHUDState.h"
#include "ui/support/hud/HDProgressHUDTypes.h"

namespace sprout {

// The one application-wide status overlay: a rounded panel in the middle of the screen showing a
// spinner, a progress ring or a small image with an optional status text, over an optional mask.
// The class-level calls act on the HUD of HDProgressHUDCenter::shared(), each a one-line forward
// to that owner, which makes the view and queues its work. The instance keeps its appearance as a
// settings value, its views in HDProgressHUDParts and what it is showing in HDProgressHUDState;
// callers read them, only the HUD and its owner change them.
//
// Shows, image shows, dismissals and popActivity queue their work on the main operation queue,
// so they take effect on the main thread in call order and never inside the call. The
// appearance setters and setStatus act at once (from another thread they run on the main thread
// while the caller waits; views belong to the main thread). An appearance value takes effect at
// the next show or layout.
//
// The HUD view is this object (as large as the app's window, carrying the mask); the panel is
// hudView(). Statuses are UTF-8; std::nullopt is "no text".
class HDProgressHUD : public platform::View {
 public:
  using Status = std::optional<std::string>;

  static std::shared_ptr<HDProgressHUD> sharedView();

  // Appearance of the shared instance.
  static void setStatus(const Status& status);
  static void setDefaultStyle(HDProgressHUDStyle style);
  static void setDefaultMaskType(HDProgressHUDMaskType maskType);
  static void setDefaultAnimationType(HDProgressHUDAnimationType type);
  static void setMinimumSize(const platform::Size& size);
  static void setRingThickness(double thickness);
  static void setRingRadius(double radius);
  static void setRingNoTextRadius(double radius);
  static void setCornerRadius(double radius);
  static void setFont(const platform::Font& font);
  static void setForegroundColor(const platform::Color& color);
  // The panel colour of the custom style is set on the instance (setBackgroundColor), as the
  // name belongs to the view.
  static void setBackgroundLayerColor(const platform::Color& color);
  static void setInfoImage(std::shared_ptr<platform::Image> image);
  static void setSuccessImage(std::shared_ptr<platform::Image> image);
  static void setErrorImage(std::shared_ptr<platform::Image> image);
  static void setViewForExtension(std::shared_ptr<platform::View> view);
  static void setMinimumDismissTimeInterval(platform::TimeInterval interval);
  static void setFadeInAnimationDuration(platform::TimeInterval duration);
  static void setFadeOutAnimationDuration(platform::TimeInterval duration);
  static void setOffsetFromCenter(const HDProgressHUDOffset& offset);
  static void resetOffsetFromCenter();

  // Showing. The mask-type variants show with that mask without changing the default one.
  static void show();
  static void showWithMaskType(HDProgressHUDMaskType maskType);
  static void showWithStatus(const Status& status);
  static void showWithStatus(const Status& status, HDProgressHUDMaskType maskType);
  static void showProgress(float progress);
  static void showProgress(float progress, HDProgressHUDMaskType maskType);
  static void showProgress(float progress, const Status& status);
  static void showProgress(float progress, const Status& status, HDProgressHUDMaskType maskType);
  static void showInfoWithStatus(const Status& status);
  static void showInfoWithStatus(const Status& status, HDProgressHUDMaskType maskType);
  static void showSuccessWithStatus(const Status& status);
  static void showSuccessWithStatus(const Status& status, HDProgressHUDMaskType maskType);
  static void showErrorWithStatus(const Status& status);
  static void showErrorWithStatus(const Status& status, HDProgressHUDMaskType maskType);
  static void showImage(std::shared_ptr<platform::Image> image, const Status& status);
  static void showImage(std::shared_ptr<platform::Image> image, const Status& status,
                        HDProgressHUDMaskType maskType);

  // Lowers the activity count (queued in order with the shows); at 0 the HUD is dismissed.
  static void popActivity();
  static void dismiss();
  static void dismissWithDelay(platform::TimeInterval delay);
  // The shared instance's alpha is above 0.
  static bool isVisible();
  // len × 0.06 + 0.5 seconds for a text of len UTF-16 units, at least the minimum dismiss
  // interval.
  static platform::TimeInterval displayDurationForString(const Status& string);

  // Shows an image for `duration` seconds, then dismisses (queued like the class-level shows).
  void showImage(std::shared_ptr<platform::Image> image, const Status& status,
                 platform::TimeInterval duration);

  // The appearance the static setters stored.
  const HDProgressHUDSettings& settings() const { return settings_; }
  // The custom style's panel colour (settings().backgroundColor); never applied to the HUD view
  // itself.
  platform::Color backgroundColor() const { return settings_.backgroundColor; }
  void setBackgroundColor(const platform::Color& color) override;

  // What is showing.
  const std::shared_ptr<platform::Timer>& fadeOutTimer() const { return state_.fadeOutTimer; }
  double progress() const { return state_.progress; }
  std::uint64_t activityCount() const { return state_.activityCount; }
  const Status& status() const { return state_.status; }
  // The mask of what is showing: the one its show asked for, else the default then in force.
  HDProgressHUDMaskType maskType() const { return state_.maskType; }
  const std::shared_ptr<platform::Layer>& backgroundLayer() const { return state_.backgroundLayer; }

  // The parts, made on first use; each call applies the current appearance.
  std::shared_ptr<HDOverlayControl> overlayView();
  std::shared_ptr<platform::View> hudView();
  std::shared_ptr<platform::Label> statusLabel();
  std::shared_ptr<platform::ImageView> imageView();
  // An HDIndefiniteAnimatedView, or an ActivityIndicatorView for the native animation type.
  std::shared_ptr<platform::View> indefiniteAnimatedView();
  std::shared_ptr<HDProgressAnimatedView> ringView();

  // The image's shape filled with `color`.
  static std::shared_ptr<platform::Image> imageWithTintColor(const platform::Image& image,
                                                             const platform::Color& color);

  ~HDProgressHUD() override;

  explicit HDProgressHUD(Key key, const platform::Rect& frame);

 protected:
  void didInit() override;

 private:
  friend class HDProgressHUDCenter;

  static std::shared_ptr<HDProgressHUD> create(const platform::Rect& frame);

  // Each queued operation holds the HUD weakly and does nothing once it is gone or retired.
  void enqueue(std::function<void(HDProgressHUD&)> work);
  void queueDismiss(platform::TimeInterval delay);
  // Off the screen at once and for good: its timer and observations end, queued work skips it.
  void retire();

  // What the queued operations run. A show's mask, when not given, is
  // the default in force when it runs.
  void runShowProgress(float progress, const Status& status,
                       std::optional<HDProgressHUDMaskType> maskType);
  void runShowImage(const std::shared_ptr<platform::Image>& image, const Status& status,
                    platform::TimeInterval duration, std::optional<HDProgressHUDMaskType> maskType);
  void runDismiss(platform::TimeInterval delay);
  void runPopActivity();
  void showStatus(const Status& status);
  void fadeIn(const Status& status);
  void finishFadeOut();
  void setStatusText(const Status& status);
  void setFadeOutTimer(std::shared_ptr<platform::Timer> timer);
  void registerNotifications();
  platform::Dictionary notificationUserInfo() const;
  void post(const char* name, bool withObject);
  void overlayViewDidReceiveTouchEvent();
  void updateViewHierachy();
  void cancelRingLayerAnimation();
  void cancelIndefiniteAnimatedViewAnimation();
  std::shared_ptr<HDProgressAnimatedView> backgroundRingView();

  // Layout.
  void updateHUDFrame();
  void updateBlurBounds();
  // Sizes the HUD view to the app's window and places the panel above the keyboard; with a
  // keyboard notification the panel moves along with the keyboard.
  void positionHUD(const platform::Notification* notification);
  void moveToPoint(const platform::Point& point, double angle);
  void updateMask();
  // Points of the screen's height the keyboard covers.
  static double visibleKeyboardHeight();

  void loadBundleImages();
  static platform::Rect appWindowBounds();

  HDProgressHUDSettings settings_;
  HDProgressHUDParts parts_;
  HDProgressHUDState state_;
};

}  // namespace sprout
