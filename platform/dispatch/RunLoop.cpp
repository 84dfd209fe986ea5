#include "platform/dispatch/RunLoop.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <thread>
#include <vector>

#include "platform/foundation/Clock.h"

namespace platform {
namespace {

std::atomic<std::thread::id> gMainThread;

// Static initialisation runs on the process's initial thread, which is the main thread unless a
// program says otherwise with bindMainToCurrentThread().
[[maybe_unused]] const bool kBoundAtStartup = [] {
  RunLoop::bindMainToCurrentThread();
  return true;
}();

unsigned maskOf(std::initializer_list<RunLoopMode> modes) {
  unsigned mask = 0;
  for (RunLoopMode mode : modes) mask |= 1u << static_cast<unsigned>(mode);
  return mask != 0 ? mask : 1u << static_cast<unsigned>(RunLoopMode::Default);
}

}  // namespace

RunLoop::RunLoop() = default;

RunLoop& RunLoop::main() {
  static RunLoop* const loop = new RunLoop;
  return *loop;
}

void RunLoop::bindMainToCurrentThread() { gMainThread.store(std::this_thread::get_id()); }

bool RunLoop::isMainThread() { return gMainThread.load() == std::this_thread::get_id(); }

RunLoopMode RunLoop::currentMode() const { return mode_.load(); }

void RunLoop::setCurrentMode(RunLoopMode mode) {
  baseMode_ = mode;
  if (modeScopes_.empty()) mode_.store(mode);
}

std::uint64_t RunLoop::enterMode(RunLoopMode mode) {
  const std::uint64_t ticket = nextModeTicket_++;
  modeScopes_.emplace_back(ticket, mode);
  mode_.store(mode);
  return ticket;
}

void RunLoop::leaveMode(std::uint64_t ticket) {
  auto it = std::find_if(modeScopes_.begin(), modeScopes_.end(),
                         [ticket](const auto& scope) { return scope.first == ticket; });
  if (it == modeScopes_.end()) return;
  modeScopes_.erase(it);
  mode_.store(modeScopes_.empty() ? baseMode_ : modeScopes_.back().second);
}

void RunLoop::post(std::function<void()> task) {
  bool wasEmpty;
  {
    std::lock_guard lock(mutex_);
    wasEmpty = tasks_.empty();
    tasks_.push_back(std::move(task));
  }
  // The loop only sleeps with no task queued, so one that finds tasks queued was woken for the
  // first of them: a busy loop's posters make no system call.
  if (wasEmpty) wake_.notify_all();
}

std::shared_ptr<Timer> RunLoop::scheduleTimer(TimeInterval interval, bool repeats,
                                              std::function<void(Timer&)> fire,
                                              std::initializer_list<RunLoopMode> modes) {
  return addTimer(interval, repeats, std::move(fire), maskOf(modes), 0);
}

std::uint64_t RunLoop::performAfter(TimeInterval delay, std::function<void()> fn,
                                    RunLoopMode mode) {
  return performAfter(delay, std::move(fn), nullptr, mode);
}

std::uint64_t RunLoop::performAfter(TimeInterval delay, std::function<void()> fn,
                                    const void* target, RunLoopMode mode) {
  std::uint64_t id;
  {
    std::lock_guard lock(mutex_);
    id = nextPerformId_++;
    if (target != nullptr) performTargets_.emplace(target, id);
  }
  auto call = [this, id, target, fn = std::move(fn)](Timer&) {
    {
      std::lock_guard lock(mutex_);
      performs_.erase(id);
      if (target != nullptr) eraseTargetLocked(target, id);
    }
    fn();
  };
  addTimer(delay, false, std::move(call), maskOf({mode}), id);
  return id;
}

void RunLoop::eraseTargetLocked(const void* target, std::uint64_t id) {
  auto [first, last] = performTargets_.equal_range(target);
  for (auto it = first; it != last; ++it) {
    if (it->second == id) {
      performTargets_.erase(it);
      return;
    }
  }
}

void RunLoop::cancelPerforms(const void* target) {
  std::vector<std::uint64_t> ids;
  {
    std::lock_guard lock(mutex_);
    auto [first, last] = performTargets_.equal_range(target);
    for (auto it = first; it != last; ++it) ids.push_back(it->second);
    performTargets_.erase(first, last);
  }
  for (std::uint64_t id : ids) cancelPerform(id);
}

void RunLoop::cancelPerform(std::uint64_t id) {
  std::shared_ptr<Timer> timer;
  {
    std::lock_guard lock(mutex_);
    auto it = performs_.find(id);
    if (it == performs_.end()) return;
    timer = it->second.lock();
    performs_.erase(it);
    for (auto t = performTargets_.begin(); t != performTargets_.end(); ++t) {
      if (t->second == id) {
        performTargets_.erase(t);
        break;
      }
    }
  }
  if (timer) timer->invalidate();
}

std::shared_ptr<Timer> RunLoop::addTimer(TimeInterval interval, bool repeats, Timer::Callback fire,
                                         unsigned modeMask, std::uint64_t performId) {
  if (repeats) {
    interval = std::max(interval, kMinimumRepeatInterval);
  } else if (!(interval > 0)) {
    interval = 0;  // also catches NaN
  }
  std::shared_ptr<Timer> timer(new Timer(this, interval, repeats, std::move(fire), modeMask));
  {
    std::lock_guard lock(mutex_);
    timer->anchor_ = Clock::current().now();
    timer->count_ = 1;
    timer->fireDate_ = timer->anchor_ + interval;
    insertLocked(timer);
    if (performId != 0) performs_[performId] = timer;
    ++wakeups_;
  }
  wake_.notify_all();
  return timer;
}

void RunLoop::insertLocked(const std::shared_ptr<Timer>& timer) {
  timer->sequence_ = nextSequence_++;
  timers_.emplace(TimerKey{timer->fireDate_, timer->sequence_}, timer);
  timer->scheduled_ = true;
}

void RunLoop::eraseLocked(Timer& timer) {
  if (!timer.scheduled_) return;
  timers_.erase(TimerKey{timer.fireDate_, timer.sequence_});
  timer.scheduled_ = false;
}

void RunLoop::rescheduleLocked(Timer& timer) {
  const TimeInterval now = Clock::current().now();
  timer.count_ += 1;
  TimeInterval next = timer.anchor_ + static_cast<double>(timer.count_) * timer.interval_;
  if (next <= now + kDueTolerance) {
    timer.count_ =
        static_cast<std::int64_t>(std::floor((now - timer.anchor_) / timer.interval_)) + 1;
    next = timer.anchor_ + static_cast<double>(timer.count_) * timer.interval_;
    while (next <= now + kDueTolerance) {
      timer.count_ += 1;
      next = timer.anchor_ + static_cast<double>(timer.count_) * timer.interval_;
    }
  }
  timer.fireDate_ = next;
}

void RunLoop::timerInvalidated(Timer& timer) {
  std::lock_guard lock(mutex_);
  if (!timer.valid_.load()) return;
  timer.valid_.store(false, std::memory_order_release);
  eraseLocked(timer);
  ++wakeups_;
}

void RunLoop::timerFireDateChanged(Timer& timer, TimeInterval date) {
  {
    std::lock_guard lock(mutex_);
    if (!timer.valid_.load()) return;
    eraseLocked(timer);
    timer.anchor_ = date;
    timer.count_ = 0;
    timer.fireDate_ = date;
    if (timer.inFlight_) {
      timer.fireDateMoved_ = true;
    } else {
      insertLocked(timer.shared_from_this());
    }
    ++wakeups_;
  }
  wake_.notify_all();
}

bool RunLoop::runOnePostedTask() {
  std::function<void()> task;
  {
    std::lock_guard lock(mutex_);
    if (tasks_.empty()) return false;
    task = std::move(tasks_.front());
    tasks_.pop_front();
  }
  task();
  return true;
}

std::shared_ptr<Timer> RunLoop::takeDueTimer(TimeInterval limit, TimeInterval* fireDate) {
  std::lock_guard lock(mutex_);
  const RunLoopMode mode = mode_.load();
  for (auto it = timers_.begin(); it != timers_.end(); ++it) {
    if (it->first.first > limit + kDueTolerance) break;
    if (!it->second->firesIn(mode)) continue;
    std::shared_ptr<Timer> timer = std::move(it->second);
    timers_.erase(it);
    timer->scheduled_ = false;
    timer->inFlight_ = true;
    timer->fireDateMoved_ = false;
    if (fireDate) *fireDate = timer->fireDate_;
    return timer;
  }
  return nullptr;
}

void RunLoop::fireTaken(const std::shared_ptr<Timer>& timer) {
  timer->runCallback();
  {
    std::lock_guard lock(mutex_);
    timer->inFlight_ = false;
    if (!timer->valid_.load()) return;
    if (timer->repeats_) {
      if (!timer->fireDateMoved_) rescheduleLocked(*timer);
      insertLocked(timer);
      return;
    }
  }
  timer->invalidate();  // one-shot: done
}

bool RunLoop::runOneUnit() {
  if (runOnePostedTask()) return true;
  std::shared_ptr<Timer> timer = takeDueTimer(Clock::current().now(), nullptr);
  if (!timer) return false;
  fireTaken(timer);
  return true;
}

void RunLoop::runPending() {
  assert(isMainThread() && "the main loop runs on the main thread only");
  while (runOneUnit()) {
  }
}

void RunLoop::advance(TimeInterval dt) {
  auto* clock = dynamic_cast<VirtualClock*>(&Clock::current());
  assert(clock != nullptr && "RunLoop::advance needs a VirtualClock");
  if (clock == nullptr) return runPending();
  assert(isMainThread() && "the main loop runs on the main thread only");
  const TimeInterval target = clock->now() + std::max(0.0, dt);
  for (;;) {
    if (runOnePostedTask()) continue;
    TimeInterval fireDate = 0;
    std::shared_ptr<Timer> timer = takeDueTimer(target, &fireDate);
    if (!timer) break;
    const TimeInterval at = std::min(fireDate, target);
    if (at > clock->now()) clock->set(at);  // overdue timers fire at the current time
    fireTaken(timer);
  }
  if (clock->now() < target) clock->set(target);
  runPending();
}

namespace {
constexpr std::chrono::milliseconds kPredicatePollInterval{5};
}  // namespace

bool RunLoop::runUntil(const std::function<bool()>& pred, double realTimeBound) {
  using namespace std::chrono;
  assert(isMainThread() && "the main loop runs on the main thread only");
  const double bound = realTimeBound > 0 ? std::min(realTimeBound, 1e7) : 0.0;  // NaN → 0
  const auto deadline =
      steady_clock::now() + duration_cast<steady_clock::duration>(duration<double>(bound));
  for (;;) {
    if (pred()) return true;
    std::uint64_t seen;
    {
      std::lock_guard lock(mutex_);
      seen = wakeups_;
    }
    if (runOneUnit()) continue;
    const auto now = steady_clock::now();
    if (now >= deadline) return pred();
    // The predicate may watch another thread that never posts here; look again now and then.
    waitForWork(std::min(deadline, now + kPredicatePollInterval), seen);
  }
}

void RunLoop::waitForWork(std::chrono::steady_clock::time_point deadline,
                          std::uint64_t seenWakeups) {
  using namespace std::chrono;
  std::unique_lock lock(mutex_);
  auto until = deadline;
  if (!Clock::isVirtual()) {
    const RunLoopMode mode = mode_.load();
    for (const auto& [key, timer] : timers_) {
      if (!timer->firesIn(mode)) continue;
      const double seconds = std::max(0.0, key.first - Clock::current().now());
      const auto fire =
          steady_clock::now() + duration_cast<steady_clock::duration>(duration<double>(seconds));
      until = std::min(until, fire);
      break;
    }
  }
  wake_.wait_until(lock, until, [&] { return !tasks_.empty() || wakeups_ != seenWakeups; });
}

void RunLoop::invalidateAllTimers() {
  std::vector<std::shared_ptr<Timer>> dropped;
  {
    std::lock_guard lock(mutex_);
    for (auto& [key, timer] : timers_) {
      timer->valid_.store(false, std::memory_order_release);
      timer->scheduled_ = false;
      dropped.push_back(std::move(timer));
    }
    timers_.clear();
    performs_.clear();
    performTargets_.clear();
    ++wakeups_;
  }
  for (const auto& timer : dropped) timer->releaseCallback();
}

std::size_t RunLoop::timerCount() const {
  std::lock_guard lock(mutex_);
  return timers_.size();
}

std::size_t RunLoop::pendingTaskCount() const {
  std::lock_guard lock(mutex_);
  return tasks_.size();
}

}  // namespace platform
