#include <gtest/gtest.h>

#include <string>

#include "platform/dispatch/RunLoop.h"
#include "platform/ui/ClassRegistry.h"

int main(int argc, char** argv) {
  // Completions are posted to the main loop; the thread running the tests drives it.
  platform::RunLoop::bindMainToCurrentThread();
  ::testing::InitGoogleTest(&argc, argv);
  // A class looked up by a name nothing has would quietly turn a feature off: fail the test.
  platform::ClassRegistry::shared().setUnknownNameHandler([](const std::string& name) {
    ADD_FAILURE() << "no class is named \"" << name << "\"; look it up by its type";
  });
  return RUN_ALL_TESTS();
}
