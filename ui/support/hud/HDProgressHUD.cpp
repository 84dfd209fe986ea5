// The shared instance, its appearance and its lazily made parts. Showing and dismissing live in
// HDProgressHUDShow.cpp, sizing and placing in HDProgressHUDLayout.cpp.
#include "ui/support/hud/HDProgressHUD.h"

#include <cairo.h>

#include <mutex>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/OperationQueue.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/graphics/Context.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Window.h"
#include "ui/support/hud/HDProgressHUDBundle.h"

namespace sprout {

using platform::Color;
using platform::Image;

namespace {

std::mutex& sharedMutex() {
  static std::mutex mutex;
  return mutex;
}

std::shared_ptr<HDProgressHUD>& sharedSlot() {
  static std::shared_ptr<HDProgressHUD> hud;
  return hud;
}

}  // namespace

// What the shared view and its overlay take their frames from: the app delegate's window.
platform::Rect HDProgressHUD::appWindowBounds() {
  auto delegate = platform::ApplicationWindows::shared().delegate();
  auto window = delegate ? delegate->window() : nullptr;
  return window ? window->bounds() : platform::kRectZero;
}

std::shared_ptr<HDProgressHUD> HDProgressHUD::create(const platform::Rect& frame) {
  return make<HDProgressHUD>(frame);
}

HDProgressHUD::HDProgressHUD(Key key, const platform::Rect& frame) : View(key, frame) {}

void HDProgressHUD::didInit() {
  View::didInit();
  View::setUserInteractionEnabled(false);
  setAlpha(0);
  setAccessibilityIdentifier("HDProgressHUD");
  setAccessibilityLabel("HDProgressHUD");
  setIsAccessibilityElement(true);
  loadBundleImages();
  state_.isInitializing = false;  // the appearance setters take their arguments from here on
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

std::shared_ptr<HDProgressHUD> HDProgressHUD::sharedView() {
  {
    std::lock_guard lock(sharedMutex());
    if (sharedSlot()) return sharedSlot();
  }
  if (!platform::RunLoop::isMainThread()) {
    // Only the main thread makes it, so two threads never make two.
    std::shared_ptr<HDProgressHUD> made;
    platform::runOnMainSync([&made] { made = sharedView(); });
    return made;
  }
  auto hud = create(appWindowBounds());
  std::lock_guard lock(sharedMutex());
  if (!sharedSlot()) sharedSlot() = std::move(hud);
  return sharedSlot();
}

void HDProgressHUD::resetSharedView() {
  std::shared_ptr<HDProgressHUD> hud;
  {
    std::lock_guard lock(sharedMutex());
    hud = std::move(sharedSlot());
  }
  if (!hud) return;
  hud->state_.retired = true;
  ++hud->state_.fadeGeneration;
  hud->setFadeOutTimer(nullptr);
  platform::NotificationCenter::defaultCenter().removeObserver(hud.get());
  if (const auto& overlay = hud->parts_.madeOverlayView()) overlay->removeFromSuperview();
  hud->removeFromSuperview();
}

void HDProgressHUD::onMain(const std::function<void(HDProgressHUD&)>& fn) {
  if (platform::RunLoop::isMainThread()) {
    fn(*sharedView());
    return;
  }
  auto hud = sharedView();
  platform::runOnMainSync([&] { fn(*hud); });
}

void HDProgressHUD::enqueue(std::function<void(HDProgressHUD&)> work) {
  std::weak_ptr<HDProgressHUD> weak = std::static_pointer_cast<HDProgressHUD>(shared_from_this());
  platform::OperationQueue::mainQueue()->addOperation([weak, work = std::move(work)] {
    auto hud = weak.lock();
    if (hud && !hud->state_.retired) work(*hud);
  });
}

// Appearance setters: stored for the next show or layout; ignored while the instance is being
// made.

template <class T>
void HDProgressHUD::store(T HDProgressHUDSettings::*field, T value) {
  onMain([&](HDProgressHUD& hud) {
    if (!hud.state_.isInitializing) hud.settings_.*field = std::move(value);
  });
}

void HDProgressHUD::setDefaultStyle(HDProgressHUDStyle style) {
  store(&HDProgressHUDSettings::defaultStyle, style);
}
void HDProgressHUD::setDefaultMaskType(HDProgressHUDMaskType maskType) {
  store(&HDProgressHUDSettings::defaultMaskType, maskType);
}
void HDProgressHUD::setDefaultAnimationType(HDProgressHUDAnimationType type) {
  store(&HDProgressHUDSettings::defaultAnimationType, type);
}
void HDProgressHUD::setMinimumSize(const platform::Size& size) {
  store(&HDProgressHUDSettings::minimumSize, size);
}
void HDProgressHUD::setRingThickness(double thickness) {
  store(&HDProgressHUDSettings::ringThickness, thickness);
}
void HDProgressHUD::setRingRadius(double radius) {
  store(&HDProgressHUDSettings::ringRadius, radius);
}
void HDProgressHUD::setRingNoTextRadius(double radius) {
  store(&HDProgressHUDSettings::ringNoTextRadius, radius);
}
void HDProgressHUD::setCornerRadius(double radius) {
  store(&HDProgressHUDSettings::cornerRadius, radius);
}
void HDProgressHUD::setFont(const platform::Font& font) {
  store(&HDProgressHUDSettings::font, font);
}
void HDProgressHUD::setForegroundColor(const Color& color) {
  store(&HDProgressHUDSettings::foregroundColor, color);
}
void HDProgressHUD::setBackgroundLayerColor(const Color& color) {
  store(&HDProgressHUDSettings::backgroundLayerColor, color);
}
void HDProgressHUD::setInfoImage(std::shared_ptr<Image> image) {
  store(&HDProgressHUDSettings::infoImage, std::move(image));
}
void HDProgressHUD::setSuccessImage(std::shared_ptr<Image> image) {
  store(&HDProgressHUDSettings::successImage, std::move(image));
}
void HDProgressHUD::setErrorImage(std::shared_ptr<Image> image) {
  store(&HDProgressHUDSettings::errorImage, std::move(image));
}
void HDProgressHUD::setViewForExtension(std::shared_ptr<platform::View> view) {
  store(&HDProgressHUDSettings::viewForExtension, std::move(view));
}
void HDProgressHUD::setMinimumDismissTimeInterval(platform::TimeInterval interval) {
  store(&HDProgressHUDSettings::minimumDismissTimeInterval, interval);
}
void HDProgressHUD::setFadeInAnimationDuration(platform::TimeInterval duration) {
  store(&HDProgressHUDSettings::fadeInAnimationDuration, duration);
}
void HDProgressHUD::setFadeOutAnimationDuration(platform::TimeInterval duration) {
  store(&HDProgressHUDSettings::fadeOutAnimationDuration, duration);
}
void HDProgressHUD::setOffsetFromCenter(const HDProgressHUDOffset& offset) {
  store(&HDProgressHUDSettings::offsetFromCenter, offset);
}

void HDProgressHUD::resetOffsetFromCenter() { setOffsetFromCenter({}); }

// On this instance (it overrides the view's colour), through the main thread like the other
// setters: layout reads the field there.
void HDProgressHUD::setBackgroundColor(const Color& color) {
  auto apply = [this, &color] {
    if (!state_.isInitializing) settings_.backgroundColor = color;
  };
  if (platform::RunLoop::isMainThread()) {
    apply();
  } else {
    platform::runOnMainSync(apply);
  }
}

void HDProgressHUD::setStatus(const Status& status) {
  onMain([&](HDProgressHUD& hud) {
    hud.setStatusText(status);
    hud.updateHUDFrame();
  });
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
