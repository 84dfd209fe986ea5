#pragma once

#include <memory>

#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/ImageView.h"
#include "ui/support/refresh/RFArrowAndIndicator.h"
#include "ui/support/refresh/RFRefreshBackStateFooter.h"

namespace sprout {

// The spring-back state footer with an arrow (turned the other way from the header's) and a
// spinner while loading.
class RFRefreshBackNormalFooter : public RFRefreshBackStateFooter {
 public:
  static std::shared_ptr<RFRefreshBackNormalFooter> footerWithRefreshingBlock(
      RFRefreshComponentRefreshingBlock block) {
    return makeWithBlock<RFRefreshBackNormalFooter>(std::move(block));
  }

  const std::shared_ptr<platform::ImageView>& arrowView() { return parts_.arrowView(); }
  const std::shared_ptr<platform::ActivityIndicatorView>& loadingView() {
    return parts_.loadingView();
  }
  platform::ActivityIndicatorViewStyle activityIndicatorViewStyle() const { return parts_.style(); }
  // The indicator is made anew in the new style; the old one leaves the footer.
  void setActivityIndicatorViewStyle(platform::ActivityIndicatorViewStyle style) {
    parts_.setStyle(style);
  }

  void setState(RFRefreshState state) override;

  static constexpr double kArrowRotation = 0.000001 - 3.14159265358979323846;

 protected:
  friend class platform::Object;
  using RFRefreshBackStateFooter::RFRefreshBackStateFooter;
  void prepare() override;
  void placeSubviews() override;

 private:
  RFArrowAndIndicator parts_{*this};
};

}  // namespace sprout
