#include "ui/support/refresh/RFRefreshBackNormalFooter.h"

#include "ui/support/refresh/RFRefreshBundle.h"
#include "ui/support/refresh/RFRefreshLabel.h"
#include "ui/support/refresh/RFViewGeometry.h"

namespace sprout {

using platform::AffineTransform;

const std::shared_ptr<platform::ImageView>& RFRefreshBackNormalFooter::arrowView() {
  if (!arrowView_) {
    arrowView_ = platform::ImageView::create(rf_arrowImage());
    addSubview(arrowView_);
  }
  return arrowView_;
}

const std::shared_ptr<platform::ActivityIndicatorView>& RFRefreshBackNormalFooter::loadingView() {
  if (!loadingView_) {
    loadingView_ = platform::ActivityIndicatorView::create(style_);
    loadingView_->setHidesWhenStopped(true);
    addSubview(loadingView_);
  }
  return loadingView_;
}

void RFRefreshBackNormalFooter::setActivityIndicatorViewStyle(
    platform::ActivityIndicatorViewStyle style) {
  style_ = style;
  if (loadingView_) loadingView_->removeFromSuperview();
  loadingView_.reset();
  setNeedsLayout();
}

void RFRefreshBackNormalFooter::prepare() {
  RFRefreshBackStateFooter::prepare();
  style_ = platform::ActivityIndicatorViewStyle::Gray;
}

void RFRefreshBackNormalFooter::placeSubviews() {
  RFRefreshBackStateFooter::placeSubviews();
  double arrowCenterX = rf_w(*this) * 0.5;
  if (!stateLabel()->isHidden()) {
    arrowCenterX -= labelLeftInset() + rf_textWith(*stateLabel()) * 0.5;
  }
  const platform::Point center{arrowCenterX, rf_h(*this) * 0.5};
  auto image = arrowView()->image();
  if (rf_placesItself(*arrowView())) {
    arrowView()->setBounds({{0, 0}, image ? image->size() : platform::Size{}});
    arrowView()->setCenter(center);
  }
  if (rf_placesItself(*loadingView())) loadingView()->setCenter(center);
  arrowView()->setTintColor(stateLabel()->textColor());
}

void RFRefreshBackNormalFooter::setState(RFRefreshState state) {
  const RFRefreshState old = this->state();
  if (state == old) return;
  RFRefreshBackStateFooter::setState(state);
  const auto turned = AffineTransform::rotation(kArrowRotation);
  if (state == RFRefreshStateIdle && old == RFRefreshStateRefreshing) {
    arrowView()->setTransform(turned);
    std::weak_ptr<RFRefreshBackNormalFooter> weak = self<RFRefreshBackNormalFooter>();
    View::animateWithDuration(
        kSlowAnimationDuration, [this] { loadingView()->setAlpha(0.0); },
        [weak](bool) {
          auto me = weak.lock();
          // As the header: a state entered since then keeps what it set.
          if (!me || me->state() != RFRefreshStateIdle) return;
          me->loadingView()->setAlpha(1.0);
          me->loadingView()->stopAnimating();
          me->arrowView()->setHidden(false);
        });
  } else if (state == RFRefreshStateIdle) {
    arrowView()->setHidden(false);
    loadingView()->stopAnimating();
    View::animateWithDuration(kFastAnimationDuration,
                              [this, turned] { arrowView()->setTransform(turned); });
  } else if (state == RFRefreshStatePulling) {
    arrowView()->setHidden(false);
    loadingView()->stopAnimating();
    View::animateWithDuration(kFastAnimationDuration,
                              [this] { arrowView()->setTransform(AffineTransform::identity()); });
  } else if (state == RFRefreshStateRefreshing) {
    arrowView()->setHidden(true);
    loadingView()->startAnimating();
  } else if (state == RFRefreshStateNoMoreData) {
    arrowView()->setHidden(true);
    loadingView()->stopAnimating();
  }
}

}  // namespace sprout
