#include "ui/support/hud/HDProgressHUDSettings.h"

namespace sprout {

using platform::Color;

bool HDProgressHUDSettings::isClear() const {
  return defaultMaskType == HDProgressHUDMaskType::Clear ||
         defaultMaskType == HDProgressHUDMaskType::None;
}

Color HDProgressHUDSettings::foregroundColorForStyle() const {
  switch (defaultStyle) {
    case HDProgressHUDStyle::Light:
      return Color::black();
    case HDProgressHUDStyle::Dark:
      return Color::whiteColor();
    default:
      return foregroundColor;
  }
}

Color HDProgressHUDSettings::backgroundColorForStyle() const {
  switch (defaultStyle) {
    case HDProgressHUDStyle::Light:
      return Color::whiteColor();
    case HDProgressHUDStyle::Dark:
      return Color::black();
    default:
      return backgroundColor;
  }
}

}  // namespace sprout
