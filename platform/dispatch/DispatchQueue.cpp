#include "platform/dispatch/DispatchQueue.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cassert>
#include <chrono>

#include "platform/dispatch/DeadlockDetector.h"
#include "platform/dispatch/DelayedTaskThread.h"
#include "platform/dispatch/MainThread.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/WorkerPool.h"
#include "platform/foundation/Clock.h"

namespace platform {
namespace {

// The queues whose tasks the calling thread is running, innermost last (a sync() onto another
// queue from inside a task nests).
thread_local std::vector<const DispatchQueue*> tCurrentQueues;

constexpr int kSpins = 256;  // about ten microseconds

inline void cpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#elif defined(__aarch64__)
  asm volatile("yield");
#endif
}

}  // namespace

struct DispatchQueue::Gate {
  std::mutex mutex;
  std::condition_variable opened;
  std::atomic<bool> open{false};  // set under the mutex; also read without it while spinning
  bool mainWaits = false;  // the main thread waits here, as the deadlock check knows

  void release() {
    std::lock_guard lock(mutex);
    open.store(true, std::memory_order_release);
    if (mainWaits) DeadlockDetector::mainUnblocked();
    mainWaits = false;
    opened.notify_all();
  }
  // A queue's blocks are short: a waiter that sleeps at once turns each hand-over into a wake-up,
  // and while it waits for a core every later caller waits behind it. Looking again for a few
  // microseconds first lets a queue in steady use hand over without sleeping.
  void waitForQueue() {
    for (int spin = 0; spin < kSpins; ++spin) {
      if (open.load(std::memory_order_acquire)) return;
      cpuRelax();
    }
    wait();
  }
  // The main thread's wait on `queue`, told to the deadlock check if it really has to wait.
  void waitAsMain(const DispatchQueue* queue) {
    {
      std::lock_guard lock(mutex);
      if (!open) {
        mainWaits = true;
        DeadlockDetector::mainBlocks(queue);
      }
    }
    wait();
  }
  void wait() {
    std::unique_lock lock(mutex);
    if (open) return;  // nothing to wait for: the pool need not make up for this thread
    lock.unlock();
    WorkerPool::ScopedBlocking blocking;
    lock.lock();
    opened.wait(lock, [this] { return open.load(); });
  }
};

class DispatchQueue::CurrentScope {
 public:
  explicit CurrentScope(const DispatchQueue* queue) { tCurrentQueues.push_back(queue); }
  ~CurrentScope() { tCurrentQueues.pop_back(); }
  CurrentScope(const CurrentScope&) = delete;
  CurrentScope& operator=(const CurrentScope&) = delete;
};

DispatchQueue::DispatchQueue(Kind kind, std::string label, QueuePriority priority)
    : kind_(kind), label_(std::move(label)), priority_(priority) {}

DispatchQueue::~DispatchQueue() = default;

// The process-wide queues are never destroyed, so code running during exit can still use them.
std::shared_ptr<DispatchQueue> DispatchQueue::main() {
  static auto* const queue = new std::shared_ptr<DispatchQueue>(
      new DispatchQueue(Kind::Main, "sprout.main", QueuePriority::High));
  return *queue;
}

std::shared_ptr<DispatchQueue> DispatchQueue::global(QueuePriority priority) {
  static auto* const queues = [] {
    static constexpr std::array<const char*, 4> kLabels = {
        "sprout.global.background", "sprout.global.low", "sprout.global.default",
        "sprout.global.high"};
    auto* made = new std::array<std::shared_ptr<DispatchQueue>, 4>;
    for (std::size_t i = 0; i < made->size(); ++i) {
      (*made)[i].reset(new DispatchQueue(Kind::Global, kLabels[i], static_cast<QueuePriority>(i)));
    }
    return made;
  }();
  return (*queues)[static_cast<std::size_t>(priority)];
}

std::shared_ptr<DispatchQueue> DispatchQueue::createSerial(std::string label) {
  return std::shared_ptr<DispatchQueue>(
      new DispatchQueue(Kind::Serial, std::move(label), QueuePriority::Default));
}

std::shared_ptr<DispatchQueue> DispatchQueue::createConcurrent(std::string label) {
  return std::shared_ptr<DispatchQueue>(
      new DispatchQueue(Kind::Concurrent, std::move(label), QueuePriority::Default));
}

bool DispatchQueue::isCurrent() const {
  if (kind_ == Kind::Main) return RunLoop::isMainThread();
  return std::find(tCurrentQueues.begin(), tCurrentQueues.end(), this) != tCurrentQueues.end();
}

void DispatchQueue::async(std::function<void()> task) {
  switch (kind_) {
    case Kind::Main:
      RunLoop::main().post(std::move(task));
      return;
    case Kind::Global:
      WorkerPool::shared().submit(
          [self = shared_from_this(), task = std::move(task)] {
            CurrentScope scope(self.get());
            task();
          },
          priority_, false);
      return;
    case Kind::Serial:
    case Kind::Concurrent:
      enqueue(Item{std::move(task), false, nullptr});
      return;
  }
}

void DispatchQueue::barrierAsync(std::function<void()> task) {
  if (kind_ != Kind::Concurrent) return async(std::move(task));
  enqueue(Item{std::move(task), true, nullptr});
}

