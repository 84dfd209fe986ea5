#pragma once

#include <map>
#include <memory>
#include <vector>

#include "platform/graphics/Image.h"
#include "ui/support/refresh/RFRefreshTypes.h"

namespace sprout {

// The images of the image-sequence refresh views and their animation durations, per state.
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

 private:
  std::map<RFRefreshState, Images> images_;
  std::map<RFRefreshState, double> durations_;
};

}  // namespace sprout
