#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/foundation/Error.h"
#include "platform/foundation/Types.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageSource.h"

namespace sprout {

// A GIF of one frame is a still image; more frames make an animated image whose frames are at the
// main screen's scale and whose duration is the sum of the frame delays.
platform::Result<std::shared_ptr<platform::Image>> wi_decodeAnimatedGIF(
    const platform::Data& data, const platform::DecodeLimits& limits);
std::shared_ptr<platform::Image> wi_animatedGIFWithData(const platform::Data& data);

// Seconds the frame stays up: the unclamped delay, else the delay, else 0.1; under 0.011 → 0.1.
float wi_frameDurationAtIndex(std::size_t index, const platform::ImageSource& source);

// Looks "<name>@2x.gif" (on a screen of scale above 1) and then "<name>.gif" up in the resource
// folder; when neither exists, the still image "<name>" or "<name>.png" from the same folder.
std::shared_ptr<platform::Image> wi_animatedGIFNamed(const std::string& name);

// The folder named resources are read from: the main bundle's (platform::Bundle::main()).
std::string WIImageResourceDirectory();

// Aspect fill: every frame scaled to cover `size` and centred on the axis that overflows.
std::shared_ptr<platform::Image> wi_animatedImageByScalingAndCroppingToSize(
    const std::shared_ptr<platform::Image>& image, platform::Size size);

}  // namespace sprout
