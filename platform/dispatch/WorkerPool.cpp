#include "platform/dispatch/WorkerPool.h"

#include <sched.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <system_error>

#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Log.h"

namespace platform {
namespace {

constexpr std::size_t kMaxThreads = 64;
constexpr auto kIdleTimeout = std::chrono::seconds(20);

thread_local bool tIsWorker = false;
thread_local bool tRunningBounded = false;

}  // namespace

WorkerPool::WorkerPool() : target_(std::max<std::size_t>(4, coreCount())) {}

std::size_t WorkerPool::coreCount() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof(set), &set) == 0 && CPU_COUNT(&set) > 0) {
    return static_cast<std::size_t>(CPU_COUNT(&set));
  }
  return std::max(1u, std::thread::hardware_concurrency());
}

// Never destroyed; its threads are joined by the exit handler instead.
WorkerPool& WorkerPool::shared() {
  static WorkerPool* const pool = [] {
    auto* created = new WorkerPool;
    std::atexit([] { WorkerPool::shared().shutdown(); });
    return created;
  }();
  return *pool;
}

bool WorkerPool::isWorkerThread() { return tIsWorker; }

std::size_t WorkerPool::threadCount() const {
  std::lock_guard lock(mutex_);
  return threads_.size();
}

void WorkerPool::submit(std::function<void()> task, QueuePriority priority, bool overcommit) {
  std::unique_lock lock(mutex_);
  if (stopped_) {
    lock.unlock();
    task();  // the process is exiting and the workers are gone
    return;
  }
  const auto level = static_cast<std::size_t>(priority);
  if (overcommit) {
    overcommit_[level].push_back(std::move(task));
    ++queuedOvercommit_;
  } else {
    bounded_[level].push_back(std::move(task));
    ++queuedBounded_;
  }
  maybeSpawnLocked();
  // Bounded work beyond the pool's width waits for a running worker to finish, which then takes
  // it itself: an idle thread woken for it would find nothing it may take.
  const bool wake = idle_ > 0 && hasTakeableLocked();
  // Woken after the lock is let go, so the thread does not wake only to wait for it.
  lock.unlock();
  if (wake) work_.notify_one();
}

std::size_t WorkerPool::boundedCapacityLocked() const {
  const std::size_t active = runningBounded_ - blockedBounded_;
  return active >= target_ ? 0 : target_ - active;
}

bool WorkerPool::hasTakeableLocked() const {
  return queuedOvercommit_ > 0 ||
         (queuedBounded_ > 0 && (stopping_ || boundedCapacityLocked() > 0));
}

void WorkerPool::maybeSpawnLocked() {
  const std::size_t demand = queuedOvercommit_ + std::min(queuedBounded_, boundedCapacityLocked());
  if (demand > idle_ + starting_ && threads_.size() < kMaxThreads) spawnLocked();
}

void WorkerPool::spawnLocked() {
  joinRetiredLocked();
  try {
    std::thread thread([this] { workerMain(); });
    const std::thread::id id = thread.get_id();
    threads_.emplace(id, std::move(thread));
    ++starting_;
  } catch (const std::system_error& error) {
    // The threads already running will get to the work later.
    log(LogLevel::Error, "dispatch", std::string("cannot start a worker thread: ") + error.what());
  }
}

void WorkerPool::joinRetiredLocked() {
  for (std::thread& thread : retired_) thread.join();  // they hold no lock once retired
  retired_.clear();
}

bool WorkerPool::takeLocked(std::function<void()>* task, bool* bounded) {
  for (std::size_t level = overcommit_.size(); level-- > 0;) {
    if (!overcommit_[level].empty()) {
      *task = std::move(overcommit_[level].front());
      overcommit_[level].pop_front();
      --queuedOvercommit_;
      *bounded = false;
      return true;
    }
    if (!bounded_[level].empty() && (stopping_ || boundedCapacityLocked() > 0)) {
      *task = std::move(bounded_[level].front());
      bounded_[level].pop_front();
      --queuedBounded_;
      *bounded = true;
      return true;
    }
  }
  return false;
}

void WorkerPool::workerMain() {
  tIsWorker = true;
  std::unique_lock lock(mutex_);
  --starting_;
  for (;;) {
    std::function<void()> task;
    bool bounded = false;
    if (takeLocked(&task, &bounded)) {
      if (bounded) ++runningBounded_;
      // Work left that this thread cannot take now goes to an idle peer; what a finishing task
      // frees, this thread takes itself on its next turn (a peer woken for it would find nothing).
      const bool more = idle_ > 0 && hasTakeableLocked();
      lock.unlock();
      if (more) work_.notify_one();
      tRunningBounded = bounded;
      task();
      task = nullptr;  // captures die outside the lock
      tRunningBounded = false;
      lock.lock();
      if (bounded) --runningBounded_;
      continue;
    }
    if (stopping_) break;
    ++idle_;
    const bool woken =
        work_.wait_for(lock, kIdleTimeout, [this] { return stopping_ || hasTakeableLocked(); });
    --idle_;
    if (!woken) break;  // idle long enough: leave
  }
  leaveLocked();
  const bool wakeMain = stopping_;
  lock.unlock();
  if (wakeMain) RunLoop::main().post([] {});  // shutdown() may be waiting inside the main loop
}

void WorkerPool::leaveLocked() {
  auto self = threads_.find(std::this_thread::get_id());
  retired_.push_back(std::move(self->second));
  threads_.erase(self);
  exited_.notify_all();
}

void WorkerPool::shutdown() {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    stopping_ = true;
    work_.notify_all();
  }
  if (RunLoop::isMainThread()) {
    RunLoop::main().runUntil(
        [this] {
          std::lock_guard lock(mutex_);
          return threads_.empty();
        },
        1e7);
  }
  std::unique_lock lock(mutex_);
  exited_.wait(lock, [this] { return threads_.empty(); });
  joinRetiredLocked();
  stopped_ = true;
}

WorkerPool::ScopedBlocking::ScopedBlocking() {
  if (!tIsWorker || !tRunningBounded) return;
  WorkerPool& pool = shared();
  std::lock_guard lock(pool.mutex_);
  ++pool.blockedBounded_;
  counted_ = true;
  if (pool.queuedBounded_ == 0) return;  // nothing waits for the share this thread hands over
  pool.maybeSpawnLocked();
  pool.work_.notify_one();
}

WorkerPool::ScopedBlocking::~ScopedBlocking() {
  if (!counted_) return;
  WorkerPool& pool = shared();
  std::lock_guard lock(pool.mutex_);
  --pool.blockedBounded_;
}

}  // namespace platform
