#include "app/AppDelegate.h"

#include "app/AppStartup.h"

#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"

namespace sprout {

std::shared_ptr<AppDelegate> AppDelegate::create() {
  return std::shared_ptr<AppDelegate>(new AppDelegate());
}

void AppDelegate::applicationDidFinishLaunching() {
  startAppServices();
  platform::ApplicationWindows::shared().setDelegate(shared_from_this());
  if (window_) return;
  window_ = platform::Window::create(platform::Screen::main().bounds());
  window_->setRootViewController(platform::ViewController::create());
  window_->makeKeyAndVisible();
}

}  // namespace sprout
