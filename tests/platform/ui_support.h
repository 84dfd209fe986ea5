#pragma once

#include "animation_support.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Screen.h"
#include "tests/support/ScopedScreen.h"

namespace platform::ui_test {

// Virtual clock, and no windows left behind for the next test (the stage puts them back).
using UITest = animation_test::OnVirtualClock;

// Gives the main screen other bounds for a scope.
class ScopedScreenBounds : public test::ScopedScreen {
 public:
  explicit ScopedScreenBounds(const Rect& bounds) : ScopedScreen(bounds) {}
};

}  // namespace platform::ui_test
