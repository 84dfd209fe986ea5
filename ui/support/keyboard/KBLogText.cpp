#include "ui/support/keyboard/KBLogText.h"

#include <cstdio>

namespace sprout {

std::string describe(const platform::Point& p) {
  char text[64];
  std::snprintf(text, sizeof text, "{%g, %g}", p.x, p.y);
  return text;
}

std::string describe(const platform::Rect& r) {
  char text[128];
  std::snprintf(text, sizeof text, "{{%g, %g}, {%g, %g}}", r.origin.x, r.origin.y, r.size.width,
                r.size.height);
  return text;
}

std::string describe(const platform::EdgeInsets& e) {
  char text[128];
  std::snprintf(text, sizeof text, "{%g, %g, %g, %g}", e.top, e.left, e.bottom, e.right);
  return text;
}

std::string formatNumber(const char* pattern, double value) {
  char text[128];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

}  // namespace sprout
