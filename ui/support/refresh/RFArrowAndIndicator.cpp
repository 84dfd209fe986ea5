#include "ui/support/refresh/RFArrowAndIndicator.h"

#include "ui/support/refresh/RFRefreshBundle.h"
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

void RFArrowAndIndicator::placeArrow(const platform::Point& center) {
  if (!rf_placesItself(*arrowView())) return;
  const auto& image = arrowView_->image();
  arrowView_->setBounds({{0, 0}, image ? image->size() : platform::Size{}});
  arrowView_->setCenter(center);
}

void RFArrowAndIndicator::placeIndicator(const platform::Point& center) {
  if (rf_placesItself(*loadingView())) loadingView_->setCenter(center);
}

}  // namespace sprout
