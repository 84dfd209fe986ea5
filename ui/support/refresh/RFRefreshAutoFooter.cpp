#include "ui/support/refresh/RFRefreshAutoFooter.h"

#include "ui/support/refresh/RFViewGeometry.h"

namespace sprout {

using platform::ScrollView;

void RFRefreshAutoFooter::prepare() {
  RFRefreshFooter::prepare();
  triggerPercent_ = 1.0;
  automaticallyRefresh_ = true;
}

void RFRefreshAutoFooter::addInset(ScrollView& scroll) {
  addedInsetBottom_ = rf_h(*this);
  setRf_insetB(scroll, rf_insetB(scroll) + addedInsetBottom_);
}

void RFRefreshAutoFooter::giveInsetBack(ScrollView& scroll) {
  setRf_insetB(scroll, rf_insetB(scroll) - addedInsetBottom_);
  addedInsetBottom_ = 0;
}

void RFRefreshAutoFooter::willMoveToSuperview(const std::shared_ptr<platform::View>& newSuperview) {
  RFRefreshFooter::willMoveToSuperview(newSuperview);
  auto scroll = std::dynamic_pointer_cast<ScrollView>(newSuperview);
  if (!scroll || scroll != scrollView()) return;
  if (!isHidden()) addInset(*scroll);
  setRf_y(*this, rf_contentH(*scroll));
}

void RFRefreshAutoFooter::didDetachFromScrollView(ScrollView& scroll) {
  RFRefreshFooter::didDetachFromScrollView(scroll);
  giveInsetBack(scroll);
}

void RFRefreshAutoFooter::scrollViewContentSizeDidChange(
    const std::optional<RFSizeChange>& change) {
  RFRefreshFooter::scrollViewContentSizeDidChange(change);
  if (auto scroll = scrollView()) setRf_y(*this, rf_contentH(*scroll));
}

void RFRefreshAutoFooter::scrollViewContentOffsetDidChange(
    const std::optional<RFOffsetChange>& change) {
  RFRefreshFooter::scrollViewContentOffsetDidChange(change);
  auto scroll = scrollView();
  if (!scroll || state() != RFRefreshStateIdle || !automaticallyRefresh_ || rf_y(*this) == 0) {
    return;
  }
  if (rf_insetT(*scroll) + rf_contentH(*scroll) <= rf_h(*scroll)) return;  // short content
  const double threshold = rf_contentH(*scroll) - rf_h(*scroll) + rf_h(*this) * triggerPercent_ +
                           rf_insetB(*scroll) - rf_h(*this);
  // Only while the content moves towards its end.
  if (rf_offsetY(*scroll) >= threshold && change && change->newValue.y > change->oldValue.y) {
    beginRefreshing();
  }
}

void RFRefreshAutoFooter::scrollViewPanStateDidChange(
    const std::optional<RFPanStateChange>& change) {
  RFRefreshFooter::scrollViewPanStateDidChange(change);
  auto scroll = scrollView();
  if (!scroll || state() != RFRefreshStateIdle) return;
  if (!change || change->newValue != platform::GestureRecognizer::State::Ended) return;
  const double offsetY = rf_offsetY(*scroll);
  if (rf_insetT(*scroll) + rf_contentH(*scroll) <= rf_h(*scroll)) {
    if (offsetY >= -rf_insetT(*scroll)) beginRefreshing();  // pushed up, not pulled down
  } else if (offsetY >= rf_contentH(*scroll) + rf_insetB(*scroll) - rf_h(*scroll)) {
    beginRefreshing();
  }
}

void RFRefreshAutoFooter::setState(RFRefreshState state) {
  const RFRefreshState old = this->state();
  if (state == old) return;
  RFRefreshFooter::setState(state);
  if (state == RFRefreshStateRefreshing) {
    postToMainAfter(kRefreshingCallbackDelay, [](RFRefreshComponent& me) {
      // Ended, out of data or hidden meanwhile: the refresh is off.
      if (me.state() != RFRefreshStateRefreshing || me.isHidden() || !me.scrollView()) return;
      static_cast<RFRefreshAutoFooter&>(me).executeRefreshingCallback();
    });
  } else if ((state == RFRefreshStateIdle || state == RFRefreshStateNoMoreData) &&
             old == RFRefreshStateRefreshing) {
    if (auto completion = endRefreshingCompletionBlock()) completion();
  }
}

void RFRefreshAutoFooter::setHidden(bool hidden) {
  const bool wasHidden = isHidden();
  RFRefreshFooter::setHidden(hidden);
  auto scroll = scrollView();
  if (!wasHidden && hidden) {
    setState(RFRefreshStateIdle);
    if (scroll) giveInsetBack(*scroll);
  } else if (wasHidden && !hidden && scroll) {
    addInset(*scroll);
    setRf_y(*this, rf_contentH(*scroll));
  }
}

}  // namespace sprout
