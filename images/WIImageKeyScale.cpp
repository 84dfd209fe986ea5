#include "images/WIImageKeyScale.h"

#include <vector>

namespace sprout {

namespace {

double scaleForKey(const std::string& key) {
  double scale = 1.0;
  if (key.size() >= 8) {
    if (key.find("@2x.") != std::string::npos) scale = 2.0;
    if (key.find("@3x.") != std::string::npos) scale = 3.0;
  }
  return scale;
}

}  // namespace

std::shared_ptr<platform::Image> WIImageApplyKeyScale(
    const std::string& key, const std::shared_ptr<platform::Image>& image) {
  if (!image) return nullptr;
  if (image->isAnimated()) {
    std::vector<std::shared_ptr<platform::Image>> frames;
    frames.reserve(image->images().size());
    for (const auto& frame : image->images()) frames.push_back(WIImageApplyKeyScale(key, frame));
    return platform::Image::animated(std::move(frames), image->duration());
  }
  return platform::Image::create(image->bitmap(), scaleForKey(key), image->orientation());
}

}  // namespace sprout
