#pragma once

#include <memory>

#include "platform/ui/ImageView.h"
#include "ui/support/refresh/RFRefreshBackStateFooter.h"
#include "ui/support/refresh/RFRefreshNormalFront.h"

namespace sprout {

// The spring-back state footer with an arrow (turned the other way from the header's) and a
// spinner while loading.
class RFRefreshBackNormalFooter : public RFRefreshNormalFront<RFRefreshBackStateFooter> {
 public:
  static std::shared_ptr<RFRefreshBackNormalFooter> footerWithRefreshingBlock(
      RFRefreshComponentRefreshingBlock block) {
    return makeWithBlock<RFRefreshBackNormalFooter>(std::move(block));
  }

  const std::shared_ptr<platform::ImageView>& arrowView() { return parts_.arrowView(); }

  void setState(RFRefreshState state) override;

  static constexpr double kArrowRotation = 0.000001 - 3.14159265358979323846;

 protected:
  using Front = RFRefreshNormalFront<RFRefreshBackStateFooter>;
  using Front::Front;
  void placeSubviews() override;
};

}  // namespace sprout
