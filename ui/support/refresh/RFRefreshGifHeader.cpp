#include "ui/support/refresh/RFRefreshGifHeader.h"

#include <algorithm>

#include "ui/support/refresh/RFRefreshLabel.h"

namespace sprout {

void RFRefreshGifHeader::setPullingPercent(double percent) {
  Front::setPullingPercent(percent);
  gif_.showPullFrame(state(), percent);
}

void RFRefreshGifHeader::placeSubviews() {
  Front::placeSubviews();
  std::optional<double> textWidth;
  if (!stateLabel()->isHidden() || !lastUpdatedTimeLabel()->isHidden()) {
    const double timeWidth =
        lastUpdatedTimeLabel()->isHidden() ? 0 : rf_textWith(*lastUpdatedTimeLabel());
    textWidth = std::max(rf_textWith(*stateLabel()), timeWidth);
  }
  gif_.place(textWidth, labelLeftInset());
}

void RFRefreshGifHeader::setState(RFRefreshState state) {
  if (state == this->state()) return;
  Front::setState(state);
  if (state == RFRefreshStatePulling || state == RFRefreshStateRefreshing) {
    gif_.play(state, /*reveal=*/false);
  } else if (state == RFRefreshStateIdle) {
    gifView()->stopAnimating();
  }
}

}  // namespace sprout
