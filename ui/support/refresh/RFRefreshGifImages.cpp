#include "ui/support/refresh/RFRefreshGifImages.h"

#include <cmath>

namespace sprout {

bool RFRefreshGifImages::set(Images images, double duration, RFRefreshState state) {
  if (images.empty()) return false;
  images_[state] = std::move(images);
  durations_[state] = duration > 0 ? duration : 0;
  return true;
}

const RFRefreshGifImages::Images* RFRefreshGifImages::images(RFRefreshState state) const {
  auto it = images_.find(state);
  return it == images_.end() || it->second.empty() ? nullptr : &it->second;
}

double RFRefreshGifImages::duration(RFRefreshState state) const {
  auto it = durations_.find(state);
  return it == durations_.end() ? 0 : it->second;
}

std::size_t RFRefreshGifImages::frameIndex(std::size_t count, double pullingPercent) {
  if (count == 0) return 0;
  const double scaled = static_cast<double>(count) * pullingPercent;
  if (!(scaled > 0)) return 0;  // negative or not a number
  if (scaled >= static_cast<double>(count)) return count - 1;
  return static_cast<std::size_t>(std::floor(scaled));
}

}  // namespace sprout
