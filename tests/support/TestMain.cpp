#include <gtest/gtest.h>

#include "platform/dispatch/RunLoop.h"

int main(int argc, char** argv) {
  // Completions are posted to the main loop; the thread running the tests drives it.
  platform::RunLoop::bindMainToCurrentThread();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
