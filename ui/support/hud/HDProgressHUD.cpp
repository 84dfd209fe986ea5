// The shared instance, its appearance and its lazily made parts. Showing and dismissing live in
// HDProgressHUDShow.cpp, sizing and placing in HDProgressHUDLayout.cpp.
#include "ui/support/hud/HDProgressHUD.h"

#include <cairo.h>

#include <mutex>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/OperationQueue.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/graphics/Context.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Window.h"
#include "ui/support/hud/HDIndefiniteAnimatedView.h"
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

HDProgressHUD::HDProgressHUD(const platform::Rect& frame) : View(frame) {}

void HDProgressHUD::didInit() {
  View::didInit();
  View::setUserInteractionEnabled(false);
  setAlpha(0);
  setAccessibilityIdentifier("HDProgressHUD");
  setAccessibilityLabel("HDProgressHUD");
  setIsAccessibilityElement(true);
  loadBundleImages();
  isInitializing_ = false;  // the appearance setters take their arguments from here on
}

HDProgressHUD::~HDProgressHUD() {
  platform::NotificationCenter::defaultCenter().removeObserver(this);
  if (fadeOutTimer_) fadeOutTimer_->invalidate();
}

void HDProgressHUD::loadBundleImages() {
  // Templates: a show draws them in the style's colour.
  auto load = [](const char* name) {
    auto image = HDProgressHUDBundleImage(name);
    return image ? image->imageWithRenderingMode(platform::ImageRenderingMode::AlwaysTemplate)
                 : nullptr;
  };
  infoImage_ = load("info");
  successImage_ = load("success");
  errorImage_ = load("error");
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
  hud->retired_ = true;
  ++hud->fadeGeneration_;
  hud->setFadeOutTimer(nullptr);
  platform::NotificationCenter::defaultCenter().removeObserver(hud.get());
  if (hud->overlayView_) hud->overlayView_->removeFromSuperview();
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
    if (hud && !hud->retired_) work(*hud);
  });
}

// Appearance setters: stored for the next show or layout; ignored while the instance is being
// made.

template <class T>
void HDProgressHUD::store(T HDProgressHUD::*field, T value) {
  onMain([&](HDProgressHUD& hud) {
    if (!hud.isInitializing_) hud.*field = std::move(value);
  });
}

void HDProgressHUD::setDefaultStyle(HDProgressHUDStyle style) {
  store(&HDProgressHUD::defaultStyle_, style);
}
void HDProgressHUD::setDefaultMaskType(HDProgressHUDMaskType maskType) {
  store(&HDProgressHUD::defaultMaskType_, maskType);
}
void HDProgressHUD::setDefaultAnimationType(HDProgressHUDAnimationType type) {
  store(&HDProgressHUD::defaultAnimationType_, type);
}
void HDProgressHUD::setMinimumSize(const platform::Size& size) {
  store(&HDProgressHUD::minimumSize_, size);
}
void HDProgressHUD::setRingThickness(double thickness) {
  store(&HDProgressHUD::ringThickness_, thickness);
}
void HDProgressHUD::setRingRadius(double radius) { store(&HDProgressHUD::ringRadius_, radius); }
void HDProgressHUD::setRingNoTextRadius(double radius) {
  store(&HDProgressHUD::ringNoTextRadius_, radius);
}
void HDProgressHUD::setCornerRadius(double radius) { store(&HDProgressHUD::cornerRadius_, radius); }
void HDProgressHUD::setFont(const platform::Font& font) { store(&HDProgressHUD::font_, font); }
void HDProgressHUD::setForegroundColor(const Color& color) {
  store(&HDProgressHUD::foregroundColor_, color);
}
void HDProgressHUD::setBackgroundLayerColor(const Color& color) {
  store(&HDProgressHUD::backgroundLayerColor_, color);
}
void HDProgressHUD::setInfoImage(std::shared_ptr<Image> image) {
  store(&HDProgressHUD::infoImage_, std::move(image));
}
void HDProgressHUD::setSuccessImage(std::shared_ptr<Image> image) {
  store(&HDProgressHUD::successImage_, std::move(image));
}
void HDProgressHUD::setErrorImage(std::shared_ptr<Image> image) {
  store(&HDProgressHUD::errorImage_, std::move(image));
}
void HDProgressHUD::setViewForExtension(std::shared_ptr<platform::View> view) {
  store(&HDProgressHUD::viewForExtension_, std::move(view));
}
void HDProgressHUD::setMinimumDismissTimeInterval(platform::TimeInterval interval) {
  store(&HDProgressHUD::minimumDismissInterval_, interval);
}
void HDProgressHUD::setFadeInAnimationDuration(platform::TimeInterval duration) {
  store(&HDProgressHUD::fadeInDuration_, duration);
}
void HDProgressHUD::setFadeOutAnimationDuration(platform::TimeInterval duration) {
  store(&HDProgressHUD::fadeOutDuration_, duration);
}
void HDProgressHUD::setOffsetFromCenter(const HDProgressHUDOffset& offset) {
  store(&HDProgressHUD::offsetFromCenter_, offset);
}

void HDProgressHUD::resetOffsetFromCenter() { setOffsetFromCenter({}); }

