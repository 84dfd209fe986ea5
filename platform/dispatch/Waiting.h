#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>

namespace platform {

// Waits until `condition` (read under `mutex`) holds or `timeoutSeconds` pass; returns it. On the
// main thread the main loop keeps running meanwhile, so work that needs the main thread cannot
// deadlock the wait; `mainThreadWaiters` (guarded by `mutex`) tells notifiers to wake that loop
// as well as `signal`.
bool waitServingMainLoop(std::mutex& mutex, std::condition_variable& signal, int& mainThreadWaiters,
                         const std::function<bool()>& condition, double timeoutSeconds);

}  // namespace platform
