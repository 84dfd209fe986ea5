#include "platform/ui/GestureRecognizer.h"

#include <algorithm>

#include "platform/dispatch/MainThread.h"
#include "platform/foundation/Clock.h"
#include "platform/ui/GestureRecognizerArena.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace platform {

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
    failBecause("disabled");
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
    engage(touches);
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
    failBecause("taken off its view");
  }
  touches_.clear();
  resetIfDone();
  view_.reset();
}

void GestureRecognizer::touchesBegan(const TouchSet&, const Event&) {}
void GestureRecognizer::touchesMoved(const TouchSet&, const Event&) {}
void GestureRecognizer::touchesEnded(const TouchSet&, const Event&) {}

void GestureRecognizer::touchesCancelled(const TouchSet&, const Event&) {
  if (isUnderWay()) {
    setState(State::Cancelled);
  } else {
    failBecause("its touches were cancelled");
  }
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

// Enters the arena of each touch it takes; one it is already in meets this one there.
void GestureRecognizer::engage(const TouchSet& touches) {
  auto self = std::static_pointer_cast<GestureRecognizer>(shared_from_this());
  for (const auto& touch : touches) {
    if (!touch->gestureArena()) touch->setGestureArena(std::make_shared<GestureRecognizerArena>());
    auto theirs = touch->gestureArena()->current(touch->gestureArena());
    if (!arena_) {
      arena_ = theirs;
      arena_->add(self);
      tell("entered");
    } else if (theirs != arena_) {
      for (const auto& member : theirs->members()) member->arena_ = arena_;
      if (GestureRecognizerArena::isLogging()) {
        arena_->log("arena " + std::to_string(theirs->number()) + " joins through " +
                    GestureRecognizerArena::describe(*this));
      }
      arena_->absorb(*theirs, arena_);
    }
  }
  engaged_ = true;
}

std::vector<std::shared_ptr<GestureRecognizer>> GestureRecognizer::competitors(
    bool sameWindow) const {
  assertMainThread("GestureRecognizer arbitration");
  std::vector<std::shared_ptr<GestureRecognizer>> list;
  const auto mine = sameWindow ? window() : nullptr;
  if (arena_) {
    for (auto& other : arena_->members()) {
      if (other.get() == this || (sameWindow && other->window() != mine)) continue;
      list.push_back(std::move(other));
    }
  }
  return list;
}

void GestureRecognizer::failBecause(const std::string& reason) {
  if (GestureRecognizerArena::isLogging()) failReason_ = reason;
  setState(State::Failed);
}

void GestureRecognizer::tell(const std::string& line) const {
  if (!arena_ || !GestureRecognizerArena::isLogging()) return;
  arena_->log(GestureRecognizerArena::describe(*this) + " " + line);
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
  for (auto& other : competitors(true)) {
    if (!shouldRequireFailureOf(*other)) continue;
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

std::shared_ptr<GestureRecognizer> GestureRecognizer::preventedByOther() {
  for (const auto& other : competitors(true)) {
    if (other->isUnderWay() && !canRecognizeWith(*other)) return other;
  }
  return nullptr;
}

void GestureRecognizer::failOthers() {
  for (const auto& other : competitors(true)) {
    if (other->state_ != State::Possible || canRecognizeWith(*other)) continue;
    other->held_.reset();
    other->failBecause("lost to " + GestureRecognizerArena::describe(*this));
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
    const auto allowed = arbitrate(next);
    if (!allowed) return;  // held
    next = *allowed;
  }
  held_.reset();
  const State old = state_;
  state_ = next;
  if (GestureRecognizerArena::isLogging()) {
    if (state_ == State::Failed) {
      tell("failed: " + (failReason_.empty() ? std::string("by its own rule") : failReason_));
    } else if (starting) {
      tell(state_ == State::Began ? "won (began)" : "won (recognized)");
    }
    failReason_.clear();
  }
  stateObservers_.notify(old, state_);
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
    for (const auto& r : competitors(false)) {
      if (r->held_ && r->shouldRequireFailureOf(*this)) r->requirementSettled();
    }
  }
  resetIfDone();
}

// Whether a recognizer leaving Possible for `next` may: it fails when what it waits for has
// recognized, its delegate declines, or another is under way; it holds (nullopt) while what it
// waits for may still recognize.
std::optional<GestureRecognizer::State> GestureRecognizer::arbitrate(State next) {
  const bool telling = GestureRecognizerArena::isLogging();
  auto d = delegate();
  if (requirementRecognized()) {
    if (telling) failReason_ = "what it waits for recognized";
    return State::Failed;
  }
  if (d && !d->gestureRecognizerShouldBegin(*this)) {
    if (telling) failReason_ = "its delegate declined";
    return State::Failed;
  }
  if (auto other = preventedByOther()) {
    if (telling) failReason_ = GestureRecognizerArena::describe(*other) + " is under way";
    return State::Failed;
  }
  if (waitsForFailure()) {
    held_ = next;
    if (telling) tell("holds: waits for " + waitedFor() + " to fail");
    return std::nullopt;
  }
  return next;
}

std::string GestureRecognizer::waitedFor() const {
  std::string names;
  for (const auto& r : requirements()) {
    if (!r->engaged_ || r->state_ != State::Possible) continue;
    names += (names.empty() ? "" : ", ") + GestureRecognizerArena::describe(*r);
  }
  return names;
}

void GestureRecognizer::requirementSettled() {
  if (!held_ || state_ != State::Possible) return;
  if (requirementRecognized()) {
    held_.reset();
    failBecause("what it waits for recognized");
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
    if (arena_) arena_->remove(*this);
    arena_.reset();
  }
  reset();
}

}  // namespace platform
