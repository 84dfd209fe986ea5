#include "ui/support/refresh/RFRefreshAutoNormalFooter.h"

#include "ui/support/refresh/RFRefreshLabel.h"
#include "ui/support/refresh/RFViewGeometry.h"

namespace sprout {

void RFRefreshAutoNormalFooter::prepare() {
  RFRefreshAutoStateFooter::prepare();
  parts_.setStyle(platform::ActivityIndicatorViewStyle::Gray);
}

void RFRefreshAutoNormalFooter::placeSubviews() {
  RFRefreshAutoStateFooter::placeSubviews();
  double centerX = rf_w(*this) * 0.5;
  if (!isRefreshingTitleHidden()) centerX -= rf_textWith(*stateLabel()) * 0.5 + labelLeftInset();
  parts_.placeIndicator({centerX, rf_h(*this) * 0.5});
}

void RFRefreshAutoNormalFooter::setState(RFRefreshState state) {
  if (state == this->state()) return;
  RFRefreshAutoStateFooter::setState(state);
  if (state == RFRefreshStateNoMoreData || state == RFRefreshStateIdle) {
    loadingView()->stopAnimating();
  } else if (state == RFRefreshStateRefreshing) {
    loadingView()->startAnimating();
  }
}

}  // namespace sprout
