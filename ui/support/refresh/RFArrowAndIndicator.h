#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/ImageView.h"

namespace sprout {

// The arrow and the activity indicator that the normal header and footers show beside their text,
// each made on first use as a subview of its owner (which holds this as a member), with where they
// stand and how they change between states. The owners differ only in which way the arrow points
// in which state and in what follows the spinner's fade.
class RFArrowAndIndicator {
 public:
  explicit RFArrowAndIndicator(platform::View& owner) : owner_(owner) {}

  const std::shared_ptr<platform::ImageView>& arrowView();
  const std::shared_ptr<platform::ActivityIndicatorView>& loadingView();
  platform::ActivityIndicatorViewStyle style() const { return style_; }
  // The indicator is made anew in the new style; the old one leaves the owner.
  void setStyle(platform::ActivityIndicatorViewStyle style);

  // Where arrow and indicator stand: half way down the owner, `labelLeftInset` left of centred
  // text `textWidth` wide, or at the owner's centre with no text (`textWidth` empty).
  platform::Point centerBeside(std::optional<double> textWidth, double labelLeftInset) const;
  // The arrow at its image's size (by its bounds, not its frame: it may be turned) in the text's
  // colour, and the indicator, both centred at `center`, unless constraints of their own hold them.
  void placeArrow(const platform::Point& center, const platform::Color& tint);
  void placeIndicator(const platform::Point& center);

  // Idle or pulled: the spinner stops and the arrow shows, turning to `turn`.
  void pointArrow(const platform::AffineTransform& turn);
  // Loading: the spinner turns in the arrow's place.
  void spin();
  // The refresh ended: the arrow is at `arrowAt` at once and the spinner fades out; then, unless
  // the owner has gone by then, `faded` runs (it decides whether to `settle`).
  void fadeOutSpinner(const platform::AffineTransform& arrowAt, std::function<void()> faded);
  // After the fade, still idle: the spinner opaque again and stopped, the arrow shown.
  void settle();

 private:
  platform::View& owner_;
  std::shared_ptr<platform::ImageView> arrowView_;
  std::shared_ptr<platform::ActivityIndicatorView> loadingView_;
  platform::ActivityIndicatorViewStyle style_ = platform::ActivityIndicatorViewStyle::Gray;
};

}  // namespace sprout
