#include "ui/support/refresh/RFRefreshNormalHeader.h"

#include <algorithm>

#include "ui/support/refresh/RFRefreshLabel.h"

namespace sprout {

using platform::AffineTransform;

void RFRefreshNormalHeader::placeSubviews() {
  Front::placeSubviews();
  std::optional<double> textWidth;
  if (!stateLabel()->isHidden()) {
    textWidth = rf_textWith(*stateLabel());
    if (!lastUpdatedTimeLabel()->isHidden()) {
      textWidth = std::max(*textWidth, rf_textWith(*lastUpdatedTimeLabel()));
    }
  }
  const platform::Point center = parts_.centerBeside(textWidth, labelLeftInset());
  parts_.placeArrow(center, stateLabel()->textColor());
  parts_.placeIndicator(center);
}

void RFRefreshNormalHeader::setState(RFRefreshState state) {
  const RFRefreshState old = this->state();
  if (state == old) return;
  Front::setState(state);
  if (state == RFRefreshStateIdle && old == RFRefreshStateRefreshing) {
    parts_.fadeOutSpinner(AffineTransform::identity(), [this] {
      // A state entered since then keeps what it set.
      if (this->state() == RFRefreshStateIdle) parts_.settle();
    });
  } else if (state == RFRefreshStateIdle) {
    parts_.pointArrow(AffineTransform::identity());
  } else if (state == RFRefreshStatePulling) {
    parts_.pointArrow(AffineTransform::rotation(kArrowRotation));
  } else if (state == RFRefreshStateRefreshing) {
    loadingView()->setAlpha(1.0);
    parts_.spin();
  }
}

}  // namespace sprout
