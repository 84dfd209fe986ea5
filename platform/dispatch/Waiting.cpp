#include "platform/dispatch/Waiting.h"

#include <algorithm>
#include <chrono>

#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/WorkerPool.h"

namespace platform {

bool waitServingMainLoop(std::mutex& mutex, std::condition_variable& signal, int& mainThreadWaiters,
                         const std::function<bool()>& condition, double timeoutSeconds) {
  if (RunLoop::isMainThread()) {
    {
      std::lock_guard lock(mutex);
      ++mainThreadWaiters;
    }
    const bool done = RunLoop::main().runUntil(
        [&] {
          std::lock_guard lock(mutex);
          return condition();
        },
        timeoutSeconds);
    std::lock_guard lock(mutex);
    --mainThreadWaiters;
    return done;
  }
  WorkerPool::ScopedBlocking blocking;
  std::unique_lock lock(mutex);
  const double bound = timeoutSeconds > 0 ? std::min(timeoutSeconds, 1e7) : 0.0;
  return signal.wait_for(lock, std::chrono::duration<double>(bound), condition);
}

}  // namespace platform
