#pragma once

#include <optional>

#include "platform/graphics/Geometry.h"
#include "platform/ui/ApplicationWindows.h"

namespace sprout {

// The panel's size and where the status text sits in it.
struct HDPanelLayout {
  platform::Size panelSize;
  platform::Rect labelRect;
};

// `textSize` is the status text measured within 200 x 300 points (nullopt: no text); `content`
// says whether a spinner, ring or image takes the panel's upper part.
HDPanelLayout HDPanelLayoutFor(const std::optional<platform::Size>& textSize, bool content,
                               const platform::Size& minimumSize);

// Where the panel's centre goes on the HUD view, and how far it is turned.
struct HDPanelPlacement {
  platform::Point center;
  double angle = 0;
};

// A little above the middle of what the keyboard leaves free. Only when the interface
// orientation is honoured (ignoreOrientation false) do landscape and upside-down orientations
// swap the axes and turn the panel.
HDPanelPlacement HDPanelPlacementFor(const platform::Size& hudSize,
                                     const platform::Rect& statusBarFrame,
                                     platform::InterfaceOrientation orientation,
                                     bool ignoreOrientation, double keyboardHeight);

}  // namespace sprout
