#include "platform/ui/controllers/NavigationController.h"

#include <algorithm>

#include "platform/foundation/Log.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"
#include "platform/ui/controllers/NavigationBar.h"

namespace platform {
namespace {

// The bar follows the status bar; the controller's view changes size with the window.
class NavigationContainerView : public View {
 public:
  std::function<void()> onLayout;
  void layoutSubviews() override {
    if (onLayout) onLayout();
  }

  explicit NavigationContainerView(Key key, const Rect& frame) : View(std::move(key), frame) {}
};

}  // namespace

std::shared_ptr<NavigationController> NavigationController::create(
    const std::shared_ptr<ViewController>& root) {
  auto nav = make<NavigationController>();
  if (root) nav->pushViewController(root, false);
  return nav;
}

NavigationController::~NavigationController() = default;

void NavigationController::loadView() {
  auto container = Object::make<NavigationContainerView>(Screen::main().bounds());
  std::weak_ptr<NavigationController> weak = self<NavigationController>();
  container->onLayout = [weak] {
    if (auto nav = weak.lock()) nav->layoutBar();
  };
  setView(container);
  container->addSubview(navigationBar());
  if (auto top = topViewController()) {
    auto content = top->view();
    content->setFrame(container->bounds());
    content->setAutoresizingMask(ViewAutoresizingFlexibleWidth | ViewAutoresizingFlexibleHeight);
    container->insertSubview(content, 0);
  }
}

const std::shared_ptr<NavigationBar>& NavigationController::navigationBar() {
  if (!bar_) {
    bar_ = NavigationBar::create();
    std::weak_ptr<NavigationController> weak = self<NavigationController>();
    bar_->setBackAction([weak] {
      if (auto nav = weak.lock()) nav->popViewControllerAnimated(true);
    });
    syncBarItems();
  }
  return bar_;
}

Rect NavigationController::boundsBelowBar(Rect bounds) {
  if (barHidden_) return bounds;
  const Rect bar = navigationBar()->frame();
  const double top = std::min(bounds.size.height, bar.origin.y + bar.size.height);
  bounds.origin.y += top;
  bounds.size.height -= top;
  return bounds;
}

void NavigationController::layoutBar() {
  if (!bar_ || !isViewLoaded()) return;
  const Rect b = view()->bounds();
  // Only a navigation controller at the top of the screen leaves room for the status bar.
  const Rect status = ApplicationWindows::shared().statusBarFrame();
  const double top = minY(view()->frame()) < height(status) ? height(status) : 0;
  bar_->setFrame(makeRect(0, top, width(b), NavigationBar::kHeight));
  bar_->setHidden(barHidden_);
}

void NavigationController::syncBarItems() {
  if (!bar_) return;
  std::vector<std::shared_ptr<NavigationItem>> items;
  for (const auto& c : stack_) items.push_back(c->navigationItem());
  bar_->setItems(std::move(items));
}

void NavigationController::setNavigationBarHidden(bool hidden, bool /*animated*/) {
  barHidden_ = hidden;
  if (bar_) bar_->setHidden(hidden);
}

std::shared_ptr<ViewController> NavigationController::topViewController() const {
  return stack_.empty() ? nullptr : stack_.back();
}

std::shared_ptr<ViewController> NavigationController::visibleViewController() const {
  if (auto presented = presentedViewController()) return presented;
  return topViewController();
}

void NavigationController::show(const std::shared_ptr<ViewController>& incoming,
                                const std::shared_ptr<ViewController>& outgoing, bool animated) {
  syncBarItems();
  if (!isViewLoaded()) return;
  const bool onScreen = isVisible();
  if (onScreen && animated && incoming != outgoing) {
    ApplicationWindows::shared().ignoreTouchesForTransition();
  }
  if (outgoing && outgoing != incoming) {
    if (onScreen) outgoing->beginAppearanceTransition(false, animated);
    if (outgoing->isViewLoaded()) outgoing->view()->removeFromSuperview();
    if (onScreen) outgoing->endAppearanceTransition();
  }
  if (incoming && incoming != outgoing) {
    auto content = incoming->view();
    if (onScreen) incoming->beginAppearanceTransition(true, animated);
    content->setFrame(view()->bounds());
    content->setAutoresizingMask(ViewAutoresizingFlexibleWidth | ViewAutoresizingFlexibleHeight);
    view()->insertSubview(content, 0);
    if (onScreen) incoming->endAppearanceTransition();
  }
}

// Taken from another container or from over a screen it is presented on, a controller would be
// left in that one's stack or chain too, and each would tear it out from under the other.
bool NavigationController::canTake(const ViewController& controller) const {
  if (!controller.parentViewController() && !controller.presentingViewController()) return true;
  log(LogLevel::Warning, "NavigationController",
      "cannot push a controller that has another parent or is presented");
  return false;
}

void NavigationController::pushViewController(const std::shared_ptr<ViewController>& controller,
                                              bool animated) {
  if (!controller || std::find(stack_.begin(), stack_.end(), controller) != stack_.end()) return;
  if (!canTake(*controller)) return;
  auto outgoing = topViewController();
  addChildViewController(controller);
  stack_.push_back(controller);
  show(controller, outgoing, animated);
  controller->didMoveToParentViewController(self<NavigationController>());
}

std::shared_ptr<ViewController> NavigationController::popViewControllerAnimated(bool animated) {
  if (stack_.size() < 2) return nullptr;
  auto gone = stack_.back();
  gone->willMoveToParentViewController(nullptr);
  stack_.pop_back();
  show(topViewController(), gone, animated);
  gone->removeFromParentViewController();
  return gone;
}

// One transition from the top to the root: the screens between never come up on the way.
std::vector<std::shared_ptr<ViewController>> NavigationController::popToRootViewControllerAnimated(
    bool animated) {
  if (stack_.size() < 2) return {};
  std::vector<std::shared_ptr<ViewController>> popped(stack_.begin() + 1, stack_.end());
  for (auto it = popped.rbegin(); it != popped.rend(); ++it)
    (*it)->willMoveToParentViewController(nullptr);
  stack_.resize(1);
  show(topViewController(), popped.back(), animated);
  for (auto it = popped.rbegin(); it != popped.rend(); ++it)
    (*it)->removeFromParentViewController();
  return popped;
}

void NavigationController::setViewControllers(
    std::vector<std::shared_ptr<ViewController>> controllers, bool animated) {
  auto outgoing = topViewController();
  for (auto& c : stack_) {
    if (std::find(controllers.begin(), controllers.end(), c) == controllers.end()) {
      c->willMoveToParentViewController(nullptr);
      c->removeFromParentViewController();
    }
  }
  stack_.clear();
  for (auto& c : controllers) {
    if (!c || std::find(stack_.begin(), stack_.end(), c) != stack_.end()) continue;
    const bool isNew = c->parentViewController().get() != this;
    if (isNew && !canTake(*c)) continue;
    if (isNew) addChildViewController(c);
    stack_.push_back(c);
    if (isNew) c->didMoveToParentViewController(self<NavigationController>());
  }
  show(topViewController(), outgoing, animated);
}

void NavigationController::viewWillAppear(bool animated) {
  if (auto top = topViewController()) top->beginAppearanceTransition(true, animated);
}
void NavigationController::viewDidAppear(bool /*animated*/) {
  if (auto top = topViewController()) top->endAppearanceTransition();
}
void NavigationController::viewWillDisappear(bool animated) {
  if (auto top = topViewController()) top->beginAppearanceTransition(false, animated);
}
void NavigationController::viewDidDisappear(bool /*animated*/) {
  if (auto top = topViewController()) top->endAppearanceTransition();
}

}  // namespace platform
