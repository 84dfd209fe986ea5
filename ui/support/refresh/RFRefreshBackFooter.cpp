#include "ui/support/refresh/RFRefreshBackFooter.h"

#include <algorithm>

#include "ui/support/refresh/RFScrollViewRefresh.h"
#include "ui/support/refresh/RFViewGeometry.h"

namespace sprout {

using platform::ScrollView;

double RFRefreshBackFooter::heightForContentBreakView() const {
  auto scroll = scrollView();
  if (!scroll) return 0;
  const double visible =
      rf_h(*scroll) - scrollViewOriginalInset_.bottom - scrollViewOriginalInset_.top;
  return rf_contentH(*scroll) - visible;
}

double RFRefreshBackFooter::happenOffsetY() const {
  const double deltaH = heightForContentBreakView();
  return deltaH > 0 ? deltaH - scrollViewOriginalInset_.top : -scrollViewOriginalInset_.top;
}

void RFRefreshBackFooter::place() {
  auto scroll = scrollView();
  if (!scroll) return;
  const double contentHeight = rf_contentH(*scroll) + ignoredScrollViewContentInsetBottom();
  const double scrollHeight = rf_h(*scroll) - scrollViewOriginalInset_.top -
                              scrollViewOriginalInset_.bottom +
                              ignoredScrollViewContentInsetBottom();
  setRf_y(*this, std::max(contentHeight, scrollHeight));
}

void RFRefreshBackFooter::willMoveToSuperview(const std::shared_ptr<platform::View>& newSuperview) {
  RFRefreshFooter::willMoveToSuperview(newSuperview);
  if (newSuperview && newSuperview == scrollView()) place();
}

void RFRefreshBackFooter::scrollViewContentSizeDidChange(
    const std::optional<RFSizeChange>& change) {
  RFRefreshFooter::scrollViewContentSizeDidChange(change);
  place();
}

void RFRefreshBackFooter::scrollViewContentOffsetDidChange(
    const std::optional<RFOffsetChange>& change) {
  RFRefreshFooter::scrollViewContentOffsetDidChange(change);
  auto scroll = scrollView();
  if (!scroll || state() == RFRefreshStateRefreshing) return;
  const double oldTop = scrollViewOriginalInset_.top;
  scrollViewOriginalInset_ = scroll->contentInset();
  // A header gives and takes back a top inset while it refreshes; under short content the
  // footer's resting place follows it, or it would stay in sight after the header is done.
  if (scrollViewOriginalInset_.top != oldTop) place();
  const double currentOffsetY = rf_offsetY(*scroll);
  const double happen = happenOffsetY();
  if (currentOffsetY <= happen) return;  // out of sight
  const double percent = pullRatio(currentOffsetY - happen, rf_h(*this));
  if (state() == RFRefreshStateNoMoreData) {
    setPullingPercent(percent);
    return;
  }
  const double normal2pullingOffsetY = happen + rf_h(*this);
  followPull(scroll->isDragging(), percent, currentOffsetY - normal2pullingOffsetY);
}

void RFRefreshBackFooter::setState(RFRefreshState state) {
  const RFRefreshState old = this->state();
  if (state == old) return;
  RFRefreshFooter::setState(state);
  auto scroll = scrollView();
  if (state == RFRefreshStateRefreshing) {
    if (scroll) startRefreshingAnimation(*scroll);
  } else if ((state == RFRefreshStateIdle || state == RFRefreshStateNoMoreData) &&
             old == RFRefreshStateRefreshing) {
    // Also off its scroll view: whoever waits for the end still hears of it.
    endRefreshingAnimation(scroll.get());
  }
}

void RFRefreshBackFooter::startRefreshingAnimation(ScrollView& scroll) {
  lastRefreshCount_ = rf_totalDataCount(scroll);
  std::weak_ptr<RFRefreshBackFooter> weak = self<RFRefreshBackFooter>();
  View::animateWithDuration(
      kFastAnimationDuration,
      [&] {
        double bottom = rf_h(*this) + scrollViewOriginalInset_.bottom;
        const double deltaH = heightForContentBreakView();
        if (deltaH < 0) bottom -= deltaH;  // short content: the inset covers the gap too
        lastBottomDelta_ = bottom - rf_insetB(scroll);
        setRf_insetB(scroll, bottom);
        setRf_offsetY(scroll, happenOffsetY() + rf_h(*this));
      },
      [weak](bool) {
        if (auto me = weak.lock()) me->executeRefreshingCallback();
      });
}

void RFRefreshBackFooter::endRefreshingAnimation(ScrollView* scrollView) {
  const bool newRows = scrollView && heightForContentBreakView() > 0 &&
                       rf_totalDataCount(*scrollView) != lastRefreshCount_;
  animateRefreshEnd([&] {
    if (scrollView) giveInsetBack(*scrollView, newRows);
  });
  // Stops any movement, so the new rows stay in view.
  if (newRows) setRf_offsetY(*scrollView, rf_offsetY(*scrollView));
}

void RFRefreshBackFooter::giveInsetBack(ScrollView& scroll, bool newRows) {
  setRf_insetB(scroll, rf_insetB(scroll) - lastBottomDelta_);
  // The platform never moves the offset for an inset: without new rows the content springs
  // back inside its end here; with new rows it stays, showing them.
  const double end = scroll.maximumContentOffset().y;
  if (!newRows && !scroll.isTracking() && rf_offsetY(scroll) > end) setRf_offsetY(scroll, end);
}

void RFRefreshBackFooter::didDetachFromScrollView(ScrollView& scroll) {
  RFRefreshFooter::didDetachFromScrollView(scroll);
  // Leaving mid-refresh gives back what the refresh added.
  if (state() == RFRefreshStateRefreshing)
    setRf_insetB(scroll, rf_insetB(scroll) - lastBottomDelta_);
  lastBottomDelta_ = 0;
}

void RFRefreshBackFooter::endRefreshing() {
  postToMain([](RFRefreshComponent& me) { me.setState(RFRefreshStateIdle); });
}

void RFRefreshBackFooter::endRefreshingWithNoMoreData() {
  postToMain([](RFRefreshComponent& me) { me.setState(RFRefreshStateNoMoreData); });
}

}  // namespace sprout
