#pragma once

#include <map>
#include <memory>
#include <vector>

#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "ui/support/refresh/RFRefreshTypes.h"

namespace sprout {

// The images of the image-sequence refresh views, per state, and how they are shown: a frame
// chosen by the pull, or a looping animation.
class RFRefreshGifImages {
 public:
  using Images = std::vector<std::shared_ptr<platform::Image>>;

  static constexpr double kFrameDuration = 0.1;

  // Empty arrays are ignored (nothing to show); a negative duration counts as none.
  bool set(Images images, double duration, RFRefreshState state);
  const Images* images(RFRefreshState state) const;
  double duration(RFRefreshState state) const;
  const std::map<RFRefreshState, Images>& stateImages() const { return images_; }
  const std::map<RFRefreshState, double>& stateDurations() const { return durations_; }

  // The Idle frame for a pull (0 = none, 1 = its height), clamped into the images.
  static std::size_t frameIndex(std::size_t count, double pullingPercent);
  // Shows the Idle frame for the pull; false when there is none to show.
  bool showPullFrame(platform::ImageView& view, double pullingPercent) const;
  // Plays the state's images (one image: shown still); false when the state has none.
  bool play(platform::ImageView& view, RFRefreshState state) const;

 private:
  std::map<RFRefreshState, Images> images_;
  std::map<RFRefreshState, double> durations_;
};

}  // namespace sprout
