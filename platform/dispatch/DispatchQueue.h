#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/dispatch/QueuePriority.h"
#include "platform/foundation/Types.h"

namespace platform {

// Queues of work in the style of sequences and task runners.
// - main(): tasks are posted to RunLoop::main(); sync() from the main thread runs inline.
// - global(p): concurrent, on the shared WorkerPool at priority p. Barriers there act as plain
//   tasks: everybody shares these queues, so one caller must not be able to stall the rest.
// - createSerial(): one task at a time, FIFO, on the pool.
// - createConcurrent(): tasks run side by side; a barrier waits for the tasks before it, runs
//   alone, then lets later tasks go.
// sync() runs the task on the calling thread once the queue lets it (like a waiting customer
// served at the counter), so a caller never needs a second pool thread to make progress.
// sync() onto a serial queue, or barrierSync() onto a concurrent queue, from a task of that very
// queue is a programming error (asserted in debug builds; run inline in release builds).
//
// asyncAfter(): with a VirtualClock, or on main(), the delay is a Common-mode delayed call on
// RunLoop::main() that forwards the task to this queue when it fires, so under test it runs
// when RunLoop::main().advance() passes its time. With the real clock a background queue gets the
// task from DelayedTaskThread instead, independent of the main loop.
class DispatchQueue : public std::enable_shared_from_this<DispatchQueue> {
 public:
  static std::shared_ptr<DispatchQueue> main();
  static std::shared_ptr<DispatchQueue> global(QueuePriority priority = QueuePriority::Default);
  static std::shared_ptr<DispatchQueue> createSerial(std::string label);
  static std::shared_ptr<DispatchQueue> createConcurrent(std::string label);

  ~DispatchQueue();
  DispatchQueue(const DispatchQueue&) = delete;
  DispatchQueue& operator=(const DispatchQueue&) = delete;

  void async(std::function<void()> task);
  void sync(const std::function<void()>& task);
  void barrierAsync(std::function<void()> task);
  void barrierSync(const std::function<void()>& task);
  void asyncAfter(TimeInterval delay, std::function<void()> task);
  const std::string& label() const { return label_; }
  bool isCurrent() const;

 private:
  enum class Kind { Main, Global, Serial, Concurrent };
  struct Gate;  // where a sync() caller waits for its turn
  struct Item {
    std::function<void()> task;
    bool barrier = false;
    std::shared_ptr<Gate> gate;  // set for sync items: the caller runs the task itself
  };
  class CurrentScope;

  DispatchQueue(Kind kind, std::string label, QueuePriority priority);
  void enqueue(Item item);
  void takeRunnableLocked(std::vector<Item>* out);
  void launch(std::vector<Item> items);
  void runItem(Item& item);
  std::vector<Item> finishItem(bool barrier);  // what may start now that one has finished
  void itemFinished(bool barrier);
  void syncOnQueue(const std::function<void()>& task, bool barrier);
  void syncOnMain(const std::function<void()>& task);

  const Kind kind_;
  const std::string label_;
  const QueuePriority priority_;

  std::mutex mutex_;
  std::deque<Item> items_;
  std::size_t running_ = 0;
  bool barrierRunning_ = false;
};

void runOnMainSync(const std::function<void()>& fn);  // inline on the main thread
void runOnMainAsync(std::function<void()> fn);        // always posted

}  // namespace platform
