#include "ui/support/refresh/RFRefreshHeader.h"

#include <algorithm>

#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Window.h"
#include "ui/support/refresh/RFViewGeometry.h"

namespace sprout {

using platform::ScrollView;

void RFRefreshHeader::prepare() {
  RFRefreshComponent::prepare();
  setLastUpdatedTimeKey(kLastUpdatedTimeKey);
  setRf_h(*this, kHeaderHeight);
}

void RFRefreshHeader::placeSubviews() {
  RFRefreshComponent::placeSubviews();
  setRf_y(*this, -rf_h(*this) - ignoredInsetTop_);
}

std::optional<platform::Date> RFRefreshHeader::lastUpdatedTime() const {
  return platform::UserDefaults::standard().dateForKey(lastUpdatedTimeKey_);
}

void RFRefreshHeader::followWhileRefreshing(ScrollView& scroll) {
  if (!window()) return;
  // Keeps the header in view only as far as the content has been scrolled back.
  const double recordedTop = scrollViewOriginalInset_.top;
  double insetT = std::max(-rf_offsetY(scroll), recordedTop);
  insetT = std::min(insetT, rf_h(*this) + recordedTop);
  setRf_insetT(scroll, insetT);
  insetTDelta_ = recordedTop - insetT;
}

void RFRefreshHeader::scrollViewContentOffsetDidChange(
    const std::optional<RFOffsetChange>& change) {
  RFRefreshComponent::scrollViewContentOffsetDidChange(change);
  auto scroll = scrollView();
  if (!scroll) return;
  if (state() == RFRefreshStateRefreshing) {
    followWhileRefreshing(*scroll);
    return;
  }
  scrollViewOriginalInset_ = scroll->contentInset();
  const double offsetY = rf_offsetY(*scroll);
  const double happenOffsetY = -scrollViewOriginalInset_.top;
  if (offsetY > happenOffsetY) return;  // out of sight
  const double normal2pullingOffsetY = happenOffsetY - rf_h(*this);
  const double percent = pullRatio(happenOffsetY - offsetY, rf_h(*this));
  followPull(scroll->isDragging(), percent, normal2pullingOffsetY - offsetY);
}

void RFRefreshHeader::setState(RFRefreshState state) {
  const RFRefreshState old = this->state();
  if (state == old) return;
  RFRefreshComponent::setState(state);
  if (state == RFRefreshStateRefreshing) {
    postToMain([](RFRefreshComponent& me) {
      static_cast<RFRefreshHeader&>(me).startRefreshingAnimation();
    });
  } else if (state == RFRefreshStateIdle && old == RFRefreshStateRefreshing) {
    auto& defaults = platform::UserDefaults::standard();
    defaults.setDate(lastUpdatedTimeKey_, platform::Date::now());
    defaults.synchronize();
    endRefreshingAnimation();
  }
}

void RFRefreshHeader::startRefreshingAnimation() {
  auto scroll = scrollView();
  if (!scroll || state() != RFRefreshStateRefreshing) return;
  std::weak_ptr<RFRefreshHeader> weak = self<RFRefreshHeader>();
  View::animateWithDuration(
      kFastAnimationDuration,
      [&] {
        const double top = scrollViewOriginalInset_.top + rf_h(*this);
        setRf_insetT(*scroll, top);
        // Set here too: off its window the offset change below does not reach it.
        insetTDelta_ = scrollViewOriginalInset_.top - top;
        scroll->setContentOffset({0, -top});
      },
      [weak](bool) {
        if (auto me = weak.lock()) me->executeRefreshingCallback();
      });
}

void RFRefreshHeader::endRefreshingAnimation() {
  auto scroll = scrollView();
  animateRefreshEnd([&] {
    if (!scroll) return;
    setRf_insetT(*scroll, rf_insetT(*scroll) + insetTDelta_);
    insetTDelta_ = 0;  // given back: nothing is owed until the next refresh
    // The platform never moves the offset for an inset, so the content is brought back inside
    // its new edge here, unless a finger holds it.
    const double edge = -rf_insetT(*scroll);
    if (!scroll->isTracking() && rf_offsetY(*scroll) < edge) setRf_offsetY(*scroll, edge);
  });
}

void RFRefreshHeader::didDetachFromScrollView(ScrollView& scroll) {
  RFRefreshComponent::didDetachFromScrollView(scroll);
  // Off the scroll view the end of the refresh can no longer reach it.
  if (insetTDelta_ != 0) setRf_insetT(scroll, rf_insetT(scroll) + insetTDelta_);
  insetTDelta_ = 0;
}

void RFRefreshHeader::endRefreshing() {
  postToMain([](RFRefreshComponent& me) { me.setState(RFRefreshStateIdle); });
}

}  // namespace sprout
