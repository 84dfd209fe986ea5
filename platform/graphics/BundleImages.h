#pragma once

#include <memory>
#include <string>

namespace platform {

class Bundle;
class Image;

// An image of the bundle by name: "<name>@<display scale>x.png", then the other scales from 3x
// down, then "<name>.png" (or the name as given when it has an extension), with the scale the
// file name gives. Kept once loaded (per bundle folder and display scale); nullptr when none is
// there or none decodes.
std::shared_ptr<Image> imageNamed(const Bundle& bundle, const std::string& name);

}  // namespace platform
