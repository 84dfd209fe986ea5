#include "ui/support/refresh/RFRefreshBackNormalFooter.h"

#include "ui/support/refresh/RFRefreshLabel.h"

namespace sprout {

using platform::AffineTransform;

void RFRefreshBackNormalFooter::placeSubviews() {
  Front::placeSubviews();
  std::optional<double> textWidth;
  if (!stateLabel()->isHidden()) textWidth = rf_textWith(*stateLabel());
  const platform::Point center = parts_.centerBeside(textWidth, labelLeftInset());
  parts_.placeArrow(center, stateLabel()->textColor());
  parts_.placeIndicator(center);
}

void RFRefreshBackNormalFooter::setState(RFRefreshState state) {
  const RFRefreshState old = this->state();
  if (state == old) return;
  Front::setState(state);
  // The arrow turns the other way from the header's.
  const auto turned = AffineTransform::rotation(kArrowRotation);
  if (state == RFRefreshStateIdle && old == RFRefreshStateRefreshing) {
    parts_.fadeOutSpinner(turned, [this] {
      // The fade belonged to the refresh that ended: a refresh begun since then must not spin
      // unseen. Otherwise, as the header, a state entered since keeps what it set.
      loadingView()->setAlpha(1.0);
      if (this->state() == RFRefreshStateIdle) parts_.settle();
    });
  } else if (state == RFRefreshStateIdle) {
    parts_.pointArrow(turned);
  } else if (state == RFRefreshStatePulling) {
    parts_.pointArrow(AffineTransform::identity());
  } else if (state == RFRefreshStateRefreshing) {
    parts_.spin();
  } else if (state == RFRefreshStateNoMoreData) {
    arrowView()->setHidden(true);
    loadingView()->stopAnimating();
  }
}

}  // namespace sprout
