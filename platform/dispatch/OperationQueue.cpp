#include "platform/dispatch/OperationQueue.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

#include "platform/dispatch/BlockOperation.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Waiting.h"
#include "platform/dispatch/WorkerPool.h"
#include "platform/foundation/Log.h"

namespace platform {
namespace {

// Set while a worker finishes an operation that ran on it: that worker goes on with the queue's
// next operation itself instead of handing it to another thread (which would wake up 70-200 us
// later, every item of a serial queue's backlog paying it).
thread_local const OperationQueue* tFinishingOn = nullptr;
thread_local std::shared_ptr<Operation> tContinuation;
// Set while a worker starts an asynchronous operation in the slot another one just freed.
thread_local bool tStartingInline = false;
// Set while a thread outside the pool runs an operation through addOperationRunningHereIfIdle: it
// may start the asynchronous operation whose slot it frees, as a worker would.
thread_local int tRunningHere = 0;
// The queues whose operations this thread is running, outermost first (an operation started in a
// freed slot runs inside the one that freed it).
constexpr int kMaxNesting = 8;
thread_local const OperationQueue* tRunning[kMaxNesting] = {};
thread_local int tDepth = 0;

}  // namespace

OperationQueue::OperationQueue(std::string name, bool onMainLoop)
    : onMainLoop_(onMainLoop), name_(std::move(name)) {}

OperationQueue::~OperationQueue() = default;

std::shared_ptr<OperationQueue> OperationQueue::create(std::string name) {
  return std::shared_ptr<OperationQueue>(new OperationQueue(std::move(name), false));
}

bool OperationQueue::isCurrent() const {
  for (int i = 0; i < std::min(tDepth, kMaxNesting); ++i) {
    if (tRunning[i] == this) return true;
  }
  return false;
}

std::shared_ptr<OperationQueue> OperationQueue::mainQueue() {
  static auto* const queue =
      new std::shared_ptr<OperationQueue>(new OperationQueue("sprout.main", true));
  return *queue;
}

void OperationQueue::addOperation(std::shared_ptr<Operation> operation) {
  if (!operation) return;
  bool added;
  {
    std::lock_guard lock(mutex_);
    added = enqueueLocked(std::move(operation));
  }
  if (added) schedule();
}

void OperationQueue::addOperation(std::function<void()> block) {
  addOperation(BlockOperation::create(std::move(block)));
}

bool OperationQueue::addOperationRunningHereIfIdle(std::function<void()> block) {
  auto operation = BlockOperation::create(std::move(block));
  bool here = false;
  {
    std::lock_guard lock(mutex_);
    const bool waiting = std::any_of(operations_.begin(), operations_.end(),
                                     [](const auto& queued) { return !queued->startedByQueue_; });
    here = !onMainLoop_ && !suspended_ && !waiting && running_ < limitLocked();
    if (!enqueueLocked(operation)) return false;
    if (here) {
      operation->startedByQueue_ = true;
      ++running_;
    }
  }
  if (!here) {
    schedule();
    return false;
  }
  runHere(operation);
  return true;
}

void OperationQueue::addOperations(const std::vector<std::shared_ptr<Operation>>& operations,
                                   bool waitUntilFinished) {
  {
    std::lock_guard lock(mutex_);
    for (const auto& operation : operations) {
      if (operation) enqueueLocked(operation);
    }
  }
  schedule();
  if (!waitUntilFinished) return;
  for (const auto& operation : operations) {
    if (operation) operation->waitUntilFinished();
  }
}

bool OperationQueue::enqueueLocked(std::shared_ptr<Operation> operation) {
  std::lock_guard operationLock(operation->mutex_);
  if (operation->isFinished() || operation->isExecuting() || !operation->queue_.expired()) {
    log(LogLevel::Warning, "dispatch",
        "OperationQueue: an operation that is finished, executing or queued cannot be added");
    return false;
  }
  operation->queue_ = weak_from_this();
  operation->startedByQueue_ = false;
  operations_.push_back(std::move(operation));
  return true;
}

std::size_t OperationQueue::limitLocked() const {
  if (onMainLoop_) return 1;
  if (maxConcurrent_ >= 0) return static_cast<std::size_t>(maxConcurrent_);
  return std::max<std::size_t>(2, WorkerPool::coreCount());
}

// The highest priority ready operation not yet started; the earliest added among equals.
std::shared_ptr<Operation> OperationQueue::nextToStartLocked() const {
  std::shared_ptr<Operation> best;
  QueuePriorityLevel bestPriority = QueuePriorityLevel::Normal;
  for (const auto& operation : operations_) {
    if (operation->startedByQueue_ || !operation->isReady()) continue;
    const QueuePriorityLevel priority = operation->queuePriority();
    if (!best || static_cast<int>(priority) > static_cast<int>(bestPriority)) {
      best = operation;
      bestPriority = priority;
    }
  }
  return best;
}

void OperationQueue::schedule(Freed freed) {
  std::vector<std::shared_ptr<Operation>> starting;
  {
    std::lock_guard lock(mutex_);
    if (suspended_) return;
    const std::size_t limit = limitLocked();
    while (running_ < limit) {
      std::shared_ptr<Operation> next = nextToStartLocked();
      if (!next) break;
      next->startedByQueue_ = true;
      ++running_;
      starting.push_back(std::move(next));
    }
  }
  for (auto& operation : starting) {
    if (freed == Freed::BySynchronous && tFinishingOn == this && !tContinuation) {
      tContinuation = std::move(operation);
      continue;
    }
    // An asynchronous operation's start() only launches its work, so a worker that freed a slot
    // (an asynchronous operation finishing on it) starts the next one itself: no thread hop
    // between one download ending and the next beginning. Never nested.
    if (!onMainLoop_ && freed == Freed::ByAsynchronous && !tStartingInline &&
        (WorkerPool::isWorkerThread() || tRunningHere > 0) && operation->isAsynchronous()) {
      tStartingInline = true;
      run(std::move(operation));
      tStartingInline = false;
      continue;
    }
    auto job = [self = shared_from_this(), operation = std::move(operation)] {
      self->run(operation);
    };
    if (onMainLoop_) {
      RunLoop::main().post(std::move(job));
    } else {
      // The queue bounds its own concurrency, so each started operation may have a thread.
      WorkerPool::shared().submit(std::move(job), QueuePriority::Default, true);
    }
  }
}

void OperationQueue::run(std::shared_ptr<Operation> operation) {
  while (operation) {
    {
      // finish() takes it back; one that already finished (started by hand) must not pin us.
      std::lock_guard lock(operation->mutex_);
      if (!operation->isFinished()) operation->runningIn_ = shared_from_this();
    }
    // A synchronous operation is over when start() returns, whatever start() did (the default
    // start() finishes it itself): either way the slot it frees goes to this thread's next run.
    const bool synchronous = !operation->isAsynchronous();
    const OperationQueue* const outer = tFinishingOn;
    if (synchronous && !onMainLoop_) tFinishingOn = this;
    if (tDepth < kMaxNesting) tRunning[tDepth] = this;
    ++tDepth;
    operation->start();
    if (synchronous) operation->finish();
    --tDepth;
    tFinishingOn = outer;
    if (!synchronous) return;
    operation = std::exchange(tContinuation, nullptr);
  }
}

// One operation on the caller's thread; what its end frees goes to the pool as usual.
void OperationQueue::runHere(const std::shared_ptr<Operation>& operation) {
  {
    std::lock_guard lock(operation->mutex_);
    if (!operation->isFinished()) operation->runningIn_ = shared_from_this();
  }
  if (tDepth < kMaxNesting) tRunning[tDepth] = this;
  ++tDepth;
  ++tRunningHere;
  const OperationQueue* const outer = std::exchange(tFinishingOn, nullptr);
  operation->start();
  operation->finish();
  tFinishingOn = outer;
  --tRunningHere;
  --tDepth;
}

void OperationQueue::operationFinished(Operation* operation) {
  std::shared_ptr<Operation> released;
  bool wakeMainLoop = false;
  {
    std::lock_guard lock(mutex_);
    auto it = std::find_if(operations_.begin(), operations_.end(),
                           [operation](const auto& held) { return held.get() == operation; });
    if (it == operations_.end()) return;
    if ((*it)->startedByQueue_) --running_;
    released = std::move(*it);
    operations_.erase(it);
    if (operations_.empty()) {
      drained_.notify_all();
      wakeMainLoop = mainThreadWaiters_ > 0;
    }
  }
  if (wakeMainLoop) RunLoop::main().post([] {});
  schedule(released->isAsynchronous() ? Freed::ByAsynchronous : Freed::BySynchronous);
}

int OperationQueue::maxConcurrentOperationCount() const {
  std::lock_guard lock(mutex_);
  return onMainLoop_ ? 1 : maxConcurrent_;
}

void OperationQueue::setMaxConcurrentOperationCount(int count) {
  {
    std::lock_guard lock(mutex_);
    maxConcurrent_ = count < 0 ? kDefaultMaxConcurrentOperationCount : count;
  }
  schedule();
}

void OperationQueue::cancelAllOperations() {
  for (const auto& operation : operations()) operation->cancel();
}

void OperationQueue::setSuspended(bool suspended) {
  {
    std::lock_guard lock(mutex_);
    suspended_ = suspended;
  }
  if (!suspended) schedule();
}

bool OperationQueue::isSuspended() const {
  std::lock_guard lock(mutex_);
  return suspended_;
}

std::size_t OperationQueue::operationCount() const {
  std::lock_guard lock(mutex_);
  return operations_.size();
}

std::vector<std::shared_ptr<Operation>> OperationQueue::operations() const {
  std::lock_guard lock(mutex_);
  return operations_;
}

void OperationQueue::waitUntilAllOperationsAreFinished() {
  while (!waitUntilAllOperationsAreFinished(3600)) {
  }
}

bool OperationQueue::waitUntilAllOperationsAreFinished(double timeoutSeconds) {
  return waitServingMainLoop(
      mutex_, drained_, mainThreadWaiters_, [this] { return operations_.empty(); }, timeoutSeconds);
}

std::string OperationQueue::name() const {
  std::lock_guard lock(mutex_);
  return name_;
}

void OperationQueue::setName(std::string name) {
  std::lock_guard lock(mutex_);
  name_ = std::move(name);
}

}  // namespace platform
