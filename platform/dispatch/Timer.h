#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/dispatch/RunLoopMode.h"
#include "platform/foundation/Types.h"

namespace platform {

class RunLoop;

// A timer scheduled on a RunLoop. The loop keeps it alive until it is invalidated (a one-shot
// timer invalidates itself after firing); invalidating releases the callback, which breaks the
// usual owner → timer → callback → owner cycle.
class Timer : public std::enable_shared_from_this<Timer> {
 public:
  using Callback = std::function<void(Timer&)>;

  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  void invalidate();  // from any thread, also from inside the timer's own callback
  bool isValid() const;
  TimeInterval fireDate() const;
  void setFireDate(TimeInterval date);  // moves the next fire; a repeating timer continues from it
  TimeInterval interval() const { return interval_; }
  bool repeats() const { return repeats_; }
  // Runs the callback now on the calling thread without touching the schedule; a one-shot timer
  // is invalidated afterwards.
  void fire();

 private:
  friend class RunLoop;
  Timer(RunLoop* loop, TimeInterval interval, bool repeats, Callback callback, unsigned modeMask);

  static unsigned maskOf(RunLoopMode mode);
  bool firesIn(RunLoopMode mode) const;
  void runCallback();
  void releaseCallback();

  RunLoop* const loop_;
  const TimeInterval interval_;
  const bool repeats_;
  const unsigned modeMask_;

  // Guarded by the loop's mutex: the schedule. fireDate = anchor_ + count_ * interval_, computed
  // from the anchor rather than accumulated so repeating timers do not drift.
  TimeInterval anchor_ = 0;
  std::int64_t count_ = 0;
  TimeInterval fireDate_ = 0;
  std::uint64_t sequence_ = 0;
  bool scheduled_ = false;         // present in the loop's timer map
  bool inFlight_ = false;          // taken out of the map while its callback runs
  bool fireDateMoved_ = false;     // setFireDate() during the callback
  std::atomic<bool> valid_{true};  // written under the loop's mutex

  mutable std::mutex callbackMutex_;
  Callback callback_;  // moved out while running, so a nested fire() is a no-op
};

}  // namespace platform
