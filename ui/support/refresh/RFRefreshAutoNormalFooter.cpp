#include "ui/support/refresh/RFRefreshAutoNormalFooter.h"

#include "ui/support/refresh/RFRefreshLabel.h"
#include "ui/support/refresh/RFViewGeometry.h"

namespace sprout {

const std::shared_ptr<platform::ActivityIndicatorView>& RFRefreshAutoNormalFooter::loadingView() {
  if (!loadingView_) {
    loadingView_ = platform::ActivityIndicatorView::create(style_);
    loadingView_->setHidesWhenStopped(true);
    addSubview(loadingView_);
  }
  return loadingView_;
}

void RFRefreshAutoNormalFooter::setActivityIndicatorViewStyle(
    platform::ActivityIndicatorViewStyle style) {
  style_ = style;
  if (loadingView_) loadingView_->removeFromSuperview();
  loadingView_.reset();
  setNeedsLayout();
}

void RFRefreshAutoNormalFooter::prepare() {
  RFRefreshAutoStateFooter::prepare();
  style_ = platform::ActivityIndicatorViewStyle::Gray;
}

void RFRefreshAutoNormalFooter::placeSubviews() {
  RFRefreshAutoStateFooter::placeSubviews();
  double centerX = rf_w(*this) * 0.5;
  if (!isRefreshingTitleHidden()) centerX -= rf_textWith(*stateLabel()) * 0.5 + labelLeftInset();
  if (rf_placesItself(*loadingView())) loadingView()->setCenter({centerX, rf_h(*this) * 0.5});
}

void RFRefreshAutoNormalFooter::setState(RFRefreshState state) {
  if (state == this->state()) return;
  RFRefreshAutoStateFooter::setState(state);
  if (state == RFRefreshStateNoMoreData || state == RFRefreshStateIdle) {
    loadingView()->stopAnimating();
  } else if (state == RFRefreshStateRefreshing) {
    loadingView()->startAnimating();
  }
}

}  // namespace sprout
