#include "platform/ui/GestureRecognizer.h"

#include <algorithm>

#include "platform/dispatch/MainThread.h"
#include "platform/foundation/Clock.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace platform {
namespace {

// The recognizers taking part in a gesture (they have had touches since their last reset).
std::vector<std::weak_ptr<GestureRecognizer>>& engaged() {
  assertMainThread("GestureRecognizer arbitration");
  static std::vector<std::weak_ptr<GestureRecognizer>> list;
  return list;
}

std::vector<std::shared_ptr<GestureRecognizer>> engagedAlive() {
  std::vector<std::shared_ptr<GestureRecognizer>> alive;
  std::erase_if(engaged(), [&alive](const auto& weak) {
    auto r = weak.lock();
    if (!r) return true;
    alive.push_back(std::move(r));
    return false;
  });
  return alive;
}

}  // namespace

GestureRecognizer::~GestureRecognizer() = default;

std::uint64_t GestureRecognizer::addTarget(Action action) {
  const std::uint64_t id = nextTarget_++;
  targets_.emplace_back(id, std::move(action));
  return id;
}

void GestureRecognizer::removeTarget(std::uint64_t id) {
  std::erase_if(targets_, [id](const auto& t) { return t.first == id; });
}

void GestureRecognizer::setEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (enabled) return;
  if (isUnderWay()) {
    setState(State::Cancelled);
  } else if (state_ == State::Possible && engaged_) {
    setState(State::Failed);
  }
}

void GestureRecognizer::requireGestureRecognizerToFail(
    const std::shared_ptr<GestureRecognizer>& other) {
  if (!other || other.get() == this) return;
  requiredToFail_.push_back(other);
  other->dependants_.push_back(std::static_pointer_cast<GestureRecognizer>(shared_from_this()));
}

Point GestureRecognizer::centroid(const TouchSet& touches, const View* view) {
  if (touches.empty()) return kPointZero;
  Point sum = kPointZero;
  for (const auto& t : touches) {
    const Point p = t->locationInView(view);
    sum.x += p.x;
    sum.y += p.y;
  }
  const auto n = static_cast<double>(touches.size());
  return {sum.x / n, sum.y / n};
}

Point GestureRecognizer::locationInView(const View* view) const {
  if (!touches_.empty()) return centroid(touches_, view);
  auto window = lastWindow_.lock();
  if (!view || !window) return lastLocation_;
  return view->convertPointFrom(lastLocation_, window.get());
}

Point GestureRecognizer::locationOfTouch(std::size_t index, const View* view) const {
  return index < touches_.size() ? touches_[index]->locationInView(view) : kPointZero;
}

bool GestureRecognizer::shouldReceiveTouch(const Touch& touch) {
  if (!enabled_ || isTerminal()) return false;
  auto d = delegate();
  return !d || d->gestureRecognizerShouldReceiveTouch(*this, touch);
}

void GestureRecognizer::deliver(TouchPhase phase, const TouchSet& offered, const Event& event) {
  if (offered.empty() || view_.expired()) return;  // taken off its view meanwhile
  auto keep = std::static_pointer_cast<GestureRecognizer>(shared_from_this());
  TouchSet touches;
  if (phase == TouchPhase::Began) {
    // One holding its recognition for a requirement takes no new gesture meanwhile.
    if (isTerminal() || held_ || !enabled_) return;
    touches = offered;
    touches_.insert(touches_.end(), touches.begin(), touches.end());
    engage();
  } else {
    // Only the touches it took when they began.
    for (const auto& t : offered) {
      if (std::find(touches_.begin(), touches_.end(), t) != touches_.end()) touches.push_back(t);
    }
    if (touches.empty()) return;
  }
  if (!touches_.empty()) {
    lastLocation_ = centroid(touches_, nullptr);
    lastWindow_ = touches_.front()->window();
  }
  if (!isTerminal() && !held_ && enabled_) {
    switch (phase) {
      case TouchPhase::Began:
        touchesBegan(touches, event);
        break;
      case TouchPhase::Moved:
        touchesMoved(touches, event);
        break;
      case TouchPhase::Ended:
        touchesEnded(touches, event);
        break;
      case TouchPhase::Cancelled:
        touchesCancelled(touches, event);
        break;
      case TouchPhase::Stationary:
        break;
    }
  }
  if (phase == TouchPhase::Ended || phase == TouchPhase::Cancelled) {
    std::erase_if(touches_, [&touches](const auto& t) {
      return std::find(touches.begin(), touches.end(), t) != touches.end();
    });
    resetIfDone();
  }
}

void GestureRecognizer::attachToView(const std::shared_ptr<View>& view) { view_ = view; }

void GestureRecognizer::detachFromView() {
  if (isUnderWay()) {
    setState(State::Cancelled);
  } else if (state_ == State::Possible && engaged_) {
    setState(State::Failed);
  }
  touches_.clear();
  resetIfDone();
  view_.reset();
}

void GestureRecognizer::touchesBegan(const TouchSet&, const Event&) {}
void GestureRecognizer::touchesMoved(const TouchSet&, const Event&) {}
void GestureRecognizer::touchesEnded(const TouchSet&, const Event&) {}

void GestureRecognizer::touchesCancelled(const TouchSet&, const Event&) {
  setState(isUnderWay() ? State::Cancelled : State::Failed);
}

void GestureRecognizer::reset() {}

bool GestureRecognizer::isTerminal() const {
  return state_ == State::Ended || state_ == State::Cancelled || state_ == State::Failed;
}

