#pragma once

#include <memory>

#include "platform/ui/ActivityIndicatorView.h"
#include "ui/support/refresh/RFArrowAndIndicator.h"

namespace sprout {

// The public face the normal header and footers share over the state view each extends, written
// once: the indicator (and, for those that show one, the arrow) lives in the part the view holds.
template <class StateView>
class RFRefreshNormalFront : public StateView {
 public:
  const std::shared_ptr<platform::ActivityIndicatorView>& loadingView() {
    return parts_.loadingView();
  }
  platform::ActivityIndicatorViewStyle activityIndicatorViewStyle() const { return parts_.style(); }
  // The indicator is made anew in the new style; the old one leaves the view.
  void setActivityIndicatorViewStyle(platform::ActivityIndicatorViewStyle style) {
    parts_.setStyle(style);
  }

 protected:
  using StateView::StateView;
  void prepare() override {
    StateView::prepare();
    parts_.setStyle(platform::ActivityIndicatorViewStyle::Gray);
  }

  RFArrowAndIndicator parts_{*this};
};

}  // namespace sprout
