#include "platform/dispatch/Timer.h"

#include <utility>

#include "platform/dispatch/RunLoop.h"

namespace platform {

Timer::Timer(RunLoop* loop, TimeInterval interval, bool repeats, Callback callback,
             unsigned modeMask)
    : loop_(loop),
      interval_(interval),
      repeats_(repeats),
      modeMask_(modeMask),
      callback_(std::move(callback)) {}

Timer::~Timer() = default;

unsigned Timer::maskOf(RunLoopMode mode) { return 1u << static_cast<unsigned>(mode); }

bool Timer::firesIn(RunLoopMode mode) const {
  return (modeMask_ & (maskOf(mode) | maskOf(RunLoopMode::Common))) != 0;
}

void Timer::invalidate() {
  loop_->timerInvalidated(*this);
  releaseCallback();
}

bool Timer::isValid() const { return valid_.load(std::memory_order_acquire); }

TimeInterval Timer::fireDate() const {
  std::lock_guard lock(loop_->mutex_);
  return fireDate_;
}

void Timer::setFireDate(TimeInterval date) { loop_->timerFireDateChanged(*this, date); }

void Timer::fire() {
  if (!isValid()) return;
  runCallback();
  if (!repeats_) invalidate();
}

void Timer::runCallback() {
  Callback fn;
  {
    std::lock_guard lock(callbackMutex_);
    fn = std::exchange(callback_, nullptr);
  }
  if (!fn) return;  // already running further up the stack
  fn(*this);
  Callback dropped;
  {
    std::lock_guard lock(callbackMutex_);
    if (isValid()) {
      callback_ = std::move(fn);
    } else {
      dropped = std::move(fn);
    }
  }
}

void Timer::releaseCallback() {
  Callback dropped;
  std::lock_guard lock(callbackMutex_);
  dropped = std::exchange(callback_, nullptr);
  // `dropped` dies after the lock is released (declared first): its captures may call back in.
}

}  // namespace platform
