#include "ui/support/refresh/RFRefreshAutoNormalFooter.h"

#include "ui/support/refresh/RFRefreshLabel.h"

namespace sprout {

void RFRefreshAutoNormalFooter::placeSubviews() {
  Front::placeSubviews();
  std::optional<double> textWidth;
  if (!isRefreshingTitleHidden()) textWidth = rf_textWith(*stateLabel());
  parts_.placeIndicator(parts_.centerBeside(textWidth, labelLeftInset()));
}

void RFRefreshAutoNormalFooter::setState(RFRefreshState state) {
  if (state == this->state()) return;
  Front::setState(state);
  if (state == RFRefreshStateNoMoreData || state == RFRefreshStateIdle) {
    loadingView()->stopAnimating();
  } else if (state == RFRefreshStateRefreshing) {
    loadingView()->startAnimating();
  }
}

}  // namespace sprout
