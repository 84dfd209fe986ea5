#include <gtest/gtest.h>

#include "platform/dispatch/RunLoop.h"
#include "platform/ui/StartupHooks.h"

int main(int argc, char** argv) {
  // Completions are posted to the main loop; the thread running the tests drives it.
  platform::RunLoop::bindMainToCurrentThread();
  // What libraries switch on at start-up is on before any test runs, as before any app code.
  platform::runStartupHooks();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
