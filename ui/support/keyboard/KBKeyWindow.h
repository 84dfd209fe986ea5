#pragma once

#include <memory>

#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace sprout {

// The window the keyboard manager measures against: the field's own window, else the
// application's key window, remembered (weakly) for a moment without one. Main thread only.
std::shared_ptr<platform::Window> keyboardKeyWindow(const platform::View* field);

}  // namespace sprout
