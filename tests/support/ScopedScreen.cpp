#include "tests/support/ScopedScreen.h"

#include "platform/ui/Screen.h"

namespace platform::test {

ScopedScreen::ScopedScreen()
    : savedBounds_(Screen::main().bounds()), savedScale_(Screen::main().scale()) {}

ScopedScreen::ScopedScreen(const Rect& bounds, std::optional<double> scale) : ScopedScreen() {
  Screen::main().setBounds(bounds);
  if (scale) Screen::main().setScale(*scale);
}

ScopedScreen::~ScopedScreen() {
  Screen::main().setBounds(savedBounds_);
  Screen::main().setScale(savedScale_);
}

}  // namespace platform::test
