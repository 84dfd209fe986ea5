// The view, its class-level face and its lazily made parts, then showing and dismissing, then
// sizing and placing.
#include "ui/support/hud/HDProgressHUD.h"

#include <cairo.h>
#include <algorithm>
#include <any>

#include "platform/animation/Transaction.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/OperationQueue.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/graphics/Context.h"
#include "platform/ui/Accessibility.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/KeyboardSimulator.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/VisualEffectView.h"
#include "platform/ui/Window.h"
#include "ui/support/hud/HDIndefiniteAnimatedView.h"
#include "ui/support/hud/HDProgressHUDBundle.h"
#include "ui/support/hud/HDProgressHUDCenter.h"
#include "ui/support/hud/HDProgressHUDGeometry.h"
#include "ui/support/hud/HDRadialGradientLayer.h"

namespace sprout {

using platform::Color;
using platform::Image;

// What the shared view and its overlay take their frames from: the app delegate's window.
platform::Rect HDProgressHUD::appWindowBounds() {
  auto delegate = platform::ApplicationWindows::shared().delegate();
  auto window = delegate ? delegate->window() : nullptr;
  return window ? window->bounds() : platform::kRectZero;
}

std::shared_ptr<HDProgressHUD> HDProgressHUD::create(const platform::Rect& frame) {
  return make<HDProgressHUD>(frame);
}

HDProgressHUD::HDProgressHUD(Key key, const platform::Rect& frame) : View(std::move(key), frame) {}

void HDProgressHUD::didInit() {
  View::didInit();
  View::setUserInteractionEnabled(false);
  setAlpha(0);
  setAccessibilityIdentifier("HDProgressHUD");
  setAccessibilityLabel("HDProgressHUD");
  setIsAccessibilityElement(true);
  loadBundleImages();
}

HDProgressHUD::~HDProgressHUD() {
  platform::NotificationCenter::defaultCenter().removeObserver(this);
  if (state_.fadeOutTimer) state_.fadeOutTimer->invalidate();
}

void HDProgressHUD::loadBundleImages() {
  // Templates: a show draws them in the style's colour.
  auto load = [](const char* name) {
    auto image = HDProgressHUDBundleImage(name);
    return image ? image->imageWithRenderingMode(platform::ImageRenderingMode::AlwaysTemplate)
                 : nullptr;
  };
  settings_.infoImage = load("info");
  settings_.successImage = load("success");
  settings_.errorImage = load("error");
}

void HDProgressHUD::retire() {
  state_.retired = true;
  ++state_.fadeGeneration;
  setFadeOutTimer(nullptr);
  platform::NotificationCenter::defaultCenter().removeObserver(this);
  if (const auto& overlay = parts_.madeOverlayView()) overlay->removeFromSuperview();
  removeFromSuperview();
}

void HDProgressHUD::enqueue(std::function<void(HDProgressHUD&)> work) {
  std::weak_ptr<HDProgressHUD> weak = std::static_pointer_cast<HDProgressHUD>(shared_from_this());
  platform::OperationQueue::mainQueue()->addOperation([weak, work = std::move(work)] {
    auto hud = weak.lock();
    if (hud && !hud->state_.retired) work(*hud);
  });
}

// The panel colour of the custom style, on this instance (it overrides the view's colour); from
// another thread through the main thread, where layout reads it.
void HDProgressHUD::setBackgroundColor(const Color& color) {
  auto apply = [this, &color] { settings_.backgroundColor = color; };
  if (platform::RunLoop::isMainThread()) {
    apply();
  } else {
    platform::runOnMainSync(apply);
  }
}

// The class-level calls: each forwards to the shared center.

namespace {
HDProgressHUDCenter& owner() { return HDProgressHUDCenter::shared(); }
}  // namespace

std::shared_ptr<HDProgressHUD> HDProgressHUD::sharedView() { return owner().view(); }
void HDProgressHUD::setStatus(const Status& status) { owner().setStatus(status); }
void HDProgressHUD::setDefaultStyle(HDProgressHUDStyle style) {
  owner().set(&HDProgressHUDSettings::defaultStyle, style);
}
void HDProgressHUD::setDefaultMaskType(HDProgressHUDMaskType maskType) {
  owner().set(&HDProgressHUDSettings::defaultMaskType, maskType);
}
void HDProgressHUD::setDefaultAnimationType(HDProgressHUDAnimationType type) {
  owner().set(&HDProgressHUDSettings::defaultAnimationType, type);
}
void HDProgressHUD::setMinimumSize(const platform::Size& size) {
  owner().set(&HDProgressHUDSettings::minimumSize, size);
}
void HDProgressHUD::setRingThickness(double thickness) {
  owner().set(&HDProgressHUDSettings::ringThickness, thickness);
}
void HDProgressHUD::setRingRadius(double radius) {
  owner().set(&HDProgressHUDSettings::ringRadius, radius);
}
void HDProgressHUD::setRingNoTextRadius(double radius) {
  owner().set(&HDProgressHUDSettings::ringNoTextRadius, radius);
}
void HDProgressHUD::setCornerRadius(double radius) {
  owner().set(&HDProgressHUDSettings::cornerRadius, radius);
}
void HDProgressHUD::setFont(const platform::Font& font) {
  owner().set(&HDProgressHUDSettings::font, font);
}
void HDProgressHUD::setForegroundColor(const Color& color) {
  owner().set(&HDProgressHUDSettings::foregroundColor, color);
}
void HDProgressHUD::setBackgroundLayerColor(const Color& color) {
  owner().set(&HDProgressHUDSettings::backgroundLayerColor, color);
}
void HDProgressHUD::setInfoImage(std::shared_ptr<Image> image) {
  owner().set(&HDProgressHUDSettings::infoImage, std::move(image));
}
void HDProgressHUD::setSuccessImage(std::shared_ptr<Image> image) {
  owner().set(&HDProgressHUDSettings::successImage, std::move(image));
}
void HDProgressHUD::setErrorImage(std::shared_ptr<Image> image) {
  owner().set(&HDProgressHUDSettings::errorImage, std::move(image));
}
void HDProgressHUD::setViewForExtension(std::shared_ptr<platform::View> view) {
  owner().set(&HDProgressHUDSettings::viewForExtension, std::move(view));
}
void HDProgressHUD::setMinimumDismissTimeInterval(platform::TimeInterval interval) {
  owner().set(&HDProgressHUDSettings::minimumDismissTimeInterval, interval);
}
void HDProgressHUD::setFadeInAnimationDuration(platform::TimeInterval duration) {
  owner().set(&HDProgressHUDSettings::fadeInAnimationDuration, duration);
}
void HDProgressHUD::setFadeOutAnimationDuration(platform::TimeInterval duration) {
  owner().set(&HDProgressHUDSettings::fadeOutAnimationDuration, duration);
}
void HDProgressHUD::setOffsetFromCenter(const HDProgressHUDOffset& offset) {
  owner().set(&HDProgressHUDSettings::offsetFromCenter, offset);
}
void HDProgressHUD::resetOffsetFromCenter() { setOffsetFromCenter({}); }

void HDProgressHUD::show() { owner().showProgress(-1, std::nullopt); }
void HDProgressHUD::showWithMaskType(HDProgressHUDMaskType maskType) {
  owner().showProgress(-1, std::nullopt, maskType);
}
void HDProgressHUD::showWithStatus(const Status& status) { owner().showProgress(-1, status); }
void HDProgressHUD::showWithStatus(const Status& status, HDProgressHUDMaskType maskType) {
  owner().showProgress(-1, status, maskType);
}
void HDProgressHUD::showProgress(float progress) { owner().showProgress(progress, std::nullopt); }
void HDProgressHUD::showProgress(float progress, HDProgressHUDMaskType maskType) {
  owner().showProgress(progress, std::nullopt, maskType);
}
void HDProgressHUD::showProgress(float progress, const Status& status) {
  owner().showProgress(progress, status);
}
void HDProgressHUD::showProgress(float progress, const Status& status,
                                 HDProgressHUDMaskType maskType) {
  owner().showProgress(progress, status, maskType);
}
void HDProgressHUD::showInfoWithStatus(const Status& status) {
  owner().showImage(&HDProgressHUDSettings::infoImage, status);
}
void HDProgressHUD::showInfoWithStatus(const Status& status, HDProgressHUDMaskType maskType) {
  owner().showImage(&HDProgressHUDSettings::infoImage, status, maskType);
}
void HDProgressHUD::showSuccessWithStatus(const Status& status) {
  owner().showImage(&HDProgressHUDSettings::successImage, status);
}
void HDProgressHUD::showSuccessWithStatus(const Status& status, HDProgressHUDMaskType maskType) {
  owner().showImage(&HDProgressHUDSettings::successImage, status, maskType);
}
void HDProgressHUD::showErrorWithStatus(const Status& status) {
  owner().showImage(&HDProgressHUDSettings::errorImage, status);
}
void HDProgressHUD::showErrorWithStatus(const Status& status, HDProgressHUDMaskType maskType) {
  owner().showImage(&HDProgressHUDSettings::errorImage, status, maskType);
}
void HDProgressHUD::showImage(std::shared_ptr<Image> image, const Status& status) {
  owner().showImage(std::move(image), status);
}
void HDProgressHUD::showImage(std::shared_ptr<Image> image, const Status& status,
                              HDProgressHUDMaskType maskType) {
  owner().showImage(std::move(image), status, maskType);
}
void HDProgressHUD::popActivity() { owner().popActivity(); }
void HDProgressHUD::dismiss() { owner().dismissWithDelay(0); }
void HDProgressHUD::dismissWithDelay(platform::TimeInterval delay) {
  owner().dismissWithDelay(delay);
}
bool HDProgressHUD::isVisible() { return owner().isVisible(); }
platform::TimeInterval HDProgressHUD::displayDurationForString(const Status& string) {
  return owner().displayDurationForString(string);
}

std::shared_ptr<Image> HDProgressHUD::imageWithTintColor(const Image& image, const Color& color) {
  const platform::Rect rect{{0, 0}, image.size()};
  auto context = platform::Context::create(rect.size, image.scale(), false);
  if (!context) return nullptr;
  context->drawImage(image, rect);
  // Source-in: the colour wherever the image is, as opaque as the image is there.
  cairo_t* cr = context->cairo();
  cairo_set_operator(cr, CAIRO_OPERATOR_IN);
  cairo_set_source_rgba(cr, color.r, color.g, color.b, color.a);
  cairo_rectangle(cr, 0, 0, rect.size.width, rect.size.height);
  cairo_fill(cr);
  return context->makeImage();
}

// The parts.

std::shared_ptr<HDOverlayControl> HDProgressHUD::overlayView() {
  std::weak_ptr<HDProgressHUD> weak = std::static_pointer_cast<HDProgressHUD>(shared_from_this());
  return parts_.overlayView(appWindowBounds(), this, [weak] {
    if (auto hud = weak.lock()) hud->overlayViewDidReceiveTouchEvent();
  });
}

std::shared_ptr<platform::View> HDProgressHUD::hudView() { return parts_.hudView(settings_); }

std::shared_ptr<platform::Label> HDProgressHUD::statusLabel() {
  return parts_.statusLabel(settings_);
}

std::shared_ptr<platform::ImageView> HDProgressHUD::imageView() {
  return parts_.imageView(settings_);
}

std::shared_ptr<platform::View> HDProgressHUD::indefiniteAnimatedView() {
  return parts_.indefiniteAnimatedView(settings_, state_.status.has_value());
}

std::shared_ptr<HDProgressAnimatedView> HDProgressHUD::ringView() {
  return parts_.ringView(settings_, state_.status.has_value());
}

std::shared_ptr<HDProgressAnimatedView> HDProgressHUD::backgroundRingView() {
  return parts_.backgroundRingView(settings_, state_.status.has_value());
}

}  // namespace sprout

