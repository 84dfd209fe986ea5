// The view, its class-level face and its lazily made parts. Showing and dismissing live in
// HDProgressHUDShow.cpp, sizing and placing in HDProgressHUDLayout.cpp.
#include "ui/support/hud/HDProgressHUD.h"

#include <cairo.h>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/OperationQueue.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/graphics/Context.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Window.h"
#include "ui/support/hud/HDProgressHUDBundle.h"
#include "ui/support/hud/HDProgressHUDCenter.h"

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
