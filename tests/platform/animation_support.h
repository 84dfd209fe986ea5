#pragma once

#include <gtest/gtest.h>

#include "tests/support/Stage.h"

namespace platform::animation_test {

// Virtual time from a fixed start on a stage; whatever the test left on the main loop is drained
// after it.
class OnVirtualClock : public ::testing::Test, protected test::Stage {
 protected:
  const TimeInterval start = clock.now();
};

}  // namespace platform::animation_test
