#include "ui/support/refresh/RFRefreshBackNormalFooter.h"

#include "ui/support/refresh/RFRefreshBundle.h"
#include "ui/support/refresh/RFRefreshLabel.h"
#include "ui/support/refresh/RFViewGeometry.h"

namespace sprout {

using platform::AffineTransform;

void RFRefreshBackNormalFooter::prepare() {
  RFRefreshBackStateFooter::prepare();
  parts_.setStyle(platform::ActivityIndicatorViewStyle::Gray);
}

void RFRefreshBackNormalFooter::placeSubviews() {
  RFRefreshBackStateFooter::placeSubviews();
  double arrowCenterX = rf_w(*this) * 0.5;
  if (!stateLabel()->isHidden()) {
    arrowCenterX -= labelLeftInset() + rf_textWith(*stateLabel()) * 0.5;
  }
  const platform::Point center{arrowCenterX, rf_h(*this) * 0.5};
  parts_.placeArrow(center);  // by its bounds, not its frame: the arrow may be turned
  parts_.placeIndicator(center);
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
          if (!me) return;
          // The fade belonged to the refresh that ended: a refresh begun since then must not
          // spin unseen. Otherwise, as the header, a state entered since keeps what it set.
          me->loadingView()->setAlpha(1.0);
          if (me->state() != RFRefreshStateIdle) return;
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
