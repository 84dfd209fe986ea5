#pragma once

#include <memory>
#include <string>

#include "platform/graphics/Image.h"

namespace sprout {

// The "HDProgressHUD" resource bundle: the folder of that name among the project's resources.
std::string HDProgressHUDBundlePath();

// "<name>@<screen scale>x.png", then the other scales from the largest down, then "<name>.png",
// with the scale its file name gives. nullptr when none is there or none decodes. Images are
// kept once loaded, so every spinner shares one mask.
std::shared_ptr<platform::Image> HDProgressHUDBundleImage(const std::string& name);

}  // namespace sprout
