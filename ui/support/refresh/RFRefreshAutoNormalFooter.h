#pragma once

#include <memory>

#include "ui/support/refresh/RFRefreshAutoStateFooter.h"
#include "ui/support/refresh/RFRefreshNormalFront.h"

namespace sprout {

// The automatic state footer with a spinner left of the title while loading.
class RFRefreshAutoNormalFooter : public RFRefreshNormalFront<RFRefreshAutoStateFooter> {
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

  void setState(RFRefreshState state) override;

 protected:
  using Front = RFRefreshNormalFront<RFRefreshAutoStateFooter>;
  using Front::Front;
  void placeSubviews() override;
};

}  // namespace sprout
