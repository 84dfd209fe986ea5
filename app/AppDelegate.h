#pragma once

#include <memory>

#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Window.h"

namespace sprout {

// The application's delegate. What the components need of it is its window: the progress HUD
// sizes itself and its overlay to the window's bounds.
class AppDelegate : public platform::ApplicationDelegate,
                    public std::enable_shared_from_this<AppDelegate> {
 public:
  static std::shared_ptr<AppDelegate> create();

  // nullptr until launch code sets one.
  std::shared_ptr<platform::Window> window() const override { return window_; }
  void setWindow(std::shared_ptr<platform::Window> window) { window_ = std::move(window); }

  // Launch: turns on the app's services (startAppServices), becomes the application's delegate
  // and, unless a window was set already, makes one the size of the main screen, with a root
  // view controller, and shows it as the key window.
  void applicationDidFinishLaunching();

 private:
  AppDelegate() = default;

  std::shared_ptr<platform::Window> window_;
};

}  // namespace sprout
