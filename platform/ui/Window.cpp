#include "platform/ui/Window.h"

#include <algorithm>

#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"

namespace platform {

std::shared_ptr<Window> Window::create() { return create(Screen::main().bounds()); }

std::shared_ptr<Window> Window::create(const Rect& frame) { return make<Window>(frame); }

void Window::didInit() {
  View::didInit();
  ApplicationWindows::shared().add(self<Window>());
}

Window::Window(Key key, const Rect& frame) : View(std::move(key), frame) {
  layer()->setHidden(true);
}

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
  sizeRootView(view);
  view->setAutoresizingMask(ViewAutoresizingFlexibleWidth | ViewAutoresizingFlexibleHeight);
  insertSubview(view, 0);
  if (visible) root_->endAppearanceTransition();
}

// Only a new root view or new bounds resize it: a root view moved on purpose (lifted above the
// keyboard) stays where it was put when another view joins the window and lays it out.
void Window::layoutSubviews() {
  if (!root_ || !root_->isViewLoaded()) return;
  auto view = root_->view();
  if (view != sizedRoot_.lock() || bounds() != sizedBounds_) sizeRootView(view);
}

void Window::sizeRootView(const std::shared_ptr<View>& view) {
  view->setFrame(bounds());
  sizedRoot_ = view;
  sizedBounds_ = bounds();
}

void Window::sendEvent(const Event& incoming) {
  auto keep = self<Window>();
  beginTouches(incoming);
  if (!activeTouches_.empty() && !tracking_) {
    tracking_ = std::make_unique<RunLoopModeScope>(RunLoopMode::Tracking);
  }
  Event event = incoming;
  event.allTouches = activeTouches_;
  deliverToRecognizers(event);
  deliverToViews(event);
  std::erase_if(activeTouches_, [](const auto& t) {
    return t->phase() == TouchPhase::Ended || t->phase() == TouchPhase::Cancelled;
  });
  if (activeTouches_.empty()) tracking_.reset();
}

void Window::beginTouches(const Event& event) {
  for (const auto& touch : event.touches) {
    if (touch->phase() != TouchPhase::Began) continue;
    if (std::find(activeTouches_.begin(), activeTouches_.end(), touch) != activeTouches_.end()) {
      continue;
    }
    activeTouches_.push_back(touch);
    if (ApplicationWindows::shared().isIgnoringTouches()) continue;  // it touches nothing
    auto view = touch->view();
    if (!view) {
      view = hitTest(touch->locationInView(nullptr), &event);
      touch->setView(view);
    }
    std::vector<std::shared_ptr<GestureRecognizer>> recognizers;
    for (auto v = view; v; v = v->superview()) {
      for (const auto& r :
           std::vector<std::shared_ptr<GestureRecognizer>>(v->gestureRecognizers())) {
        if (r->shouldReceiveTouch(*touch)) recognizers.push_back(r);
      }
    }
    touch->setGestureRecognizers(std::move(recognizers));
  }
}

namespace {

constexpr TouchPhase kPhaseOrder[] = {TouchPhase::Began, TouchPhase::Moved, TouchPhase::Ended,
                                      TouchPhase::Cancelled};

}  // namespace

void Window::deliverToRecognizers(const Event& event) {
  std::vector<std::shared_ptr<GestureRecognizer>> order;
  for (const auto& touch : event.touches) {
    for (const auto& r : touch->gestureRecognizers()) {
      if (std::find(order.begin(), order.end(), r) == order.end()) order.push_back(r);
    }
  }
  // Those waiting for others to fail come last, so a touch that makes a requirement fail lets
  // the waiting one settle before it sees that touch as the start of a new gesture.
  std::stable_partition(order.begin(), order.end(),
                        [](const auto& r) { return !r->hasFailureRequirements(); });
  for (const auto& recognizer : order) {
    for (TouchPhase phase : kPhaseOrder) {
      TouchSet mine;
      for (const auto& touch : event.touches) {
        const auto list = touch->gestureRecognizers();
        if (touch->phase() == phase &&
            std::find(list.begin(), list.end(), recognizer) != list.end()) {
          mine.push_back(touch);
        }
      }
      recognizer->deliver(phase, mine, event);
    }
  }
}

void Window::deliverToViews(const Event& event) {
  // Views in the order their first touch came down, not in address order.
  TouchSet order;
  for (const auto& touch : activeTouches_) {
    const auto& changed = event.touches;
    if (std::find(changed.begin(), changed.end(), touch) != changed.end()) order.push_back(touch);
  }
  for (const auto& touch : event.touches) {
    if (std::find(order.begin(), order.end(), touch) == order.end()) order.push_back(touch);
  }
  std::vector<std::shared_ptr<View>> views;
  TouchSet byFirstTouch = activeTouches_;
  byFirstTouch.insert(byFirstTouch.end(), order.begin(), order.end());
  for (const auto& touch : byFirstTouch) {
    auto view = touch->view();
    if (view && std::find(views.begin(), views.end(), view) == views.end()) views.push_back(view);
  }
  for (const auto& view : views) {
    for (TouchPhase phase : kPhaseOrder) {
      TouchSet touches;
      for (const auto& touch : order) {
        if (touch->phase() == phase && !touch->isCancelledInView() && touch->view() == view) {
          touches.push_back(touch);
        }
      }
      if (touches.empty()) continue;
      switch (phase) {
        case TouchPhase::Began:
          view->touchesBegan(touches, event);
          break;
        case TouchPhase::Moved:
          view->touchesMoved(touches, event);
          break;
        case TouchPhase::Ended:
          view->touchesEnded(touches, event);
          break;
        default:
          view->touchesCancelled(touches, event);
          break;
      }
    }
  }
}

}  // namespace platform
