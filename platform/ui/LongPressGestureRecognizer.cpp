#include "platform/ui/LongPressGestureRecognizer.h"

#include <cmath>

#include "platform/dispatch/RunLoop.h"

namespace platform {

std::shared_ptr<LongPressGestureRecognizer> LongPressGestureRecognizer::create(Action action) {
  auto r = make<LongPressGestureRecognizer>();
  if (action) r->addTarget(std::move(action));
  return r;
}

LongPressGestureRecognizer::~LongPressGestureRecognizer() { cancelTimer(); }

void LongPressGestureRecognizer::touchesBegan(const TouchSet& /*touches*/, const Event& /*event*/) {
  const auto required = static_cast<std::size_t>(touchesRequired_);
  if (trackedTouches().size() > required) {
    cancelTimer();
    setState(state() == State::Possible ? State::Failed : State::Cancelled);
    return;
  }
  if (trackedTouches().size() < required || timer_ != 0 || state() != State::Possible) return;
  start_ = centroid(trackedTouches(), nullptr);
  std::weak_ptr<Object> weak = shared_from_this();
  timer_ = RunLoop::main().performAfter(
      minimumPressDuration_,
      [weak] {
        auto me = std::static_pointer_cast<LongPressGestureRecognizer>(weak.lock());
        if (!me) return;
        me->timer_ = 0;
        if (me->state() == State::Possible) me->setState(State::Began);
      },
      RunLoopMode::Common);
}

void LongPressGestureRecognizer::touchesMoved(const TouchSet& /*touches*/, const Event& /*event*/) {
  if (state() == State::Began || state() == State::Changed) {
    setState(State::Changed);
    return;
  }
  if (timer_ == 0) return;
  const Point now = centroid(trackedTouches(), nullptr);
  if (std::hypot(now.x - start_.x, now.y - start_.y) > allowableMovement_) {
    cancelTimer();
    setState(State::Failed);
  }
}

void LongPressGestureRecognizer::touchesEnded(const TouchSet& /*touches*/, const Event& /*event*/) {
  cancelTimer();
  if (state() == State::Began || state() == State::Changed) {
    setState(State::Ended);
  } else {
    setState(State::Failed);  // lifted too soon
  }
}

void LongPressGestureRecognizer::reset() {
  GestureRecognizer::reset();
  cancelTimer();
}

void LongPressGestureRecognizer::cancelTimer() {
  if (timer_ != 0) RunLoop::main().cancelPerform(timer_);
  timer_ = 0;
}

}  // namespace platform
