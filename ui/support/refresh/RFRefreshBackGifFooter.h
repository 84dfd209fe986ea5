#pragma once

#include <memory>

#include "ui/support/refresh/RFRefreshBackStateFooter.h"
#include "ui/support/refresh/RFRefreshGifFront.h"

namespace sprout {

// The spring-back state footer with caller-supplied images: a frame chosen by the pull, an
// animation while pulled far enough and while loading.
class RFRefreshBackGifFooter : public RFRefreshGifFront<RFRefreshBackStateFooter> {
 public:
  static std::shared_ptr<RFRefreshBackGifFooter> footerWithRefreshingBlock(
      RFRefreshComponentRefreshingBlock block) {
    return makeWithBlock<RFRefreshBackGifFooter>(std::move(block));
  }

  void setPullingPercent(double percent) override;
  void setState(RFRefreshState state) override;

 protected:
  using Front = RFRefreshGifFront<RFRefreshBackStateFooter>;
  using Front::Front;
  void placeSubviews() override;
};

}  // namespace sprout
