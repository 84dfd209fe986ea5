#pragma once

#include <memory>
#include <string>

#include "platform/graphics/Image.h"

namespace sprout {

// An image of the app's own resources by name: "<name>@<screen scale>x.png", then the other
// scales from the largest down, then "<name>.png". nullptr when none is there or none decodes.
// Loaded images are kept, so every view shares one.
std::shared_ptr<platform::Image> componentImageNamed(const std::string& name);

}  // namespace sprout
