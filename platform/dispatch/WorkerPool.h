#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/dispatch/QueuePriority.h"

namespace platform {

// The process-wide worker threads behind every DispatchQueue and OperationQueue.
//
// Bounded work (concurrent queues) runs on at most max(4, coreCount()) threads that are not
// blocked. Overcommit work (serial queues, operation queues: they bound their own concurrency)
// always gets a thread, spawning one if none is idle, so a task waiting for another queue can
// never starve it. Threads that stay idle for a while leave.
//
// At exit the pool runs every queued task, joins its threads (the exiting main thread keeps
// serving RunLoop::main() meanwhile, so a worker blocked in a main-queue sync can finish), and
// from then on runs submitted work on the caller's thread. Objects that background work touches
// must therefore outlive the pool's exit handler, or be leaky singletons.
class WorkerPool {
 public:
  static WorkerPool& shared();
  // The cores the calling thread may run on: fewer than the machine's under taskset or a cgroup
  // cpuset, and then more threads than that would only take turns.
  static std::size_t coreCount();

  void submit(std::function<void()> task, QueuePriority priority, bool overcommit);
  static bool isWorkerThread();
  std::size_t threadCount() const;
  void shutdown();  // idempotent; registered with atexit

  // Declares that the calling thread is about to wait on other work, so a worker running bounded
  // work hands its share of the pool to another thread meanwhile.
  class ScopedBlocking {
   public:
    ScopedBlocking();
    ~ScopedBlocking();
    ScopedBlocking(const ScopedBlocking&) = delete;
    ScopedBlocking& operator=(const ScopedBlocking&) = delete;

   private:
    bool counted_ = false;
  };

 private:
  using Lane = std::array<std::deque<std::function<void()>>, 4>;  // by priority, High last

  WorkerPool();
  void workerMain();
  bool takeLocked(std::function<void()>* task, bool* bounded);
  bool hasTakeableLocked() const;
  std::size_t boundedCapacityLocked() const;
  void maybeSpawnLocked();
  void spawnLocked();
  void joinRetiredLocked();
  void leaveLocked();

  mutable std::mutex mutex_;
  std::condition_variable work_;
  std::condition_variable exited_;
  const std::size_t target_;
  Lane overcommit_;
  Lane bounded_;
  std::size_t queuedOvercommit_ = 0;
  std::size_t queuedBounded_ = 0;
  std::size_t idle_ = 0;
  std::size_t starting_ = 0;  // spawned, not yet looking for work
  std::size_t runningBounded_ = 0;
  std::size_t blockedBounded_ = 0;
  std::map<std::thread::id, std::thread> threads_;
  std::vector<std::thread> retired_;
  bool stopping_ = false;
  bool stopped_ = false;
};

}  // namespace platform
