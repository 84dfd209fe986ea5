#include "ui/support/refresh/RFRefreshAutoStateFooter.h"
#include "ui/support/refresh/RFViewGeometry.h"

#include "platform/ui/TapGestureRecognizer.h"
#include "ui/support/refresh/RFRefreshBundle.h"
#include "ui/support/refresh/RFRefreshLabel.h"

namespace sprout {

const std::shared_ptr<platform::Label>& RFRefreshAutoStateFooter::stateLabel() {
  if (!stateLabel_) {
    stateLabel_ = rf_label();
    addSubview(stateLabel_);
  }
  return stateLabel_;
}

std::string RFRefreshAutoStateFooter::titleFor(RFRefreshState state) const {
  auto it = stateTitles_.find(state);
  return it == stateTitles_.end() ? std::string() : it->second;
}

void RFRefreshAutoStateFooter::setTitle(std::optional<std::string> title, RFRefreshState state) {
  if (!title) return;
  stateTitles_[state] = std::move(*title);
  stateLabel()->setText(titleFor(this->state()));
}

void RFRefreshAutoStateFooter::stateLabelClick() {
  if (state() == RFRefreshStateIdle) beginRefreshing();
}

void RFRefreshAutoStateFooter::prepare() {
  RFRefreshAutoFooter::prepare();
  labelLeftInset_ = 25;
  setTitle(rf_localizedStringForKey("RFRefreshAutoFooterIdleText"), RFRefreshStateIdle);
  setTitle(rf_localizedStringForKey("RFRefreshAutoFooterRefreshingText"), RFRefreshStateRefreshing);
  setTitle(rf_localizedStringForKey("RFRefreshAutoFooterNoMoreDataText"), RFRefreshStateNoMoreData);
  stateLabel()->setUserInteractionEnabled(true);
  std::weak_ptr<RFRefreshAutoStateFooter> weak = self<RFRefreshAutoStateFooter>();
  stateLabel()->addGestureRecognizer(
      platform::TapGestureRecognizer::create([weak](platform::GestureRecognizer&) {
        if (auto me = weak.lock()) me->stateLabelClick();
      }));
}

void RFRefreshAutoStateFooter::placeSubviews() {
  RFRefreshAutoFooter::placeSubviews();
  if (rf_placesItself(*stateLabel())) stateLabel()->setFrame(bounds());
}

void RFRefreshAutoStateFooter::setState(RFRefreshState state) {
  if (state == this->state()) return;
  RFRefreshAutoFooter::setState(state);
  const bool blank = refreshingTitleHidden_ && state == RFRefreshStateRefreshing;
  stateLabel()->setText(blank ? std::string() : titleFor(state));
}

}  // namespace sprout
