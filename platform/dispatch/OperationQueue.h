#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/dispatch/Operation.h"

namespace platform {

// Starts ready operations in order of priority, then of addition, never more at once than
// maxConcurrentOperationCount (an asynchronous operation holds its slot until it finishes).
// Operations run on the shared WorkerPool, never on the caller's thread (a worker that finishes a
// synchronous operation goes straight on with the next one it frees); mainQueue() runs them
// one at a time on RunLoop::main(). The queue lets go of an operation once it finishes. While an
// operation is starting or running the queue keeps itself alive; operations still waiting (for a
// dependency, or while suspended) when the last owner lets go of the queue never start.
class OperationQueue : public std::enable_shared_from_this<OperationQueue> {
 public:
  static constexpr int kDefaultMaxConcurrentOperationCount = -1;  // CPU count, at least 2

  static std::shared_ptr<OperationQueue> create(std::string name = {});
  static std::shared_ptr<OperationQueue> mainQueue();
  ~OperationQueue();
  OperationQueue(const OperationQueue&) = delete;
  OperationQueue& operator=(const OperationQueue&) = delete;

  // Adding an operation that is finished, executing or already queued is ignored.
  void addOperation(std::shared_ptr<Operation> operation);
  void addOperation(std::function<void()> block);
  // Like addOperation(block), but when the queue could start it at once (not the main queue, not
  // suspended, a free slot and nothing added before it still waiting) it runs on the calling
  // thread before this returns, as the queue's operation. Returns whether it ran here. For
  // callers whose own thread is already awake, to spare the work a hand-over to a worker.
  bool addOperationRunningHereIfIdle(std::function<void()> block);
  void addOperations(const std::vector<std::shared_ptr<Operation>>& operations,
                     bool waitUntilFinished);
  int maxConcurrentOperationCount() const;
  void setMaxConcurrentOperationCount(int count);  // ignored by mainQueue()
  void cancelAllOperations();
  void setSuspended(bool suspended);  // a suspended queue starts nothing new
  bool isSuspended() const;
  std::size_t operationCount() const;
  std::vector<std::shared_ptr<Operation>> operations() const;  // not yet finished, in order added
  // On the main thread this keeps RunLoop::main() running meanwhile (see
  // Operation::waitUntilFinished).
  void waitUntilAllOperationsAreFinished();
  bool waitUntilAllOperationsAreFinished(double timeoutSeconds);  // false when time ran out
  std::string name() const;
  void setName(std::string name);
  // True on a thread running one of this queue's operations (inside its start()).
  bool isCurrent() const;

 private:
  friend class Operation;
  OperationQueue(std::string name, bool onMainLoop);
  bool enqueueLocked(std::shared_ptr<Operation> operation);
  // What freed a slot when an operation finishing on this thread schedules.
  enum class Freed { Nothing, BySynchronous, ByAsynchronous };
  void schedule(Freed freed = Freed::Nothing);
  std::shared_ptr<Operation> nextToStartLocked() const;
  std::size_t limitLocked() const;
  // Runs `operation`, then, on a worker, whatever its finishing started next on this queue.
  void run(std::shared_ptr<Operation> operation);
  void runHere(const std::shared_ptr<Operation>& operation);
  void operationFinished(Operation* operation);

  const bool onMainLoop_;
  mutable std::mutex mutex_;
  std::condition_variable drained_;
  std::vector<std::shared_ptr<Operation>> operations_;
  std::size_t running_ = 0;
  int maxConcurrent_ = kDefaultMaxConcurrentOperationCount;
  bool suspended_ = false;
  int mainThreadWaiters_ = 0;
  std::string name_;
};

}  // namespace platform
