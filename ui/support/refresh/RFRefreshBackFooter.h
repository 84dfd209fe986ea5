#pragma once

#include <memory>

#include "ui/support/refresh/RFRefreshFooter.h"

namespace sprout {

// A footer below the end of the content, outside the scrolled area: pulled up past its height
// and released, it grows the bottom inset to stay in view while loading; at the end the inset
// springs back (the content stays where it is when new rows arrived).
class RFRefreshBackFooter : public RFRefreshFooter {
 public:
  static std::shared_ptr<RFRefreshBackFooter> footerWithRefreshingBlock(
      RFRefreshComponentRefreshingBlock block) {
    return makeWithBlock<RFRefreshBackFooter>(std::move(block));
  }

  long lastRefreshCount() const { return lastRefreshCount_; }
  double lastBottomDelta() const { return lastBottomDelta_; }
  // Content height less the visible height (positive: the content is taller).
  double heightForContentBreakView() const;
  // The offset at which the footer starts to show.
  double happenOffsetY() const;

  void willMoveToSuperview(const std::shared_ptr<platform::View>& newSuperview) override;
  void setState(RFRefreshState state) override;
  // Both on the next turn of the main queue.
  void endRefreshing() override;
  void endRefreshingWithNoMoreData() override;

 protected:
  using RFRefreshFooter::RFRefreshFooter;
  void scrollViewContentOffsetDidChange(const std::optional<RFOffsetChange>& change) override;
  void scrollViewContentSizeDidChange(const std::optional<RFSizeChange>& change) override;
  void didDetachFromScrollView(platform::ScrollView& scrollView) override;

 private:
  void place();
  void startRefreshingAnimation(platform::ScrollView& scrollView);
  void endRefreshingAnimation(platform::ScrollView* scrollView);
  void giveInsetBack(platform::ScrollView& scrollView, bool newRows);

  long lastRefreshCount_ = 0;
  double lastBottomDelta_ = 0;
};

}  // namespace sprout
