#include "ui/support/hud/HDProgressHUDGeometry.h"

#include <algorithm>
#include <cmath>

namespace sprout {

using platform::InterfaceOrientation;
using platform::Rect;
using platform::Size;

namespace {

constexpr double kPanelSide = 100;
constexpr double kLabelInset = 12;

bool isLandscape(InterfaceOrientation o) {
  return o == InterfaceOrientation::LandscapeLeft || o == InterfaceOrientation::LandscapeRight;
}

Size swapped(const Size& s) { return {s.height, static_cast<double>(static_cast<float>(s.width))}; }

}  // namespace

HDPanelLayout HDPanelLayoutFor(const std::optional<Size>& textSize, bool content,
                               const Size& minimumSize) {
  double hudWidth = kPanelSide;
  double hudHeight = kPanelSide;
  Rect labelRect = platform::kRectZero;
  if (textSize) {
    const double stringWidth = textSize->width;
    const double stringHeight = std::ceil(static_cast<float>(textSize->height));
    hudHeight = stringHeight + (content ? 80 : 20);
    if (stringWidth > kPanelSide) {
      hudWidth = 2 * std::ceil(static_cast<float>(stringWidth / 2));
    }
    const double labelY = content ? 68 : 9;
    if (hudHeight > kPanelSide) {
      labelRect = platform::makeRect(kLabelInset, labelY, hudWidth, stringHeight);
      hudWidth += 2 * kLabelInset;
    } else {
      hudWidth += 2 * kLabelInset;
      labelRect = platform::makeRect(0, labelY, hudWidth, stringHeight);
    }
  }
  HDPanelLayout layout;
  layout.panelSize = {std::max(minimumSize.width, hudWidth),
                      std::max(minimumSize.height, hudHeight)};
  labelRect.size.width += std::max(0.0, minimumSize.width - hudWidth);
  layout.labelRect = labelRect;
  return layout;
}

HDPanelPlacement HDPanelPlacementFor(const Size& hudSize, const Rect& statusBarFrame,
                                     InterfaceOrientation orientation, bool ignoreOrientation,
                                     double keyboardHeight) {
  Size frame = hudSize;
  Size statusBar = statusBarFrame.size;
  if (isLandscape(orientation) && !ignoreOrientation) {
    frame = swapped(frame);
    statusBar = swapped(statusBar);
  }
  double activeHeight = frame.height;
  if (keyboardHeight > 0) activeHeight += 2 * statusBar.height;
  activeHeight -= keyboardHeight;

  const double posX = frame.width / 2;
  // The single-precision factor, and the product rounded to single precision before the floor.
  const double posY = std::floor(static_cast<float>(activeHeight * 0.45f));
  HDPanelPlacement placement;
  placement.center = {posX, posY};
  if (ignoreOrientation) return placement;
  switch (orientation) {
    case InterfaceOrientation::PortraitUpsideDown:
      placement = {{posX, frame.height - posY}, M_PI};
      break;
    case InterfaceOrientation::LandscapeRight:  // the platform's value 3
      placement = {{frame.height - posY, posX}, M_PI / 2};
      break;
    case InterfaceOrientation::LandscapeLeft:  // 4
      placement = {{posY, posX}, -M_PI / 2};
      break;
    default:
      break;
  }
  return placement;
}

}  // namespace sprout
