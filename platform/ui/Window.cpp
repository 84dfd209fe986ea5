#include "platform/ui/Window.h"

#include <map>

#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"

namespace platform {

std::shared_ptr<Window> Window::create() { return create(Screen::main().bounds()); }

std::shared_ptr<Window> Window::create(const Rect& frame) { return make<Window>(frame); }

void Window::didInit() {
  View::didInit();
  ApplicationWindows::shared().add(self<Window>());
}

Window::Window(const Rect& frame) : View(frame) { layer()->setHidden(true); }

Window::~Window() = default;

void Window::setWindowLevel(WindowLevel level) { level_ = level; }

void Window::setHidden(bool hidden) {
  if (hidden == isHidden()) return;
  auto root = root_;
  if (root) root->beginAppearanceTransition(!hidden, false);
  View::setHidden(hidden);
  if (!hidden) {
    ApplicationWindows::shared().shown(*this);
    setNeedsLayout();
  } else if (isKeyWindow()) {
    ApplicationWindows::shared().setKey(nullptr);
  }
  if (root) root->endAppearanceTransition();
}

void Window::makeKeyAndVisible() {
  makeKeyWindow();
  setHidden(false);
}

void Window::makeKeyWindow() { ApplicationWindows::shared().setKey(self<Window>()); }

bool Window::isKeyWindow() const { return ApplicationWindows::shared().keyWindow().get() == this; }

void Window::setRootViewController(std::shared_ptr<ViewController> controller) {
  if (controller == root_) return;
  const bool visible = !isHidden();
  if (auto old = root_) {
    if (visible) old->beginAppearanceTransition(false, false);
    if (old->isViewLoaded()) old->view()->removeFromSuperview();
    if (visible) old->endAppearanceTransition();
  }
  root_ = std::move(controller);
  if (!root_) return;
  auto view = root_->view();  // loaded before it hears that it will appear
  if (visible) root_->beginAppearanceTransition(true, false);
  view->setFrame(bounds());
  view->setAutoresizingMask(ViewAutoresizingFlexibleWidth | ViewAutoresizingFlexibleHeight);
  insertSubview(view, 0);
  if (visible) root_->endAppearanceTransition();
}

void Window::layoutSubviews() {
  if (root_ && root_->isViewLoaded()) root_->view()->setFrame(bounds());
}

void Window::sendEvent(const Event& event) {
  // Touches go to their views in groups, one call per view and phase.
  std::map<std::pair<View*, TouchPhase>, TouchSet> groups;
  std::map<View*, std::shared_ptr<View>> keep;
  for (const auto& touch : event.touches) {
    auto view = touch->view();
    if (!view) continue;
    keep[view.get()] = view;
    groups[{view.get(), touch->phase()}].push_back(touch);
  }
  for (const auto& [key, touches] : groups) {
    View* view = key.first;
    switch (key.second) {
      case TouchPhase::Began:
        view->touchesBegan(touches, event);
        break;
      case TouchPhase::Moved:
        view->touchesMoved(touches, event);
        break;
      case TouchPhase::Ended:
        view->touchesEnded(touches, event);
        break;
      case TouchPhase::Cancelled:
        view->touchesCancelled(touches, event);
        break;
      case TouchPhase::Stationary:
        break;
    }
  }
}

}  // namespace platform
