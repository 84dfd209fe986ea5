#include "platform/dispatch/DelayedTaskThread.h"

#include <cstdlib>

#include "platform/dispatch/WorkerPool.h"

namespace platform {

DelayedTaskThread::DelayedTaskThread() : thread_([this] { threadMain(); }) {}

DelayedTaskThread& DelayedTaskThread::shared() {
  static DelayedTaskThread* const instance = [] {
    WorkerPool::shared();  // registered first so its exit handler runs after ours
    auto* created = new DelayedTaskThread;
    std::atexit([] { DelayedTaskThread::shared().shutdown(); });
    return created;
  }();
  return *instance;
}

void DelayedTaskThread::schedule(TimePoint when, std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    tasks_.emplace(std::make_pair(when, nextSequence_++), std::move(task));
  }
  changed_.notify_one();
}

void DelayedTaskThread::threadMain() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    if (tasks_.empty()) {
      changed_.wait(lock);
      continue;
    }
    auto first = tasks_.begin();
    if (std::chrono::steady_clock::now() < first->first.first) {
      changed_.wait_until(lock, first->first.first);
      continue;
    }
    std::function<void()> task = std::move(first->second);
    tasks_.erase(first);
    lock.unlock();
    task();  // only forwards to a queue; never runs user code here
    task = nullptr;
    lock.lock();
  }
}

void DelayedTaskThread::shutdown() {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    stopping_ = true;
  }
  changed_.notify_one();
  thread_.join();
  decltype(tasks_) dropped;
  std::lock_guard lock(mutex_);
  dropped.swap(tasks_);  // destroyed after the lock is released: captures may call back in
}

}  // namespace platform
