#pragma once

#include <atomic>
#include <memory>

#include "platform/foundation/Types.h"

namespace platform {

// Every piece of code that waits on time reads Clock::current(), so tests can swap in a
// VirtualClock and move time by hand.
class Clock {
 public:
  virtual ~Clock();
  virtual TimeInterval now() const = 0;  // seconds since 1970

  // Thread-safe and cheap (one atomic load). A clock that was current once stays alive until
  // exit, so a reference handed out before a later setCurrent() never dangles.
  static Clock& current();
  static void setCurrent(std::shared_ptr<Clock> clock);  // nullptr → the real clock
  static bool isVirtual();                               // Clock::current() is a VirtualClock
};

// Monotonic: the wall time when the process started plus steady time since, so timers and
// intervals never jump when the system's wall clock is set. Compare with real dates through
// dateNow() instead.
class RealClock : public Clock {
 public:
  TimeInterval now() const override;
};

class VirtualClock : public Clock {
 public:
  explicit VirtualClock(TimeInterval start = 1'800'000'000.0);
  TimeInterval now() const override;
  void advance(TimeInterval dt);
  void set(TimeInterval time);

 private:
  std::atomic<TimeInterval> now_;
};

// The wall-clock date, for what is compared with dates from outside (HTTP expiry, cookies, file
// modification dates): the system clock under the real clock, the virtual time under a virtual one.
TimeInterval dateNow();

}  // namespace platform
