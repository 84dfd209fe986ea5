#include "ui/support/refresh/RFRefreshBackGifFooter.h"

#include "ui/support/refresh/RFRefreshLabel.h"

namespace sprout {

void RFRefreshBackGifFooter::setPullingPercent(double percent) {
  Front::setPullingPercent(percent);
  gif_.showPullFrame(state(), percent);
}

void RFRefreshBackGifFooter::placeSubviews() {
  Front::placeSubviews();
  std::optional<double> textWidth;
  if (!stateLabel()->isHidden()) textWidth = rf_textWith(*stateLabel());
  gif_.place(textWidth, labelLeftInset());
}

void RFRefreshBackGifFooter::setState(RFRefreshState state) {
  if (state == this->state()) return;
  Front::setState(state);
  if (state == RFRefreshStatePulling || state == RFRefreshStateRefreshing) {
    // A state without images leaves the view as it was (hidden after no more data, too).
    gif_.play(state, /*reveal=*/true);
  } else if (state == RFRefreshStateIdle || state == RFRefreshStateNoMoreData) {
    gifView()->setHidden(state == RFRefreshStateNoMoreData);
  }
}

}  // namespace sprout
