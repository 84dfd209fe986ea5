#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

class OperationQueue;

enum class QueuePriorityLevel : int { VeryLow = -8, Low = -4, Normal = 0, High = 4, VeryHigh = 8 };

// A unit of work for an OperationQueue. Synchronous operations override main(); asynchronous
// ones return true from isAsynchronous(), override start(), and call finish() when done (from
// any thread), keeping their queue slot until then. An operation is ready when it is cancelled
// or every dependency has finished (cancelled dependencies finish too).
class Operation : public std::enable_shared_from_this<Operation> {
 public:
  Operation();
  virtual ~Operation();
  Operation(const Operation&) = delete;
  Operation& operator=(const Operation&) = delete;

  virtual void start();   // default: finish at once if cancelled, else main() then finish()
  virtual void main();    // default: nothing
  virtual void cancel();  // a queued cancelled operation becomes ready and starts soon
  bool isCancelled() const { return cancelled_.load(); }
  bool isExecuting() const { return executing_.load(); }
  bool isFinished() const { return finished_.load(); }
  bool isReady() const;
  virtual bool isAsynchronous() const;

  void addDependency(std::shared_ptr<Operation> operation);
  void removeDependency(const std::shared_ptr<Operation>& operation);
  std::vector<std::shared_ptr<Operation>> dependencies() const;
  QueuePriorityLevel queuePriority() const;
  void setQueuePriority(QueuePriorityLevel priority);
  // Runs once, on the thread that finishes the operation, before waiters wake and before the
  // queue frees the slot; released afterwards.
  void setCompletionBlock(std::function<void()> block);
  std::string name() const;
  void setName(std::string name);
  // Until finished and the completion block has run. On the main thread this keeps
  // RunLoop::main() running meanwhile, so an operation that needs the main thread
  // (mainQueue(), runOnMainSync) can still finish.
  void waitUntilFinished();
  bool waitUntilFinished(double timeoutSeconds);  // false when the time ran out

 protected:
  void setExecuting(bool executing);
  void finish();  // once; later calls do nothing

 private:
  friend class OperationQueue;
  void addDependent(const std::shared_ptr<Operation>& dependent);
  void readinessChanged();

  mutable std::mutex mutex_;
  std::condition_variable done_;
  std::atomic<bool> cancelled_{false};
  std::atomic<bool> executing_{false};
  std::atomic<bool> finished_{false};
  bool completed_ = false;  // finished and the completion block has run
  int mainThreadWaiters_ = 0;
  std::vector<std::shared_ptr<Operation>> dependencies_;
  std::vector<std::weak_ptr<Operation>> dependents_;
  QueuePriorityLevel priority_ = QueuePriorityLevel::Normal;
  std::function<void()> completion_;
  std::string name_;
  std::weak_ptr<OperationQueue> queue_;
  // Set while a queue runs us, until finish(): the queue lives as long as its running work,
  // even once its owners let go, so an asynchronous finish still finds it.
  std::shared_ptr<OperationQueue> runningIn_;

  // Owned by the queue, under its mutex.
  bool startedByQueue_ = false;
};

}  // namespace platform
