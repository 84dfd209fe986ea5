#include "ui/support/refresh/RFRefreshAutoGifFooter.h"

#include "ui/support/refresh/RFRefreshLabel.h"

namespace sprout {

void RFRefreshAutoGifFooter::placeSubviews() {
  Front::placeSubviews();
  std::optional<double> textWidth;
  if (!isRefreshingTitleHidden()) textWidth = rf_textWith(*stateLabel());
  gif_.place(textWidth, labelLeftInset());
}

void RFRefreshAutoGifFooter::setState(RFRefreshState state) {
  if (state == this->state()) return;
  Front::setState(state);
  // Shown only while loading.
  if (state == RFRefreshStateRefreshing) {
    gif_.play(state, /*reveal=*/true);
  } else if (state == RFRefreshStateIdle || state == RFRefreshStateNoMoreData) {
    gifView()->stopAnimating();
    gifView()->setHidden(true);
  }
}

}  // namespace sprout
