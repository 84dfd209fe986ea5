#include "platform/ui/ApplicationWindows.h"

#include <algorithm>

#include "platform/foundation/NotificationCenter.h"
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

Rect ApplicationWindows::frameFor(bool hidden, InterfaceOrientation orientation) const {
  if (hidden) return kRectZero;
  const Size screen = Screen::main().bounds().size;
  const bool landscape = orientation == InterfaceOrientation::LandscapeLeft ||
                         orientation == InterfaceOrientation::LandscapeRight;
  return makeRect(0, 0, landscape ? screen.height : screen.width, 20);
}

Rect ApplicationWindows::statusBarFrame() const { return frameFor(statusBarHidden_, orientation_); }

void ApplicationWindows::setStatusBarHidden(bool hidden) { changeStatusBar(hidden, orientation_); }

void ApplicationWindows::setStatusBarOrientation(InterfaceOrientation o) {
  changeStatusBar(statusBarHidden_, o);
}

void ApplicationWindows::changeStatusBar(bool hidden, InterfaceOrientation orientation) {
  auto& center = NotificationCenter::defaultCenter();
  const InterfaceOrientation oldOrientation = orientation_;
  const Rect oldFrame = statusBarFrame();
  const Rect newFrame = frameFor(hidden, orientation);
  const bool turns = orientation != oldOrientation;
  const bool moves = !(newFrame == oldFrame);
  if (turns) {
    center.post(kApplicationWillChangeStatusBarOrientationNotification, nullptr,
                {{kApplicationStatusBarOrientationUserInfoKey, orientation}});
  }
  if (moves) {
    center.post(kApplicationWillChangeStatusBarFrameNotification, nullptr,
                {{kApplicationStatusBarFrameUserInfoKey, newFrame}});
  }
  statusBarHidden_ = hidden;
  orientation_ = orientation;
  if (moves) {
    center.post(kApplicationDidChangeStatusBarFrameNotification, nullptr,
                {{kApplicationStatusBarFrameUserInfoKey, oldFrame}});
  }
  if (turns) {
    center.post(kApplicationDidChangeStatusBarOrientationNotification, nullptr,
                {{kApplicationStatusBarOrientationUserInfoKey, oldOrientation}});
  }
}

void ApplicationWindows::updateStatusBarAppearance() {
  auto key = keyWindow();
  if (!key || !key->rootViewController()) return;
  auto top = key->rootViewController();
  while (top->presentedViewController()) top = top->presentedViewController();
  statusBarStyle_ = top->preferredStatusBarStyle();
  setStatusBarHidden(top->prefersStatusBarHidden());
}

void ApplicationWindows::ignoreTouchesForTransition() {
  transitionClock_ = &Clock::current();
  transitionEnds_ = transitionClock_->now() + kTransitionDuration;
}

bool ApplicationWindows::isIgnoringTouches() const {
  return transitionClock_ == &Clock::current() && transitionClock_->now() < transitionEnds_;
}

void ApplicationWindows::reset() {
  transitionClock_ = nullptr;
  transitionEnds_ = 0;
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
