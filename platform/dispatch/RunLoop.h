#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/dispatch/RunLoopMode.h"
#include "platform/dispatch/Timer.h"
#include "platform/foundation/Types.h"

namespace platform {

// The main event loop: posted tasks (FIFO, from any thread) and timers on Clock::current().
// Nothing runs unless the loop's thread drives it with runUntil(), runPending() or advance().
//
// Timer rules:
// - A timer fires when the loop's current mode is one of its modes (Common covers all); one
//   whose modes exclude the current mode waits, overdue, until the mode changes.
// - Equal fire dates fire in the order the timers were (re)scheduled.
// - A repeating timer fires at most once per interval. Its next fire date is the first
//   anchor + k * interval strictly after the clock's time once its callback returns, so a timer
//   that fell behind (a blocked loop, a mode that held it back) fires once and skips the
//   intervals it missed rather than bursting to catch up.
class RunLoop {
 public:
  // Bound to the process's initial thread (or the thread that calls bindMainToCurrentThread()).
  // Never destroyed: worker threads may post to it while the process exits.
  static RunLoop& main();
  static void bindMainToCurrentThread();
  static bool isMainThread();

  RunLoopMode currentMode() const;
  void setCurrentMode(RunLoopMode mode);

  void post(std::function<void()> task);  // thread-safe; runs on the loop's thread, FIFO

  // Thread-safe. interval is the delay of the first fire and the period of a repeating timer
  // (at least kMinimumRepeatInterval).
  std::shared_ptr<Timer> scheduleTimer(TimeInterval interval, bool repeats,
                                       std::function<void(Timer&)> fire,
                                       std::initializer_list<RunLoopMode> modes = {
                                           RunLoopMode::Default});
  std::uint64_t performAfter(TimeInterval delay, std::function<void()> fn,
                             RunLoopMode mode = RunLoopMode::Default);
  void cancelPerform(std::uint64_t id);  // unknown or already fired ids are ignored
  // A delayed call registered under a target key (any address that stands for its owner, never
  // dereferenced), so that every call still pending for that target can be cancelled at once.
  std::uint64_t performAfter(TimeInterval delay, std::function<void()> fn, const void* target,
                             RunLoopMode mode = RunLoopMode::Default);
  void cancelPerforms(const void* target);

  // Drivers, for the loop's thread only. runUntil checks pred after every task and timer and
  // sleeps on a condition variable in between: until a post, the next timer (real clock only;
  // virtual time moves only through advance()), a few milliseconds (pred may watch another
  // thread that never posts here) or the wall-time bound.
  bool runUntil(const std::function<bool()>& pred, double realTimeBound = 10.0);
  // Runs posted tasks and due timers until none is left, including ones they add.
  void runPending();
  // Virtual clock only: moves the clock to each due timer in turn up to now + dt, firing it with
  // the clock at its fire date and draining posted tasks before each; ends with the clock at
  // now + dt and nothing left to run.
  void advance(TimeInterval dt);

  // For test fixtures: nothing a finished test scheduled may fire in the next one.
  void invalidateAllTimers();
  std::size_t timerCount() const;        // timers waiting to fire (not one that is firing)
  std::size_t pendingTaskCount() const;  // posted tasks not yet run

  static constexpr TimeInterval kMinimumRepeatInterval = 1e-4;
  // A timer this close past the limit counts as due: fire dates are sums of doubles near 1.8e9,
  // where one ulp is already about 2e-7 s.
  static constexpr TimeInterval kDueTolerance = 1e-6;

 private:
  friend class Timer;
  using TimerKey = std::pair<TimeInterval, std::uint64_t>;  // fire date, scheduling order

  RunLoop();
  std::shared_ptr<Timer> addTimer(TimeInterval interval, bool repeats, Timer::Callback fire,
                                  unsigned modeMask, std::uint64_t performId);
  bool runOnePostedTask();
  std::shared_ptr<Timer> takeDueTimer(TimeInterval limit, TimeInterval* fireDate);
  void fireTaken(const std::shared_ptr<Timer>& timer);
  bool runOneUnit();
  void waitForWork(std::chrono::steady_clock::time_point deadline, std::uint64_t seenWakeups);
  void insertLocked(const std::shared_ptr<Timer>& timer);
  void eraseTargetLocked(const void* target, std::uint64_t id);
  void eraseLocked(Timer& timer);
  void rescheduleLocked(Timer& timer);
  void timerInvalidated(Timer& timer);
  void timerFireDateChanged(Timer& timer, TimeInterval date);

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::uint64_t wakeups_ = 0;  // bumped when the timer set changes, to wake a sleeping loop
  std::deque<std::function<void()>> tasks_;
  std::map<TimerKey, std::shared_ptr<Timer>> timers_;
  std::map<std::uint64_t, std::weak_ptr<Timer>> performs_;
  std::multimap<const void*, std::uint64_t> performTargets_;  // only calls given a target
  std::uint64_t nextSequence_ = 1;
  std::uint64_t nextPerformId_ = 1;
  std::atomic<RunLoopMode> mode_{RunLoopMode::Default};
};

}  // namespace platform
