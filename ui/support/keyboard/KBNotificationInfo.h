#pragma once

#include <optional>
#include <string>

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Geometry.h"

namespace sprout {

// Values of a notification's user info, read leniently: a missing key or a value of another
// type is nullopt (numbers are taken as any of the usual arithmetic types).
std::optional<platform::Rect> rectValue(const platform::Notification& n, const std::string& key);
std::optional<double> numberValue(const platform::Notification& n, const std::string& key);

}  // namespace sprout
