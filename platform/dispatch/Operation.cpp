#include "platform/dispatch/Operation.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "platform/dispatch/OperationQueue.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Waiting.h"
#include "platform/dispatch/WorkerPool.h"

namespace platform {

Operation::Operation() = default;
Operation::~Operation() = default;

void Operation::start() {
  if (isFinished()) return;
  if (!isCancelled()) {
    setExecuting(true);
    main();
  }
  finish();
}

void Operation::main() {}

void Operation::cancel() {
  if (isFinished() || cancelled_.exchange(true)) return;
  readinessChanged();
}

bool Operation::isAsynchronous() const { return false; }

bool Operation::isReady() const {
  if (isCancelled()) return true;
  std::lock_guard lock(mutex_);
  return std::all_of(dependencies_.begin(), dependencies_.end(),
                     [](const auto& dependency) { return dependency->isFinished(); });
}

void Operation::addDependency(std::shared_ptr<Operation> operation) {
  if (!operation || operation.get() == this) return;
  Operation* const dependency = operation.get();
  {
    std::lock_guard lock(mutex_);
    if (std::find(dependencies_.begin(), dependencies_.end(), operation) != dependencies_.end()) {
      return;
    }
    dependencies_.push_back(std::move(operation));
  }
  if (auto self = weak_from_this().lock()) dependency->addDependent(self);
}

void Operation::removeDependency(const std::shared_ptr<Operation>& operation) {
  {
    std::lock_guard lock(mutex_);
    std::erase(dependencies_, operation);
  }
  readinessChanged();
}

std::vector<std::shared_ptr<Operation>> Operation::dependencies() const {
  std::lock_guard lock(mutex_);
  return dependencies_;
}

void Operation::addDependent(const std::shared_ptr<Operation>& dependent) {
  std::lock_guard lock(mutex_);
  std::erase_if(dependents_, [](const auto& weak) { return weak.expired(); });
  dependents_.push_back(dependent);
}

QueuePriorityLevel Operation::queuePriority() const {
  std::lock_guard lock(mutex_);
  return priority_;
}

void Operation::setQueuePriority(QueuePriorityLevel priority) {
  std::lock_guard lock(mutex_);
  priority_ = priority;
}

void Operation::setCompletionBlock(std::function<void()> block) {
  std::lock_guard lock(mutex_);
  completion_ = std::move(block);
}

std::string Operation::name() const {
  std::lock_guard lock(mutex_);
  return name_;
}

void Operation::setName(std::string name) {
  std::lock_guard lock(mutex_);
  name_ = std::move(name);
}

void Operation::setExecuting(bool executing) { executing_.store(executing); }

void Operation::finish() {
  if (finished_.exchange(true)) return;
  // Whoever calls finish() may hold us only through the queue, which lets go below.
  const std::shared_ptr<Operation> keepAlive = weak_from_this().lock();
  executing_.store(false);
  std::function<void()> completion;
  std::vector<std::weak_ptr<Operation>> dependents;
  std::weak_ptr<OperationQueue> queue;
  std::shared_ptr<OperationQueue> runningIn;  // released last, once the queue heard of us
  {
    std::lock_guard lock(mutex_);
    completion = std::exchange(completion_, nullptr);
    dependents = dependents_;
    queue = queue_;
    runningIn = std::move(runningIn_);
  }
  if (completion) completion();
  completion = nullptr;
  bool wakeMainLoop;
  {
    std::lock_guard lock(mutex_);
    completed_ = true;
    wakeMainLoop = mainThreadWaiters_ > 0;
    done_.notify_all();
  }
  if (wakeMainLoop) RunLoop::main().post([] {});
  for (const auto& weak : dependents) {
    if (auto dependent = weak.lock()) dependent->readinessChanged();
  }
  if (auto owner = queue.lock()) owner->operationFinished(this);
}

void Operation::readinessChanged() {
  std::weak_ptr<OperationQueue> queue;
  {
    std::lock_guard lock(mutex_);
    queue = queue_;
  }
  if (auto owner = queue.lock()) owner->schedule();
}

void Operation::waitUntilFinished() {
  while (!waitUntilFinished(3600)) {
  }
}

bool Operation::waitUntilFinished(double timeoutSeconds) {
  return waitServingMainLoop(
      mutex_, done_, mainThreadWaiters_, [this] { return completed_; }, timeoutSeconds);
}

}  // namespace platform