// Sizing the panel to its content, placing it above the keyboard, and the mask behind it.
namespace sprout {

using platform::InterfaceOrientation;
using platform::Point;
using platform::Rect;
using platform::Size;

namespace {

// The platform lays its interface out in the orientation the device is held, so the panel never
// needs turning by hand.
constexpr bool kIgnoresInterfaceOrientation = true;

const platform::Size kTextConstraint{200, 300};

struct KeyboardMove {
  double height = 0;
  platform::TimeInterval duration = 0;
};

// Notifications without the keyboard keys count as a keyboard of no size that does not move.
KeyboardMove keyboardMoveFrom(const platform::Notification& notification,
                              InterfaceOrientation orientation) {
  KeyboardMove move;
  const auto& info = notification.userInfo;
  Rect frame = platform::kRectZero;
  if (auto it = info.find(platform::kKeyboardFrameBeginUserInfoKey); it != info.end()) {
    if (const Rect* r = std::any_cast<Rect>(&it->second)) frame = *r;
  }
  if (auto it = info.find(platform::kKeyboardAnimationDurationUserInfoKey); it != info.end()) {
    if (const double* d = std::any_cast<double>(&it->second)) move.duration = *d;
  }
  if (notification.name == platform::kKeyboardWillShowNotification ||
      notification.name == platform::kKeyboardDidShowNotification) {
    const bool upright = orientation == InterfaceOrientation::Portrait ||
                         orientation == InterfaceOrientation::PortraitUpsideDown;
    move.height =
        upright || kIgnoresInterfaceOrientation ? platform::height(frame) : platform::width(frame);
  }
  return move;
}

}  // namespace

void HDProgressHUD::updateHUDFrame() {
  auto image = imageView();
  const bool imageUsed = image->image() != nullptr && !image->isHidden();
  const bool progressUsed = image->isHidden();  // a spinner or ring is showing
  auto label = statusLabel();
  std::optional<Size> textSize;
  if (state_.status)
    textSize = state_.textMeasureCache.measure(*state_.status, label->font(), kTextConstraint);
  const HDPanelLayout layout =
      HDPanelLayoutFor(textSize, imageUsed || progressUsed, settings_.minimumSize);

  hudView()->setBounds({{0, 0}, layout.panelSize});
  updateBlurBounds();
  // Reading the panel again puts the style's colour back behind the blur.
  const Size panel = hudView()->bounds().size;
  const Point top{panel.width / 2, 36};
  const Point middle{panel.width / 2, panel.height / 2};
  const Point spot = state_.status ? top : middle;
  image->setCenter(spot);
  label->setHidden(false);
  label->setFrame(layout.labelRect);

  platform::Transaction::begin();
  platform::Transaction::setDisableActions(true);
  auto spinner = indefiniteAnimatedView();
  if (auto arc = std::dynamic_pointer_cast<HDIndefiniteAnimatedView>(spinner)) {
    arc->setRadius(settings_.ringRadiusFor(state_.status.has_value()));
    arc->sizeToFit();
  }
  spinner->setCenter(spot);
  if (state_.progress != -1) {
    ringView()->setCenter(spot);
    backgroundRingView()->setCenter(spot);
  }
  platform::Transaction::commit();
}

void HDProgressHUD::updateBlurBounds() {
  // The platform always has blur; the custom style keeps its own panel colour instead.
  if (settings_.defaultStyle == HDProgressHUDStyle::Custom) return;
  auto panel = hudView();
  panel->setBackgroundColor(platform::Color::clear());
  const auto subviews = panel->subviews();
  for (const auto& subview : subviews) {
    if (std::dynamic_pointer_cast<platform::VisualEffectView>(subview)) {
      subview->removeFromSuperview();
    }
  }
  if (settings_.backgroundColor == platform::Color::clear()) return;
  auto blur = platform::VisualEffectView::create(settings_.defaultStyle == HDProgressHUDStyle::Dark
                                                     ? platform::BlurEffectStyle::Dark
                                                     : platform::BlurEffectStyle::Light,
                                                 panel->bounds());
  blur->setAutoresizingMask(panel->autoresizingMask());
  panel->insertSubview(blur, 0);
}

void HDProgressHUD::positionHUD(const platform::Notification* notification) {
  setFrame(appWindowBounds());
  auto& app = platform::ApplicationWindows::shared();
  const InterfaceOrientation orientation = app.statusBarOrientation();
  KeyboardMove keyboard;
  if (notification) {
    keyboard = keyboardMoveFrom(*notification, orientation);
  } else {
    keyboard.height = visibleKeyboardHeight();
  }
  // No parallax to turn with the orientation: panels here have no motion effects.
  const HDPanelPlacement placement =
      HDPanelPlacementFor(bounds().size, app.statusBarFrame(), orientation,
                          kIgnoresInterfaceOrientation, keyboard.height);
  auto panel = hudView();
  if (notification) {
    std::weak_ptr<HDProgressHUD> weak = std::static_pointer_cast<HDProgressHUD>(shared_from_this());
    View::animateWithDuration(keyboard.duration, 0,
                              platform::ViewAnimationOptionAllowUserInteraction, [weak, placement] {
                                auto hud = weak.lock();
                                if (!hud) return;
                                hud->moveToPoint(placement.center, placement.angle);
                                hud->parts_.madeHUDView()->setNeedsDisplay();
                              });
  } else {
    moveToPoint(placement.center, placement.angle);
    panel->setNeedsDisplay();
  }
  updateMask();
}

void HDProgressHUD::moveToPoint(const Point& point, double angle) {
  if (!parts_.madeHUDView()) hudView();
  // The view as made, not the getter: inside an animation block the getter's restyling would
  // animate.
  const auto& panel = parts_.madeHUDView();
  panel->setTransform(platform::AffineTransform::rotation(angle));
  panel->setCenter({point.x + settings_.offsetFromCenter.horizontal,
                    point.y + settings_.offsetFromCenter.vertical});
}

double HDProgressHUD::visibleKeyboardHeight() {
  // The keyboard is a simulated one: ask it rather than searching windows for its view.
  const auto& keyboard = platform::KeyboardSimulator::shared();
  return keyboard.isVisible() ? platform::height(keyboard.frame()) : 0;
}

void HDProgressHUD::updateMask() {
  if (state_.backgroundLayer) {
    state_.backgroundLayer->removeFromSuperlayer();
    state_.backgroundLayer.reset();
  }
  switch (state_.maskType) {
    case HDProgressHUDMaskType::Black:
    case HDProgressHUDMaskType::Custom: {
      auto layer = platform::Layer::create();
      layer->setFrame(bounds());
      layer->setBackgroundColor(state_.maskType == HDProgressHUDMaskType::Custom
                                    ? settings_.backgroundLayerColor
                                    : platform::Color::black().withAlpha(0.4));
      // A colour alone: no contents to draw, so no full-window bitmap to make.
      state_.backgroundLayer = layer;
      break;
    }
    case HDProgressHUDMaskType::Gradient: {
      auto layer = HDRadialGradientLayer::create();
      layer->setFrame(bounds());
      layer->setGradientCenter({center().x, (bounds().size.height - visibleKeyboardHeight()) / 2});
      layer->setNeedsDisplay();
      state_.backgroundLayer = layer;
      break;
    }
    default:  // None and Clear draw nothing
      return;
  }
  this->layer()->insertSublayer(state_.backgroundLayer, 0);
}

}  // namespace sprout

// Showing and dismissing: the queued operations, the fades, the activity
// count, the automatic dismissal and the notifications.
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

// A fade over `duration`, or its end state at once (and its completion) when there is none.
void fade(TimeInterval duration, TimeInterval delay, unsigned options,
          const std::function<void()>& steps, const std::function<void(bool)>& completion) {
  if (duration > 0) {
    View::animateWithDuration(duration, delay, options, steps, completion);
  } else {
    steps();
    completion(true);
  }
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
  fade(settings_.fadeInAnimationDuration, 0,
       platform::ViewAnimationOptionAllowUserInteraction |
           platform::ViewAnimationOptionBeginFromCurrentState,
       steps, completion);
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
  fade(settings_.fadeOutAnimationDuration, delay,
       platform::ViewAnimationOptionLayoutSubviews |
           platform::ViewAnimationOptionAllowUserInteraction |
           platform::ViewAnimationOptionBeginFromCurrentState,
       steps, completion);
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
