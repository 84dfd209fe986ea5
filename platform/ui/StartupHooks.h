#pragma once

#include <functional>
#include <string>

namespace platform {

// Work a library wants done once per process before the app's own code runs (switching a
// process-wide service on, say). Hooks are registered from static initialisers and run, in the
// order they were registered, by runStartupHooks(): the program calls it at the top of main, and
// the first window made calls it too, so no screen can exist before they ran. A hook registered
// after that runs at once. Main thread only once running.
class StartupHooks {
 public:
  // Returns true so that it can initialise a namespace-scope constant.
  static bool add(std::string name, std::function<void()> hook);
  static void run();
  static bool haveRun();
};

inline void runStartupHooks() { StartupHooks::run(); }

}  // namespace platform