bool GestureRecognizer::isUnderWay() const {
  return state_ == State::Began || state_ == State::Changed;
}

std::shared_ptr<Window> GestureRecognizer::window() const {
  auto v = view();
  return v ? v->window() : nullptr;
}

void GestureRecognizer::engage() {
  if (engaged_) return;
  engaged_ = true;
  engaged().push_back(std::static_pointer_cast<GestureRecognizer>(shared_from_this()));
}

bool GestureRecognizer::canRecognizeWith(GestureRecognizer& other) {
  auto mine = delegate();
  if (mine && mine->gestureRecognizerShouldRecognizeSimultaneously(*this, other)) return true;
  auto theirs = other.delegate();
  return theirs && theirs->gestureRecognizerShouldRecognizeSimultaneously(other, *this);
}

std::vector<std::shared_ptr<GestureRecognizer>> GestureRecognizer::requirements() const {
  std::vector<std::shared_ptr<GestureRecognizer>> list;
  for (const auto& weak : requiredToFail_) {
    if (auto r = weak.lock()) list.push_back(std::move(r));
  }
  if (!engaged_) return list;
  const auto mine = window();
  for (auto& other : engagedAlive()) {
    if (other.get() == this || other->window() != mine || !shouldRequireFailureOf(*other)) continue;
    if (std::find(list.begin(), list.end(), other) == list.end()) list.push_back(std::move(other));
  }
  return list;
}

bool GestureRecognizer::waitsForFailure() const {
  const auto list = requirements();
  return std::any_of(list.begin(), list.end(),
                     [](const auto& r) { return r->engaged_ && r->state_ == State::Possible; });
}

bool GestureRecognizer::requirementRecognized() const {
  const auto list = requirements();
  return std::any_of(list.begin(), list.end(), [](const auto& r) {
    return r->engaged_ && r->state_ != State::Possible && r->state_ != State::Failed;
  });
}

bool GestureRecognizer::preventedByOther() {
  const auto mine = window();
  for (const auto& other : engagedAlive()) {
    if (other.get() == this || !other->isUnderWay() || other->window() != mine) continue;
    if (!canRecognizeWith(*other)) return true;
  }
  return false;
}

void GestureRecognizer::failOthers() {
  const auto mine = window();
  for (const auto& other : engagedAlive()) {
    if (other.get() == this || other->state_ != State::Possible || other->window() != mine) {
      continue;
    }
    if (!canRecognizeWith(*other)) {
      other->held_.reset();
      other->setState(State::Failed);
    }
  }
}

void GestureRecognizer::cancelTouchesInViews() {
  if (!cancelsTouchesInView_) return;
  TouchSet taken;
  for (const auto& t : touches_) {
    if (t->isCancelledInView() || t->phase() == TouchPhase::Cancelled) continue;
    t->setCancelledInView();
    taken.push_back(t);
  }
  // One call per view, in the order the touches began.
  while (!taken.empty()) {
    auto view = taken.front()->view();
    TouchSet group;
    std::erase_if(taken, [&](const auto& t) {
      if (t->view() != view) return false;
      group.push_back(t);
      return true;
    });
    if (view) view->touchesCancelled(group, Event{group, Clock::current().now(), touches_});
  }
}

void GestureRecognizer::setState(State next) {
  if (next == state_ && next != State::Changed) return;
  auto keep = std::static_pointer_cast<GestureRecognizer>(shared_from_this());
  const bool starting = state_ == State::Possible && (next == State::Began || next == State::Ended);
  if (starting) {
    auto d = delegate();
    if (requirementRecognized() || (d && !d->gestureRecognizerShouldBegin(*this)) ||
        preventedByOther()) {
      next = State::Failed;
    } else if (waitsForFailure()) {
      held_ = next;
      return;
    }
  }
  held_.reset();
  const State old = state_;
  state_ = next;
  stateObservers_.notify(old, next);
  if (starting && state_ != State::Failed) {
    failOthers();
    cancelTouchesInViews();
  }
  if (state_ != State::Failed && state_ != State::Possible) fireActions();
  if (isTerminal() || (starting && state_ != State::Failed)) {
    // Those waiting on this one learn whether it failed; a copy, as they may change the list.
    auto dependants = dependants_;
    for (const auto& weak : dependants) {
      if (auto r = weak.lock()) r->requirementSettled();
    }
    for (const auto& r : engagedAlive()) {
      if (r.get() != this && r->held_ && r->shouldRequireFailureOf(*this)) r->requirementSettled();
    }
  }
  resetIfDone();
}

void GestureRecognizer::requirementSettled() {
  if (!held_ || state_ != State::Possible) return;
  if (requirementRecognized()) {
    held_.reset();
    setState(State::Failed);
  } else if (!waitsForFailure()) {
    const State held = *held_;
    held_.reset();
    setState(held);
  }
}

void GestureRecognizer::fireActions() {
  auto targets = targets_;
  for (const auto& [id, action] : targets) {
    if (action) action(*this);
  }
}

void GestureRecognizer::resetIfDone() {
  if (!isTerminal() || !touches_.empty()) return;
  const State old = state_;
  state_ = State::Possible;
  stateObservers_.notify(old, State::Possible);
  held_.reset();
  if (engaged_) {
    engaged_ = false;
    std::erase_if(engaged(), [this](const auto& weak) {
      auto r = weak.lock();
      return !r || r.get() == this;
    });
  }
  reset();
}

}  // namespace platform
