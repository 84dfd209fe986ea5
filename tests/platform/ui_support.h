#pragma once

#include "animation_support.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Screen.h"

namespace platform::ui_test {

// Virtual clock, and no windows left behind for the next test.
class UITest : public animation_test::OnVirtualClock {
 protected:
  ~UITest() override { ApplicationWindows::shared().reset(); }
};

// Gives the main screen other bounds for a scope.
class ScopedScreenBounds {
 public:
  explicit ScopedScreenBounds(const Rect& bounds) : saved_(Screen::main().bounds()) {
    Screen::main().setBounds(bounds);
  }
  ~ScopedScreenBounds() { Screen::main().setBounds(saved_); }
  ScopedScreenBounds(const ScopedScreenBounds&) = delete;
  ScopedScreenBounds& operator=(const ScopedScreenBounds&) = delete;

 private:
  Rect saved_;
};

}  // namespace platform::ui_test