void DispatchQueue::sync(const std::function<void()>& task) {
  switch (kind_) {
    case Kind::Main:
      return syncOnMain(task);
    case Kind::Global: {
      CurrentScope scope(this);
      return task();
    }
    case Kind::Serial:
    case Kind::Concurrent:
      return syncOnQueue(task, false);
  }
}

void DispatchQueue::barrierSync(const std::function<void()>& task) {
  if (kind_ != Kind::Concurrent) return sync(task);
  syncOnQueue(task, true);
}

void DispatchQueue::asyncAfter(TimeInterval delay, std::function<void()> task) {
  if (kind_ == Kind::Main || Clock::isVirtual()) {
    RunLoop::main().performAfter(
        delay, [self = shared_from_this(), task = std::move(task)] { self->async(task); },
        RunLoopMode::Common);
    return;
  }
  using namespace std::chrono;
  const double seconds = delay > 0 ? std::min(delay, 1e7) : 0.0;
  DelayedTaskThread::shared().schedule(
      steady_clock::now() + duration_cast<steady_clock::duration>(duration<double>(seconds)),
      [self = shared_from_this(), task = std::move(task)]() mutable {
        self->async(std::move(task));
      });
}

void DispatchQueue::enqueue(Item item) {
  std::vector<Item> runnable;
  {
    std::lock_guard lock(mutex_);
    items_.push_back(std::move(item));
    takeRunnableLocked(&runnable);
  }
  launch(std::move(runnable));
}

// Moves the items that may start now out of the queue: at the head, while the width allows and
// no barrier is in the way.
void DispatchQueue::takeRunnableLocked(std::vector<Item>* out) {
  const std::size_t width = kind_ == Kind::Serial ? 1 : SIZE_MAX;
  while (!items_.empty() && !barrierRunning_) {
    Item& head = items_.front();
    if (head.barrier) {
      if (running_ > 0) break;
      barrierRunning_ = true;
    } else if (running_ >= width) {
      break;
    }
    ++running_;
    out->push_back(std::move(head));
    items_.pop_front();
  }
}

void DispatchQueue::launch(std::vector<Item> items) {
  for (Item& item : items) {
    if (item.gate) {
      item.gate->release();
      continue;
    }
    // Serial queues bound themselves to one thread, so they may always have one.
    WorkerPool::shared().submit(
        [self = shared_from_this(), item = std::move(item)]() mutable { self->runItem(item); },
        priority_, kind_ == Kind::Serial);
  }
}

void DispatchQueue::runItem(Item& item) {
  for (;;) {
    {
      CurrentScope scope(this);
      item.task();
    }
    item.task = nullptr;
    std::vector<Item> runnable = finishItem(item.barrier);
    // A serial queue's next block runs on this thread, as it would have on the one woken for it.
    if (kind_ == Kind::Serial && runnable.size() == 1 && !runnable.front().gate) {
      item = std::move(runnable.front());
      continue;
    }
    launch(std::move(runnable));
    return;
  }
}

std::vector<DispatchQueue::Item> DispatchQueue::finishItem(bool barrier) {
  std::vector<Item> runnable;
  std::lock_guard lock(mutex_);
  --running_;
  if (barrier) barrierRunning_ = false;
  takeRunnableLocked(&runnable);
  return runnable;
}

void DispatchQueue::itemFinished(bool barrier) { launch(finishItem(barrier)); }

void DispatchQueue::syncOnQueue(const std::function<void()>& task, bool barrier) {
  if (isCurrent()) {
    // A plain sync() onto a concurrent queue from inside it is fine: this thread already holds
    // one of its running slots. Anything else would wait for itself forever.
    assert(kind_ == Kind::Concurrent && !barrier && "sync() onto the current queue deadlocks");
    CurrentScope scope(this);
    return task();
  }
  auto gate = std::make_shared<Gate>();
  enqueue(Item{nullptr, barrier, gate});
  if (kThreadChecks && RunLoop::isMainThread()) {
    gate->waitAsMain(this);
  } else {
    gate->waitForQueue();
  }
  struct Finish {
    DispatchQueue* queue;
    bool barrier;
    ~Finish() { queue->itemFinished(barrier); }
  } finish{this, barrier};
  CurrentScope scope(this);
  task();
}

void DispatchQueue::syncOnMain(const std::function<void()>& task) {
  if (RunLoop::isMainThread()) return task();
  auto gate = std::make_shared<Gate>();
  DeadlockDetector::WaitingOnMainScope waiting(tCurrentQueues);
  // The caller blocks until the gate opens, so the task reference outlives the posted call.
  RunLoop::main().post([gate, &task, &waiting] {
    struct Open {
      Gate* gate;
      DeadlockDetector::WaitingOnMainScope* waiting;
      ~Open() {
        waiting->end();
        gate->release();
      }
    } open{gate.get(), &waiting};
    task();
  });
  gate->wait();
}

void runOnMainSync(const std::function<void()>& fn) {
  if (RunLoop::isMainThread()) return fn();
  DispatchQueue::main()->sync(fn);
}

void runOnMainAsync(std::function<void()> fn) { RunLoop::main().post(std::move(fn)); }

}  // namespace platform
