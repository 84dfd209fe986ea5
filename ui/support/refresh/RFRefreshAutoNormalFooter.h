#pragma once

#include <memory>

#include "platform/ui/ActivityIndicatorView.h"
#include "ui/support/refresh/RFArrowAndIndicator.h"
#include "ui/support/refresh/RFRefreshAutoStateFooter.h"

namespace sprout {

// The automatic state footer with a spinner left of the title while loading.
class RFRefreshAutoNormalFooter : public RFRefreshAutoStateFooter {
 public:
  static std::shared_ptr<RFRefreshAutoNormalFooter> footerWithRefreshingBlock(
      RFRefreshComponentRefreshingBlock block) {
    return makeWithBlock<RFRefreshAutoNormalFooter>(std::move(block));
  }
  template <class Target>
  static std::shared_ptr<RFRefreshAutoNormalFooter> footerWithRefreshingTarget(
      const std::shared_ptr<Target>& target, void (Target::*action)(RFRefreshComponent&)) {
    return makeWithTarget<RFRefreshAutoNormalFooter>(target, action);
  }

  const std::shared_ptr<platform::ActivityIndicatorView>& loadingView() {
    return parts_.loadingView();
  }
  platform::ActivityIndicatorViewStyle activityIndicatorViewStyle() const { return parts_.style(); }
  // The indicator is made anew in the new style; the old one leaves the footer.
  void setActivityIndicatorViewStyle(platform::ActivityIndicatorViewStyle style) {
    parts_.setStyle(style);
  }

  void setState(RFRefreshState state) override;

 protected:
  friend class platform::Object;
  using RFRefreshAutoStateFooter::RFRefreshAutoStateFooter;
  void prepare() override;
  void placeSubviews() override;

 private:
  RFArrowAndIndicator parts_{*this};
};

}  // namespace sprout
