#pragma once

#include <memory>

#include "ui/support/refresh/RFRefreshGifFront.h"
#include "ui/support/refresh/RFRefreshStateHeader.h"

namespace sprout {

// The state header with caller-supplied images instead of the arrow: a frame chosen by the pull,
// an animation while pulled far enough and while refreshing.
class RFRefreshGifHeader : public RFRefreshGifFront<RFRefreshStateHeader> {
 public:
  static std::shared_ptr<RFRefreshGifHeader> headerWithRefreshingBlock(
      RFRefreshComponentRefreshingBlock block) {
    return makeWithBlock<RFRefreshGifHeader>(std::move(block));
  }

  void setPullingPercent(double percent) override;
  void setState(RFRefreshState state) override;

 protected:
  using Front = RFRefreshGifFront<RFRefreshStateHeader>;
  using Front::Front;
  void placeSubviews() override;
};

}  // namespace sprout
