#pragma once

#include <memory>

#include "platform/ui/ImageView.h"
#include "ui/support/refresh/RFRefreshNormalFront.h"
#include "ui/support/refresh/RFRefreshStateHeader.h"

namespace sprout {

// The state header with an arrow that turns when the pull is far enough, and a spinner while it
// refreshes, both left of the text.
class RFRefreshNormalHeader : public RFRefreshNormalFront<RFRefreshStateHeader> {
 public:
  static std::shared_ptr<RFRefreshNormalHeader> headerWithRefreshingBlock(
      RFRefreshComponentRefreshingBlock block) {
    return makeWithBlock<RFRefreshNormalHeader>(std::move(block));
  }
  template <class Target>
  static std::shared_ptr<RFRefreshNormalHeader> headerWithRefreshingTarget(
      const std::shared_ptr<Target>& target, void (Target::*action)(RFRefreshComponent&)) {
    return makeWithTarget<RFRefreshNormalHeader>(target, action);
  }

  const std::shared_ptr<platform::ImageView>& arrowView() { return parts_.arrowView(); }

  void setState(RFRefreshState state) override;

  // Just short of a half turn, so the arrow always turns back the way it came.
  static constexpr double kArrowRotation = 0.000001 - 3.14159265358979323846;

 protected:
  using Front = RFRefreshNormalFront<RFRefreshStateHeader>;
  using Front::Front;
  void placeSubviews() override;
};

}  // namespace sprout
