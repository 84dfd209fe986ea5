#pragma once

#include <string>

#include "platform/graphics/Geometry.h"

namespace sprout {

// Geometry as the keyboard manager's log lines write it: "{x, y}", "{{x, y}, {w, h}}",
// "{top, left, bottom, right}".
std::string describe(const platform::Point& p);
std::string describe(const platform::Rect& r);
std::string describe(const platform::EdgeInsets& e);
// printf-style with one number.
std::string formatNumber(const char* pattern, double value);

}  // namespace sprout
