#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace platform {

// One thread that hands work on at a real-clock deadline; what DispatchQueue::asyncAfter uses
// with the real clock for queues other than main, so delayed background work does not depend on
// anyone driving the main loop. Tasks still waiting at exit are dropped.
class DelayedTaskThread {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;

  static DelayedTaskThread& shared();
  void schedule(TimePoint when, std::function<void()> task);
  void shutdown();  // idempotent; registered with atexit

 private:
  DelayedTaskThread();
  void threadMain();

  std::mutex mutex_;
  std::condition_variable changed_;
  // keyed by deadline, then submission order so equal deadlines keep FIFO
  std::map<std::pair<TimePoint, std::uint64_t>, std::function<void()>> tasks_;
  std::uint64_t nextSequence_ = 0;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace platform
