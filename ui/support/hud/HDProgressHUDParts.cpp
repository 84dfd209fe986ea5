#include "ui/support/hud/HDProgressHUDParts.h"

#include "platform/ui/ActivityIndicatorView.h"
#include "ui/support/hud/HDIndefiniteAnimatedView.h"

namespace sprout {

using platform::Color;

std::shared_ptr<HDOverlayControl> HDProgressHUDParts::overlayView(
    const platform::Rect& frame, const void* owner, std::function<void()> onTouchDown) {
  if (!overlayView_) {
    overlayView_ = HDOverlayControl::create(frame);
    overlayView_->setAutoresizingMask(platform::ViewAutoresizingFlexibleWidth |
                                      platform::ViewAutoresizingFlexibleHeight);
    overlayView_->setBackgroundColor(Color::clear());
    overlayView_->addTarget(
        owner, [onTouchDown = std::move(onTouchDown)](platform::Control&) { onTouchDown(); },
        platform::ControlEventTouchDown);
  }
  return overlayView_;
}

std::shared_ptr<platform::View> HDProgressHUDParts::hudView(const HDProgressHUDSettings& settings) {
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
  hudView_->layer()->setCornerRadius(settings.cornerRadius);
  hudView_->setBackgroundColor(settings.backgroundColorForStyle());
  return hudView_;
}

std::shared_ptr<platform::Label> HDProgressHUDParts::statusLabel(
    const HDProgressHUDSettings& settings) {
  if (!statusLabel_) {
    statusLabel_ = platform::Label::create();
    statusLabel_->setBackgroundColor(Color::clear());
    statusLabel_->setTextAlignment(platform::TextAlignment::Center);
    statusLabel_->setNumberOfLines(0);
  }
  if (!statusLabel_->superview()) hudView(settings)->addSubview(statusLabel_);
  statusLabel_->setTextColor(settings.foregroundColorForStyle());
  statusLabel_->setFont(settings.font);
  return statusLabel_;
}

std::shared_ptr<platform::ImageView> HDProgressHUDParts::imageView(
    const HDProgressHUDSettings& settings) {
  if (!imageView_) imageView_ = platform::ImageView::create(platform::makeRect(0, 0, 28, 28));
  if (!imageView_->superview()) hudView(settings)->addSubview(imageView_);
  return imageView_;
}

std::shared_ptr<platform::View> HDProgressHUDParts::indefiniteAnimatedView(
    const HDProgressHUDSettings& settings, bool hasStatus) {
  if (settings.defaultAnimationType == HDProgressHUDAnimationType::Flat) {
    auto spinner = std::dynamic_pointer_cast<HDIndefiniteAnimatedView>(indefiniteAnimatedView_);
    if (!spinner) {
      if (indefiniteAnimatedView_) indefiniteAnimatedView_->removeFromSuperview();
      spinner = HDIndefiniteAnimatedView::create();
      indefiniteAnimatedView_ = spinner;
    }
    spinner->setStrokeColor(settings.foregroundColorForStyle());
    spinner->setStrokeThickness(settings.ringThickness);
    spinner->setRadius(settings.ringRadiusFor(hasStatus));
  } else {
    auto indicator =
        std::dynamic_pointer_cast<platform::ActivityIndicatorView>(indefiniteAnimatedView_);
    if (!indicator) {
      if (indefiniteAnimatedView_) indefiniteAnimatedView_->removeFromSuperview();
      indicator =
          platform::ActivityIndicatorView::create(platform::ActivityIndicatorViewStyle::WhiteLarge);
      indefiniteAnimatedView_ = indicator;
    }
    indicator->setColor(settings.foregroundColorForStyle());
  }
  indefiniteAnimatedView_->sizeToFit();
  return indefiniteAnimatedView_;
}

std::shared_ptr<HDProgressAnimatedView> HDProgressHUDParts::ringView(
    const HDProgressHUDSettings& settings, bool hasStatus) {
  if (!ringView_) {
    ringView_ = HDProgressAnimatedView::create();
    ringView_->setStrokeEnd(0);  // grows from nothing at its first show
  }
  ringView_->setStrokeColor(settings.foregroundColorForStyle());
  ringView_->setStrokeThickness(settings.ringThickness);
  ringView_->setRadius(settings.ringRadiusFor(hasStatus));
  return ringView_;
}

std::shared_ptr<HDProgressAnimatedView> HDProgressHUDParts::backgroundRingView(
    const HDProgressHUDSettings& settings, bool hasStatus) {
  if (!backgroundRingView_) {
    backgroundRingView_ = HDProgressAnimatedView::create();
    backgroundRingView_->setStrokeEnd(1.0);
  }
  backgroundRingView_->setStrokeColor(
      settings.foregroundColorForStyle().withAlpha(static_cast<double>(0.1f)));
  backgroundRingView_->setStrokeThickness(settings.ringThickness);
  backgroundRingView_->setRadius(settings.ringRadiusFor(hasStatus));
  return backgroundRingView_;
}

}  // namespace sprout
