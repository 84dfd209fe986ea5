#include "ui/support/refresh/RFRefreshBackStateFooter.h"
#include "ui/support/refresh/RFViewGeometry.h"

#include "ui/support/refresh/RFRefreshBundle.h"
#include "ui/support/refresh/RFRefreshLabel.h"

namespace sprout {

const std::shared_ptr<platform::Label>& RFRefreshBackStateFooter::stateLabel() {
  if (!stateLabel_) {
    stateLabel_ = rf_label();
    addSubview(stateLabel_);
  }
  return stateLabel_;
}

std::optional<std::string> RFRefreshBackStateFooter::titleForState(RFRefreshState state) const {
  auto it = stateTitles_.find(state);
  if (it == stateTitles_.end()) return std::nullopt;
  return it->second;
}

void RFRefreshBackStateFooter::setTitle(std::optional<std::string> title, RFRefreshState state) {
  if (!title) return;
  stateTitles_[state] = std::move(*title);
  stateLabel()->setText(titleForState(this->state()).value_or(""));
}

void RFRefreshBackStateFooter::prepare() {
  RFRefreshBackFooter::prepare();
  labelLeftInset_ = 25;
  setTitle(rf_localizedStringForKey("RFRefreshBackFooterIdleText"), RFRefreshStateIdle);
  setTitle(rf_localizedStringForKey("RFRefreshBackFooterPullingText"), RFRefreshStatePulling);
  setTitle(rf_localizedStringForKey("RFRefreshBackFooterRefreshingText"), RFRefreshStateRefreshing);
  setTitle(rf_localizedStringForKey("RFRefreshBackFooterNoMoreDataText"), RFRefreshStateNoMoreData);
}

void RFRefreshBackStateFooter::placeSubviews() {
  RFRefreshBackFooter::placeSubviews();
  if (rf_placesItself(*stateLabel())) stateLabel()->setFrame(bounds());
}

void RFRefreshBackStateFooter::setState(RFRefreshState state) {
  if (state == this->state()) return;
  RFRefreshBackFooter::setState(state);
  stateLabel()->setText(titleForState(state).value_or(""));
}

}  // namespace sprout
