#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "platform/dispatch/RunLoop.h"

namespace dispatch_test {

// Shared state that worker threads change and the test thread waits on with a generous bound.
class Waiter {
 public:
  void update(const std::function<void()>& change) {
    std::lock_guard lock(mutex_);
    change();
    changed_.notify_all();
  }
  bool waitFor(const std::function<bool()>& pred, double seconds = 20) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::duration<double>(seconds), pred);
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
};

// Leaves RunLoop::main() as the next test expects it.
inline void resetMainLoop() {
  platform::RunLoop::main().setCurrentMode(platform::RunLoopMode::Default);
  platform::RunLoop::main().runPending();
  platform::RunLoop::main().invalidateAllTimers();
}

}  // namespace dispatch_test
