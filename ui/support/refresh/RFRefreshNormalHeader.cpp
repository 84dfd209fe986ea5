#include "ui/support/refresh/RFRefreshNormalHeader.h"

#include <algorithm>

#include "ui/support/refresh/RFRefreshBundle.h"
#include "ui/support/refresh/RFRefreshLabel.h"
#include "ui/support/refresh/RFViewGeometry.h"

namespace sprout {

using platform::AffineTransform;

void RFRefreshNormalHeader::prepare() {
  RFRefreshStateHeader::prepare();
  parts_.setStyle(platform::ActivityIndicatorViewStyle::Gray);
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
  parts_.placeArrow(center);  // by its bounds, not its frame: the arrow may be turned
  parts_.placeIndicator(center);
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
