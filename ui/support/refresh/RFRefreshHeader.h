#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Date.h"
#include "ui/support/refresh/RFRefreshComponent.h"

namespace sprout {

// The pull-down header: sits just above the content, turns Pulling once dragged past its own
// height, refreshes on release keeping itself in view (by the top inset), and on the end slides
// away and stores the time in the user defaults.
class RFRefreshHeader : public RFRefreshComponent {
 public:
  static std::shared_ptr<RFRefreshHeader> headerWithRefreshingBlock(
      RFRefreshComponentRefreshingBlock block) {
    return makeWithBlock<RFRefreshHeader>(std::move(block));
  }

  const std::string& lastUpdatedTimeKey() const { return lastUpdatedTimeKey_; }
  virtual void setLastUpdatedTimeKey(const std::string& key) { lastUpdatedTimeKey_ = key; }
  // The date stored under lastUpdatedTimeKey in the standard user defaults.
  std::optional<platform::Date> lastUpdatedTime() const;
  double ignoredScrollViewContentInsetTop() const { return ignoredInsetTop_; }
  void setIgnoredScrollViewContentInsetTop(double v) { ignoredInsetTop_ = v; }
  double insetTDelta() const { return insetTDelta_; }

  void setState(RFRefreshState state) override;
  // On the next turn of the main queue.
  void endRefreshing() override;

  static constexpr double kHeaderHeight = 54;
  static constexpr char kLastUpdatedTimeKey[] = "RFRefreshHeaderLastUpdatedTimeKey";

 protected:
  using RFRefreshComponent::RFRefreshComponent;
  void prepare() override;
  void placeSubviews() override;
  void scrollViewContentOffsetDidChange(const std::optional<RFOffsetChange>& change) override;
  // Leaving mid-refresh gives back the top inset the refresh added.
  void didDetachFromScrollView(platform::ScrollView& scrollView) override;

 private:
  void followWhileRefreshing(platform::ScrollView& scrollView);
  void startRefreshingAnimation();
  void endRefreshingAnimation();

  std::string lastUpdatedTimeKey_;
  double ignoredInsetTop_ = 0;
  double insetTDelta_ = 0;
};

}  // namespace sprout
