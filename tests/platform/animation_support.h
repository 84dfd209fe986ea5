#pragma once

#include <gtest/gtest.h>

#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/ScopedVirtualClock.h"

namespace platform::animation_test {

// Virtual time from a fixed start; whatever the test left on the main loop is drained after it.
class OnVirtualClock : public ::testing::Test {
 protected:
  ~OnVirtualClock() override { RunLoop::main().runPending(); }
  void advance(TimeInterval dt) { RunLoop::main().advance(dt); }

  RunLoop& loop = RunLoop::main();
  ScopedVirtualClock clock;
  const TimeInterval start = clock.now();
};

}  // namespace platform::animation_test
