#include "ui/support/refresh/RFRefreshNormalHeader.h"

#include <algorithm>

#include "ui/support/refresh/RFRefreshBundle.h"
#include "ui/support/refresh/RFRefreshLabel.h"
#include "ui/support/refresh/RFViewGeometry.h"

namespace sprout {

using platform::AffineTransform;

const std::shared_ptr<platform::ImageView>& RFRefreshNormalHeader::arrowView() {
  if (!arrowView_) {
    arrowView_ = platform::ImageView::create(rf_arrowImage());
    addSubview(arrowView_);
  }
  return arrowView_;
}

const std::shared_ptr<platform::ActivityIndicatorView>& RFRefreshNormalHeader::loadingView() {
  if (!loadingView_) {
    loadingView_ = platform::ActivityIndicatorView::create(style_);
    loadingView_->setHidesWhenStopped(true);
    addSubview(loadingView_);
  }
  return loadingView_;
}

void RFRefreshNormalHeader::setActivityIndicatorViewStyle(
    platform::ActivityIndicatorViewStyle style) {
  style_ = style;
  if (loadingView_) loadingView_->removeFromSuperview();
  loadingView_.reset();
  setNeedsLayout();
}

void RFRefreshNormalHeader::prepare() {
  RFRefreshStateHeader::prepare();
  style_ = platform::ActivityIndicatorViewStyle::Gray;
}

void RFRefreshNormalHeader::placeSubviews() {
  RFRefreshStateHeader::placeSubviews();
  double arrowCenterX = rf_w(*this) * 0.5;
  if (!stateLabel()->isHidden()) {
    double textWidth = rf_textWith(*stateLabel());
    if (!lastUpdatedTimeLabel()->isHidden()) {
      textWidth = std::max(textWidth, rf_textWith(*lastUpdatedTimeLabel()));
    }
    arrowCenterX -= textWidth * 0.5 + labelLeftInset();
  }
  const platform::Point center{arrowCenterX, rf_h(*this) * 0.5};
  auto image = arrowView()->image();
  // The bounds, not the frame: the arrow may be turned.
  if (rf_placesItself(*arrowView())) {
    arrowView()->setBounds({{0, 0}, image ? image->size() : platform::Size{}});
    arrowView()->setCenter(center);
  }
  if (rf_placesItself(*loadingView())) loadingView()->setCenter(center);
  arrowView()->setTintColor(stateLabel()->textColor());
}

void RFRefreshNormalHeader::setState(RFRefreshState state) {
  const RFRefreshState old = this->state();
  if (state == old) return;
  RFRefreshStateHeader::setState(state);
  if (state == RFRefreshStateIdle) {
    if (old == RFRefreshStateRefreshing) {
      arrowView()->setTransform(AffineTransform::identity());
      std::weak_ptr<RFRefreshNormalHeader> weak = self<RFRefreshNormalHeader>();
      View::animateWithDuration(
          kSlowAnimationDuration, [this] { loadingView()->setAlpha(0.0); },
          [weak](bool) {
            auto me = weak.lock();
            // A state entered since then keeps what it set.
            if (!me || me->state() != RFRefreshStateIdle) return;
            me->loadingView()->setAlpha(1.0);
            me->loadingView()->stopAnimating();
            me->arrowView()->setHidden(false);
          });
    } else {
      loadingView()->stopAnimating();
      arrowView()->setHidden(false);
      View::animateWithDuration(kFastAnimationDuration,
                                [this] { arrowView()->setTransform(AffineTransform::identity()); });
    }
  } else if (state == RFRefreshStatePulling) {
    loadingView()->stopAnimating();
    arrowView()->setHidden(false);
    View::animateWithDuration(kFastAnimationDuration, [this] {
      arrowView()->setTransform(AffineTransform::rotation(kArrowRotation));
    });
  } else if (state == RFRefreshStateRefreshing) {
    loadingView()->setAlpha(1.0);
    loadingView()->startAnimating();
    arrowView()->setHidden(true);
  }
}

}  // namespace sprout
