#pragma once

#include <memory>
#include <string>

#include "platform/graphics/Image.h"

namespace sprout {

// The scale a cache key asks for: 2 for "@2x." and 3 for "@3x." (3 wins) in keys of at least 8
// characters, else 1. The image keeps its bitmap and orientation; animations are rescaled frame
// by frame and keep their duration.
std::shared_ptr<platform::Image> WIImageApplyKeyScale(
    const std::string& key, const std::shared_ptr<platform::Image>& image);

}  // namespace sprout
