#include "ui/support/refresh/RFArrowAndIndicator.h"

#include "ui/support/refresh/RFRefreshBundle.h"
#include "ui/support/refresh/RFRefreshComponent.h"
#include "ui/support/refresh/RFViewGeometry.h"

namespace sprout {

const std::shared_ptr<platform::ImageView>& RFArrowAndIndicator::arrowView() {
  if (!arrowView_) {
    arrowView_ = platform::ImageView::create(rf_arrowImage());
    owner_.addSubview(arrowView_);
  }
  return arrowView_;
}

const std::shared_ptr<platform::ActivityIndicatorView>& RFArrowAndIndicator::loadingView() {
  if (!loadingView_) {
    loadingView_ = platform::ActivityIndicatorView::create(style_);
    loadingView_->setHidesWhenStopped(true);
    owner_.addSubview(loadingView_);
  }
  return loadingView_;
}

void RFArrowAndIndicator::setStyle(platform::ActivityIndicatorViewStyle style) {
  style_ = style;
  if (loadingView_) loadingView_->removeFromSuperview();
  loadingView_.reset();
  owner_.setNeedsLayout();
}

platform::Point RFArrowAndIndicator::centerBeside(std::optional<double> textWidth,
                                                  double labelLeftInset) const {
  double x = rf_w(owner_) * 0.5;
  if (textWidth) x -= *textWidth * 0.5 + labelLeftInset;
  return {x, rf_h(owner_) * 0.5};
}

void RFArrowAndIndicator::placeArrow(const platform::Point& center, const platform::Color& tint) {
  auto& arrow = *arrowView();
  if (rf_placesItself(arrow)) {
    const auto& image = arrow.image();
    arrow.setBounds({{0, 0}, image ? image->size() : platform::Size{}});
    arrow.setCenter(center);
  }
  arrow.setTintColor(tint);
}

void RFArrowAndIndicator::placeIndicator(const platform::Point& center) {
  if (rf_placesItself(*loadingView())) loadingView_->setCenter(center);
}

void RFArrowAndIndicator::pointArrow(const platform::AffineTransform& turn) {
  loadingView()->stopAnimating();
  arrowView()->setHidden(false);
  platform::View::animateWithDuration(RFRefreshComponent::kFastAnimationDuration,
                                      [this, turn] { arrowView()->setTransform(turn); });
}

void RFArrowAndIndicator::spin() {
  loadingView()->startAnimating();
  arrowView()->setHidden(true);
}

void RFArrowAndIndicator::fadeOutSpinner(const platform::AffineTransform& arrowAt,
                                         std::function<void()> faded) {
  arrowView()->setTransform(arrowAt);
  // The owner holds this part, so while the owner lives both `this` and `faded` are sound.
  std::weak_ptr<platform::Object> owner = owner_.weak_from_this();
  platform::View::animateWithDuration(
      RFRefreshComponent::kSlowAnimationDuration, [this] { loadingView()->setAlpha(0.0); },
      [owner, faded = std::move(faded)](bool) {
        if (auto alive = owner.lock()) faded();
      });
}

void RFArrowAndIndicator::settle() {
  loadingView()->setAlpha(1.0);
  loadingView()->stopAnimating();
  arrowView()->setHidden(false);
}

}  // namespace sprout
