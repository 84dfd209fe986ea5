#pragma once

#include <memory>
#include <optional>

#include "platform/ui/ImageView.h"
#include "platform/ui/View.h"
#include "ui/support/refresh/RFRefreshGifImages.h"
#include "ui/support/refresh/RFRefreshTypes.h"

namespace sprout {

// What the three image-sequence refresh views share: the image view (made on first use as a
// subview of its owner, which holds this as a member), the images and durations per state, and
// how they are placed and played. Each owner keeps only its own choice of states and text.
class RFRefreshGifPart {
 public:
  // The gap the images keep from the text, narrower than the arrow's.
  static constexpr double kLabelLeftInset = 20;

  explicit RFRefreshGifPart(platform::View& owner) : owner_(owner) {}

  const std::shared_ptr<platform::ImageView>& gifView();
  // Grows the owner to the first image's height when it is taller; empty arrays are ignored.
  void setImages(RFRefreshGifImages::Images images, double duration, RFRefreshState state);
  // 0.1 s per image.
  void setImages(RFRefreshGifImages::Images images, RFRefreshState state);
  const RFRefreshGifImages& images() const { return images_; }

  // The Idle frame for the pull, shown only while the owner is Idle and has Idle images.
  void showPullFrame(RFRefreshState ownerState, double pullingPercent);
  // Plays the state's images (one image: shown still), first showing the view when `reveal`; a
  // state without images leaves everything as it was.
  void play(RFRefreshState state, bool reveal);
  // Over the owner's bounds: the images centred when there is no text (`textWidth` empty), else
  // against the right edge, `labelLeftInset` left of the centred text. Constraints of the view's
  // own keep it where they put it.
  void place(std::optional<double> textWidth, double labelLeftInset);

 private:
  platform::View& owner_;
  std::shared_ptr<platform::ImageView> gifView_;
  RFRefreshGifImages images_;
};

}  // namespace sprout