// On this instance (it overrides the view's colour), through the main thread like the other
// setters: layout reads the field there.
void HDProgressHUD::setBackgroundColor(const Color& color) {
  auto apply = [this, &color] {
    if (!isInitializing_) backgroundColor_ = color;
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

bool HDProgressHUD::isClear() const {
  return defaultMaskType_ == HDProgressHUDMaskType::Clear ||
         defaultMaskType_ == HDProgressHUDMaskType::None;
}

Color HDProgressHUD::foregroundColorForStyle() const {
  switch (defaultStyle_) {
    case HDProgressHUDStyle::Light:
      return Color::black();
    case HDProgressHUDStyle::Dark:
      return Color::whiteColor();
    default:
      return foregroundColor_;
  }
}

Color HDProgressHUD::backgroundColorForStyle() const {
  switch (defaultStyle_) {
    case HDProgressHUDStyle::Light:
      return Color::whiteColor();
    case HDProgressHUDStyle::Dark:
      return Color::black();
    default:
      return backgroundColor_;
  }
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
  if (!overlayView_) {
    overlayView_ = HDOverlayControl::create(appWindowBounds());
    overlayView_->setAutoresizingMask(platform::ViewAutoresizingFlexibleWidth |
                                      platform::ViewAutoresizingFlexibleHeight);
    overlayView_->setBackgroundColor(Color::clear());
    std::weak_ptr<HDProgressHUD> weak = std::static_pointer_cast<HDProgressHUD>(shared_from_this());
    overlayView_->addTarget(
        this,
        [weak](platform::Control&) {
          if (auto hud = weak.lock()) hud->overlayViewDidReceiveTouchEvent();
        },
        platform::ControlEventTouchDown);
  }
  return overlayView_;
}

std::shared_ptr<platform::View> HDProgressHUD::hudView() {
  if (!hudView_) {
    hudView_ = platform::View::create();
    hudView_->setClipsToBounds(true);
    // Hidden like the HUD view until the first fade-in, so dismissing a HUD that was never
    // shown finds nothing to do.
    hudView_->setAlpha(0);
    hudView_->setAutoresizingMask(platform::ViewAutoresizingFlexibleLeftMargin |
                                  platform::ViewAutoresizingFlexibleRightMargin |
                                  platform::ViewAutoresizingFlexibleTopMargin |
                                  platform::ViewAutoresizingFlexibleBottomMargin);
  }
  hudView_->layer()->setCornerRadius(cornerRadius_);
  hudView_->setBackgroundColor(backgroundColorForStyle());
  return hudView_;
}

std::shared_ptr<platform::Label> HDProgressHUD::statusLabel() {
  if (!statusLabel_) {
    statusLabel_ = platform::Label::create();
    statusLabel_->setBackgroundColor(Color::clear());
    statusLabel_->setTextAlignment(platform::TextAlignment::Center);
    statusLabel_->setNumberOfLines(0);
  }
  if (!statusLabel_->superview()) hudView()->addSubview(statusLabel_);
  statusLabel_->setTextColor(foregroundColorForStyle());
  statusLabel_->setFont(font_);
  return statusLabel_;
}

std::shared_ptr<platform::ImageView> HDProgressHUD::imageView() {
  if (!imageView_) imageView_ = platform::ImageView::create(platform::makeRect(0, 0, 28, 28));
  if (!imageView_->superview()) hudView()->addSubview(imageView_);
  return imageView_;
}

std::shared_ptr<platform::View> HDProgressHUD::indefiniteAnimatedView() {
  if (defaultAnimationType_ == HDProgressHUDAnimationType::Flat) {
    auto spinner = std::dynamic_pointer_cast<HDIndefiniteAnimatedView>(indefiniteAnimatedView_);
    if (!spinner) {
      if (indefiniteAnimatedView_) indefiniteAnimatedView_->removeFromSuperview();
      spinner = HDIndefiniteAnimatedView::create();
      indefiniteAnimatedView_ = spinner;
    }
    spinner->setStrokeColor(foregroundColorForStyle());
    spinner->setStrokeThickness(ringThickness_);
    spinner->setRadius(status_ ? ringRadius_ : ringNoTextRadius_);
  } else {
    auto indicator =
        std::dynamic_pointer_cast<platform::ActivityIndicatorView>(indefiniteAnimatedView_);
    if (!indicator) {
      if (indefiniteAnimatedView_) indefiniteAnimatedView_->removeFromSuperview();
      indicator =
          platform::ActivityIndicatorView::create(platform::ActivityIndicatorViewStyle::WhiteLarge);
      indefiniteAnimatedView_ = indicator;
    }
    indicator->setColor(foregroundColorForStyle());
  }
  indefiniteAnimatedView_->sizeToFit();
  return indefiniteAnimatedView_;
}

std::shared_ptr<HDProgressAnimatedView> HDProgressHUD::ringView() {
  if (!ringView_) {
    ringView_ = HDProgressAnimatedView::create();
    ringView_->setStrokeEnd(0);  // grows from nothing at its first show
  }
  ringView_->setStrokeColor(foregroundColorForStyle());
  ringView_->setStrokeThickness(ringThickness_);
  ringView_->setRadius(status_ ? ringRadius_ : ringNoTextRadius_);
  return ringView_;
}

std::shared_ptr<HDProgressAnimatedView> HDProgressHUD::backgroundRingView() {
  if (!backgroundRingView_) {
    backgroundRingView_ = HDProgressAnimatedView::create();
    backgroundRingView_->setStrokeEnd(1.0);
  }
  backgroundRingView_->setStrokeColor(
      foregroundColorForStyle().withAlpha(static_cast<double>(0.1f)));
  backgroundRingView_->setStrokeThickness(ringThickness_);
  backgroundRingView_->setRadius(status_ ? ringRadius_ : ringNoTextRadius_);
  return backgroundRingView_;
}

}  // namespace sprout
