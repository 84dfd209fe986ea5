#include "platform/ui/ApplicationWindows.h"

#include <algorithm>

#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

namespace platform {

ApplicationWindows& ApplicationWindows::shared() {
  static ApplicationWindows* instance = new ApplicationWindows();  // lives until exit
  return *instance;
}

std::vector<std::shared_ptr<Window>> ApplicationWindows::windows() const {
  std::vector<std::shared_ptr<Window>> out;
  for (const auto& w : windows_) {
    if (auto window = w.lock()) out.push_back(window);
  }
  std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) {
    if (a->windowLevel() != b->windowLevel()) return a->windowLevel() < b->windowLevel();
    return a->shownOrder_ < b->shownOrder_;
  });
  return out;
}

std::vector<std::shared_ptr<Window>> ApplicationWindows::visibleWindows() const {
  std::vector<std::shared_ptr<Window>> out;
  for (const auto& w : windows()) {
    if (!w->isHidden()) out.push_back(w);
  }
  return out;
}

Rect ApplicationWindows::statusBarFrame() const {
  if (statusBarHidden_) return kRectZero;
  return makeRect(0, 0, Screen::main().bounds().size.width, 20);
}

void ApplicationWindows::updateStatusBarAppearance() {
  auto key = keyWindow();
  if (!key || !key->rootViewController()) return;
  auto top = key->rootViewController();
  while (top->presentedViewController()) top = top->presentedViewController();
  statusBarStyle_ = top->preferredStatusBarStyle();
  statusBarHidden_ = top->prefersStatusBarHidden();
}

void ApplicationWindows::reset() {
  windows_.clear();
  keyWindow_.reset();
  delegate_.reset();
  statusBarStyle_ = StatusBarStyle::Default;
  statusBarHidden_ = false;
  orientation_ = InterfaceOrientation::Portrait;
}

void ApplicationWindows::add(const std::shared_ptr<Window>& window) {
  windows_.erase(
      std::remove_if(windows_.begin(), windows_.end(), [](const auto& w) { return w.expired(); }),
      windows_.end());
  windows_.push_back(window);
}

void ApplicationWindows::shown(Window& window) { window.shownOrder_ = nextShownOrder_++; }

void ApplicationWindows::setKey(const std::shared_ptr<Window>& window) {
  auto old = keyWindow_.lock();
  if (old == window) return;
  if (old) old->resignKeyWindow();
  keyWindow_ = window;
  if (window) window->becomeKeyWindow();
}

}  // namespace platform
