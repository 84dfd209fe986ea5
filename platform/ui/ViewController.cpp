#include "platform/ui/ViewController.h"

#include <algorithm>
#include <utility>

#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"

namespace platform {

std::shared_ptr<ViewController> ViewController::create() { return make<ViewController>(); }

ViewController::~ViewController() = default;

std::shared_ptr<View> ViewController::view() {
  if (!view_) {
    loadView();
    if (!view_) setView(View::create(Screen::main().bounds()));
    viewDidLoad();
  }
  return view_;
}

void ViewController::setView(std::shared_ptr<View> view) {
  if (view_) view_->setViewController(nullptr);
  view_ = std::move(view);
  if (view_) view_->setViewController(self<ViewController>());
}

void ViewController::loadView() { setView(View::create(Screen::main().bounds())); }

void ViewController::beginAppearanceTransition(bool appearing, bool animated) {
  transitionAnimated_ = animated;
  if (appearing &&
      (appearance_ == Appearance::Disappeared || appearance_ == Appearance::Disappearing)) {
    appearance_ = Appearance::Appearing;
    viewWillAppear(animated);
  } else if (!appearing &&
             (appearance_ == Appearance::Appeared || appearance_ == Appearance::Appearing)) {
    appearance_ = Appearance::Disappearing;
    viewWillDisappear(animated);
  }
}

void ViewController::endAppearanceTransition() {
  if (appearance_ == Appearance::Appearing) {
    appearance_ = Appearance::Appeared;
    viewDidAppear(transitionAnimated_);
  } else if (appearance_ == Appearance::Disappearing) {
    appearance_ = Appearance::Disappeared;
    viewDidDisappear(transitionAnimated_);
  }
}

std::shared_ptr<Window> ViewController::hostWindow() const {
  return view_ ? view_->window() : nullptr;
}

const ViewController& ViewController::contextRoot() const {
  const ViewController* c = this;
  while (auto parent = c->parent_.lock()) c = parent.get();
  return *c;
}

ViewController& ViewController::contextRoot() {
  return const_cast<ViewController&>(std::as_const(*this).contextRoot());
}

std::shared_ptr<ViewController> ViewController::presentedViewController() const {
  return contextRoot().presented_;
}

std::shared_ptr<ViewController> ViewController::presentingViewController() const {
  return contextRoot().presenting_.lock();
}

void ViewController::presentViewController(std::shared_ptr<ViewController> controller,
                                           bool animated, std::function<void()> completion) {
  if (!controller || controller.get() == this) return;
  if (auto& root = contextRoot(); &root != this) {
    root.presentViewController(std::move(controller), animated, std::move(completion));
    return;
  }
  if (presented_) {  // stack on top of what is already shown
    presented_->presentViewController(std::move(controller), animated, std::move(completion));
    return;
  }
  if (controller->presenting_.lock() || controller->parent_.lock()) {
    log(LogLevel::Warning, "ViewController",
        "cannot present a controller that is already presented or has a parent");
    return;
  }
  auto window = hostWindow();
  if (!window) {
    log(LogLevel::Warning, "ViewController", "cannot present from a view that is not in a window");
    return;
  }
  presented_ = controller;
  controller->presenting_ = self<ViewController>();
  controller->presentedAnimated_ = animated;
  auto view = controller->view();  // loaded before it hears that it will appear
  controller->beginAppearanceTransition(true, animated);
  const Rect frame = presentationFrame(controller->presentationStyle_, window->bounds());
  view->setFrame(frame);
  // A centred form sheet keeps its size and centre when the device turns; the others stretch.
  const bool centred = controller->presentationStyle_ == ModalPresentationStyle::FormSheet &&
                       frame.size == kFormSheetSize;
  view->setAutoresizingMask(
      centred ? ViewAutoresizingFlexibleLeftMargin | ViewAutoresizingFlexibleRightMargin |
                    ViewAutoresizingFlexibleTopMargin | ViewAutoresizingFlexibleBottomMargin
              : ViewAutoresizingFlexibleWidth | ViewAutoresizingFlexibleHeight);
  window->addSubview(view);
  controller->endAppearanceTransition();
  ApplicationWindows::shared().updateStatusBarAppearance();
  if (animated) ApplicationWindows::shared().ignoreTouchesForTransition();
  if (completion) RunLoop::main().post(std::move(completion));
}

void ViewController::dismissViewControllerAnimated(bool animated,
                                                   std::function<void()> completion) {
  auto& root = contextRoot();
  if (&root != this) {
    root.dismissViewControllerAnimated(animated, std::move(completion));
    return;
  }
  // A controller that shows another takes that one (and what is over it) away and stays; only
  // one that shows nothing asks its presenter to take it away.
  if (presented_) {
    dismissPresentedChain(animated);
  } else if (auto presenting = presenting_.lock()) {
    presenting->dismissPresentedChain(animated);
  } else {
    return;
  }
  if (animated) ApplicationWindows::shared().ignoreTouchesForTransition();
  ApplicationWindows::shared().updateStatusBarAppearance();
  if (completion) RunLoop::main().post(std::move(completion));
}

void ViewController::dismissPresentedChain(bool animated) {
  std::vector<std::shared_ptr<ViewController>> gone;  // top first; holds them until all are off
  for (auto c = presented_; c; c = c->presented_) gone.insert(gone.begin(), c);
  presented_.reset();
  for (const auto& c : gone) c->beginAppearanceTransition(false, animated && c == gone.front());
  for (const auto& c : gone) {
    if (c->isViewLoaded()) c->view_->removeFromSuperview();
  }
  for (const auto& c : gone) {
    c->endAppearanceTransition();
    c->presented_.reset();
    c->presenting_.reset();
  }
}

void ViewController::setNeedsStatusBarAppearanceUpdate() {
  ApplicationWindows::shared().updateStatusBarAppearance();
}

InterfaceOrientation ViewController::preferredInterfaceOrientationForPresentation() const {
  return ApplicationWindows::shared().statusBarOrientation();
}

Rect ViewController::presentationFrame(ModalPresentationStyle style, const Rect& windowBounds) {
  const double w = width(windowBounds), h = height(windowBounds);
  if (style != ModalPresentationStyle::PageSheet && style != ModalPresentationStyle::FormSheet) {
    return windowBounds;
  }
  const double top = std::min(kSheetTopMargin, h);
  if (style == ModalPresentationStyle::FormSheet && w > kFormSheetSize.width &&
      h - 2 * top > kFormSheetSize.height) {
    return makeRect((w - kFormSheetSize.width) / 2, (h - kFormSheetSize.height) / 2,
                    kFormSheetSize.width, kFormSheetSize.height);
  }
  return makeRect(0, top, w, h - top);
}

void ViewController::setTitle(std::string title) {
  title_ = std::move(title);
  if (navigationItem_) navigationItem_->setTitle(title_);
}

std::shared_ptr<NavigationItem> ViewController::navigationItem() {
  if (!navigationItem_) {
    navigationItem_ = NavigationItem::create(title_);
  }
  return navigationItem_;
}

std::shared_ptr<NavigationController> ViewController::navigationController() const {
  for (auto c = parent_.lock(); c; c = c->parent_.lock()) {
    if (auto nav = std::dynamic_pointer_cast<NavigationController>(c)) return nav;
  }
  return nullptr;
}

void ViewController::addChildViewController(std::shared_ptr<ViewController> child) {
  if (!child || child.get() == this) return;
  if (child->parent_.lock().get() == this) return;
  if (child->parent_.lock()) {
    child->willMoveToParentViewController(nullptr);
    child->removeFromParentViewController();
  }
  auto me = self<ViewController>();
  child->willMoveToParentViewController(me);
  child->parent_ = me;
  children_.push_back(std::move(child));
}

void ViewController::removeFromParentViewController() {
  auto parent = parent_.lock();
  parent_.reset();
  if (!parent) return;
  auto keep = self<ViewController>();  // the parent's list may hold the last reference
  auto& list = parent->children_;
  list.erase(
      std::remove_if(list.begin(), list.end(), [this](const auto& c) { return c.get() == this; }),
      list.end());
  didMoveToParentViewController(nullptr);
}

std::shared_ptr<Responder> ViewController::nextResponder() const {
  if (view_) {
    if (auto parent = view_->superview()) return parent;
  }
  return presenting_.lock();
}

}  // namespace platform
