#pragma once

#include <memory>

#include "platform/foundation/Clock.h"

namespace platform {

// Makes a fresh VirtualClock current for a scope (a test); the real clock is current again
// afterwards.
class ScopedVirtualClock {
 public:
  explicit ScopedVirtualClock(TimeInterval start = 1'800'000'000.0)
      : clock_(std::make_shared<VirtualClock>(start)) {
    Clock::setCurrent(clock_);
  }
  ~ScopedVirtualClock() { Clock::setCurrent(nullptr); }
  ScopedVirtualClock(const ScopedVirtualClock&) = delete;
  ScopedVirtualClock& operator=(const ScopedVirtualClock&) = delete;

  VirtualClock& clock() { return *clock_; }
  TimeInterval now() const { return clock_->now(); }

 private:
  std::shared_ptr<VirtualClock> clock_;
};

}  // namespace platform
