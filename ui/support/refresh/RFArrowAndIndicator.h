#pragma once

#include <memory>

#include "platform/graphics/Geometry.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/ImageView.h"

namespace sprout {

// The arrow and the activity indicator that the normal header and footers show beside their text,
// each made on first use as a subview of its owner (which holds this as a member).
class RFArrowAndIndicator {
 public:
  explicit RFArrowAndIndicator(platform::View& owner) : owner_(owner) {}

  const std::shared_ptr<platform::ImageView>& arrowView();
  const std::shared_ptr<platform::ActivityIndicatorView>& loadingView();
  platform::ActivityIndicatorViewStyle style() const { return style_; }
  // The indicator is made anew in the new style; the old one leaves the owner.
  void setStyle(platform::ActivityIndicatorViewStyle style);
  // The arrow at its image's size and the indicator, both centred at `center`, unless
  // constraints of their own hold them.
  void placeArrow(const platform::Point& center);
  void placeIndicator(const platform::Point& center);

 private:
  platform::View& owner_;
  std::shared_ptr<platform::ImageView> arrowView_;
  std::shared_ptr<platform::ActivityIndicatorView> loadingView_;
  platform::ActivityIndicatorViewStyle style_ = platform::ActivityIndicatorViewStyle::Gray;
};

}  // namespace sprout
