#include "platform/ui/TapGestureRecognizer.h"

#include <algorithm>
#include <cmath>

#include "platform/dispatch/RunLoop.h"

namespace platform {
namespace {

double distance(const Point& a, const Point& b) { return std::hypot(a.x - b.x, a.y - b.y); }

}  // namespace

std::shared_ptr<TapGestureRecognizer> TapGestureRecognizer::create(Action action) {
  auto r = make<TapGestureRecognizer>();
  if (action) r->addTarget(std::move(action));
  return r;
}

TapGestureRecognizer::~TapGestureRecognizer() { cancelWait(); }

void TapGestureRecognizer::touchesBegan(const TouchSet& touches, const Event& /*event*/) {
  cancelWait();
  for (const auto& t : touches) {
    const Point at = t->locationInView(nullptr);
    if (taps_ > 0 && distance(at, firstTapAt_) > kMaximumTapDistance) {
      setState(State::Failed);
      return;
    }
    if (taps_ == 0 && starts_.empty()) firstTapAt_ = at;
    starts_.emplace_back(t.get(), at);
  }
  fingersThisTap_ = std::max(fingersThisTap_, trackedTouches().size());
  if (fingersThisTap_ > static_cast<std::size_t>(touchesRequired_)) setState(State::Failed);
}

void TapGestureRecognizer::touchesMoved(const TouchSet& touches, const Event& /*event*/) {
  for (const auto& t : touches) {
    auto it = std::find_if(starts_.begin(), starts_.end(),
                           [&t](const auto& s) { return s.first == t.get(); });
    if (it != starts_.end() &&
        distance(t->locationInView(nullptr), it->second) > kAllowableMovement) {
      setState(State::Failed);
      return;
    }
  }
}

void TapGestureRecognizer::touchesEnded(const TouchSet& touches, const Event& event) {
  touchesMoved(touches, event);  // a lift far from where the finger came down is no tap
  if (state() != State::Possible || touches.size() < trackedTouches().size()) return;
  // The last finger of this tap has lifted.
  const bool enoughFingers = fingersThisTap_ == static_cast<std::size_t>(touchesRequired_);
  starts_.clear();
  fingersThisTap_ = 0;
  if (!enoughFingers) {
    setState(State::Failed);
    return;
  }
  if (++taps_ >= tapsRequired_) {
    setState(State::Ended);
    return;
  }
  std::weak_ptr<Object> weak = shared_from_this();
  wait_ = RunLoop::main().performAfter(
      kMaximumTapInterval,
      [weak] {
        auto me = std::static_pointer_cast<TapGestureRecognizer>(weak.lock());
        if (!me) return;
        me->wait_ = 0;
        if (me->state() == State::Possible) me->setState(State::Failed);
      },
      RunLoopMode::Common);
}

void TapGestureRecognizer::reset() {
  GestureRecognizer::reset();
  cancelWait();
  taps_ = 0;
  fingersThisTap_ = 0;
  starts_.clear();
}

void TapGestureRecognizer::cancelWait() {
  if (wait_ != 0) RunLoop::main().cancelPerform(wait_);
  wait_ = 0;
}

}  // namespace platform
