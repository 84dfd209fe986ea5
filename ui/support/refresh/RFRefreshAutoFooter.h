#pragma once

#include <memory>

#include "ui/support/refresh/RFRefreshFooter.h"

namespace sprout {

// A footer right after the content that starts loading by itself once scrolled into view (or
// when the finger lifts at the end of the content), half a second after turning Refreshing.
class RFRefreshAutoFooter : public RFRefreshFooter {
 public:
  static std::shared_ptr<RFRefreshAutoFooter> footerWithRefreshingBlock(
      RFRefreshComponentRefreshingBlock block) {
    return makeWithBlock<RFRefreshAutoFooter>(std::move(block));
  }

  bool isAutomaticallyRefresh() const { return automaticallyRefresh_; }
  void setAutomaticallyRefresh(bool v) { automaticallyRefresh_ = v; }
  double triggerAutomaticallyRefreshPercent() const { return triggerPercent_; }
  void setTriggerAutomaticallyRefreshPercent(double v) { triggerPercent_ = v; }
  double appearencePercentTriggerAutoRefresh() const { return triggerPercent_; }
  void setAppearencePercentTriggerAutoRefresh(double v) { triggerPercent_ = v; }

  void willMoveToSuperview(const std::shared_ptr<platform::View>& newSuperview) override;
  void setState(RFRefreshState state) override;
  void setHidden(bool hidden) override;

  static constexpr double kRefreshingCallbackDelay = 0.5;

 protected:
  using RFRefreshFooter::RFRefreshFooter;
  void prepare() override;
  void scrollViewContentSizeDidChange(const std::optional<RFSizeChange>& change) override;
  void scrollViewContentOffsetDidChange(const std::optional<RFOffsetChange>& change) override;
  void scrollViewPanStateDidChange(const std::optional<RFPanStateChange>& change) override;
  void didDetachFromScrollView(platform::ScrollView& scrollView) override;

 private:
  void addInset(platform::ScrollView& scrollView);
  void giveInsetBack(platform::ScrollView& scrollView);

  bool automaticallyRefresh_ = true;
  double triggerPercent_ = 1.0;
  // What this footer added to the bottom inset, given back exactly on hiding or leaving.
  double addedInsetBottom_ = 0;
};

}  // namespace sprout
