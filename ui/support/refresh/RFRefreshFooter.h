#pragma once

#include <memory>

#include "ui/support/refresh/RFRefreshComponent.h"

namespace sprout {

// What every footer shares: its height, the no-more-data state and, optionally, hiding itself
// while its table or collection has no rows.
class RFRefreshFooter : public RFRefreshComponent {
 public:
  static std::shared_ptr<RFRefreshFooter> footerWithRefreshingBlock(
      RFRefreshComponentRefreshingBlock block) {
    return makeWithBlock<RFRefreshFooter>(std::move(block));
  }

  virtual void endRefreshingWithNoMoreData();
  void noticeNoMoreData() { endRefreshingWithNoMoreData(); }
  void resetNoMoreData();

  bool isAutomaticallyHidden() const { return automaticallyHidden_; }
  void setAutomaticallyHidden(bool hidden) { automaticallyHidden_ = hidden; }
  double ignoredScrollViewContentInsetBottom() const { return ignoredInsetBottom_; }
  void setIgnoredScrollViewContentInsetBottom(double v) { ignoredInsetBottom_ = v; }

  void willMoveToSuperview(const std::shared_ptr<platform::View>& newSuperview) override;

  static constexpr double kFooterHeight = 44;

 protected:
  using RFRefreshComponent::RFRefreshComponent;
  void prepare() override;
  void didDetachFromScrollView(platform::ScrollView& scrollView) override;

 private:
  bool automaticallyHidden_ = false;
  double ignoredInsetBottom_ = 0;
};

}  // namespace sprout
