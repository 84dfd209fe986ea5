#pragma once

#include <memory>

#include "ui/support/refresh/RFRefreshAutoStateFooter.h"
#include "ui/support/refresh/RFRefreshGifFront.h"

namespace sprout {

// The automatic state footer with caller-supplied images, shown only while loading.
class RFRefreshAutoGifFooter : public RFRefreshGifFront<RFRefreshAutoStateFooter> {
 public:
  static std::shared_ptr<RFRefreshAutoGifFooter> footerWithRefreshingBlock(
      RFRefreshComponentRefreshingBlock block) {
    return makeWithBlock<RFRefreshAutoGifFooter>(std::move(block));
  }

  void setState(RFRefreshState state) override;

 protected:
  using Front = RFRefreshGifFront<RFRefreshAutoStateFooter>;
  using Front::Front;
  void placeSubviews() override;
};

}  // namespace sprout
