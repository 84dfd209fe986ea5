#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/dispatch/BlockOperation.h"
#include "platform/dispatch/OperationQueue.h"
#include "platform/dispatch/RunLoop.h"
#include "tests/platform/core_support.h"

namespace platform {
namespace {

using core_test::Waiter;

// Records the order operations ran in; thread-safe.
class Journal {
 public:
  std::shared_ptr<BlockOperation> op(std::string name) {
    auto operation =
        BlockOperation::create([this, name] { waiter.update([&] { entries.push_back(name); }); });
    operation->setName(name);
    return operation;
  }
  std::vector<std::string> read() {
    std::vector<std::string> copy;
    waiter.update([&] { copy = entries; });
    return copy;
  }
  Waiter waiter;
  std::vector<std::string> entries;
};

// Stays executing after start() until someone calls complete().
class AsyncOperation : public Operation {
 public:
  bool isAsynchronous() const override { return true; }
  void start() override {
    started = true;
    if (isCancelled()) return finish();
    setExecuting(true);
  }
  void complete() { finish(); }
  std::atomic<bool> started{false};
};

TEST(DispatchOperationQueue, NeverRunsMoreThanTheMaximumAtOnce) {
  auto queue = OperationQueue::create("test.width");
  queue->setMaxConcurrentOperationCount(3);
  Waiter waiter;
  int running = 0, peak = 0, started = 0;
  bool open = false;
  constexpr int kOperations = 12;
  for (int i = 0; i < kOperations; ++i) {
    queue->addOperation([&] {
      waiter.update([&] {
        ++started;
        peak = std::max(peak, ++running);
      });
      waiter.waitFor([&] { return open; });
      waiter.update([&] { --running; });
    });
  }
  // Three are held at the gate; the other nine cannot have a slot.
  EXPECT_TRUE(waiter.waitFor([&] { return running == 3; }));
  waiter.update([&] { EXPECT_EQ(started, 3); });
  EXPECT_EQ(queue->operationCount(), static_cast<std::size_t>(kOperations));
  waiter.update([&] { open = true; });
  ASSERT_TRUE(queue->waitUntilAllOperationsAreFinished(60));
  EXPECT_EQ(queue->operationCount(), 0u);
  waiter.update([&] {
    EXPECT_EQ(peak, 3);
    EXPECT_EQ(started, kOperations);
  });
}

TEST(DispatchOperationQueue, StartsByPriorityThenInOrderOfAddition) {
  auto queue = OperationQueue::create();
  queue->setMaxConcurrentOperationCount(1);
  queue->setSuspended(true);
  Journal journal;
  const std::vector<std::pair<std::string, QueuePriorityLevel>> added = {
      {"low", QueuePriorityLevel::Low},
      {"normal 1", QueuePriorityLevel::Normal},
      {"very high", QueuePriorityLevel::VeryHigh},
      {"normal 2", QueuePriorityLevel::Normal},
      {"high", QueuePriorityLevel::High},
      {"very low", QueuePriorityLevel::VeryLow}};
  for (const auto& [name, priority] : added) {
    auto operation = journal.op(name);
    operation->setQueuePriority(priority);
    queue->addOperation(operation);
  }
  queue->setSuspended(false);
  ASSERT_TRUE(queue->waitUntilAllOperationsAreFinished(20));
  EXPECT_EQ(journal.read(), (std::vector<std::string>{"very high", "high", "normal 1", "normal 2",
                                                      "low", "very low"}));
}

TEST(DispatchOperationQueue, DependenciesOrderWorkAcrossQueues) {
  auto first = OperationQueue::create("test.first");
  auto second = OperationQueue::create("test.second");
  second->setSuspended(true);
  Journal journal;
  auto fetch = journal.op("fetch");
  auto decode = journal.op("decode");
  auto show = journal.op("show");
  show->addDependency(decode);
  decode->addDependency(fetch);
  EXPECT_FALSE(show->isReady());
  first->addOperation(show);
  first->addOperation(decode);
  second->addOperation(fetch);  // held back: nothing downstream may start
  EXPECT_FALSE(show->isFinished());
  EXPECT_EQ(first->operationCount(), 2u);
  second->setSuspended(false);
  ASSERT_TRUE(show->waitUntilFinished(20));
  EXPECT_EQ(journal.read(), (std::vector<std::string>{"fetch", "decode", "show"}));

  // A cancelled dependency counts as finished.
  auto parked = OperationQueue::create();
  parked->setSuspended(true);
  auto skipped = journal.op("skipped");
  auto after = journal.op("after skipped");
  after->addDependency(skipped);
  parked->addOperation(skipped);
  first->addOperation(after);
  skipped->cancel();
  EXPECT_TRUE(skipped->isReady());
  parked->setSuspended(false);
  ASSERT_TRUE(after->waitUntilFinished(20));
  EXPECT_TRUE(skipped->isFinished());
  EXPECT_EQ(journal.read().back(), "after skipped");
}

TEST(DispatchOperationQueue, CancelledOperationsFinishWithoutRunning) {
  auto queue = OperationQueue::create();
  queue->setSuspended(true);
  Journal journal;
  auto never = std::make_shared<Operation>();  // a dependency that never finishes
  auto cancelled = journal.op("cancelled");
  cancelled->addDependency(never);
  std::atomic<int> completions{0};
  std::atomic<bool> finishedInCompletion{false};
  cancelled->setCompletionBlock([&] {
    finishedInCompletion = cancelled->isFinished();
    ++completions;
  });
  queue->addOperation(cancelled);
  std::vector<std::shared_ptr<Operation>> rest;
  for (int i = 0; i < 4; ++i) {
    rest.push_back(journal.op("rest " + std::to_string(i)));
    queue->addOperation(rest.back());
  }
  cancelled->cancel();
  queue->cancelAllOperations();
  EXPECT_EQ(queue->operations().size(), 5u);
  queue->setSuspended(false);
  ASSERT_TRUE(queue->waitUntilAllOperationsAreFinished(20));
  EXPECT_TRUE(journal.read().empty());
  EXPECT_EQ(completions.load(), 1);
  EXPECT_TRUE(finishedInCompletion);
  for (const auto& operation : rest) {
    EXPECT_TRUE(operation->isCancelled());
    EXPECT_TRUE(operation->isFinished());
  }
  cancelled->cancel();  // after finishing: no second completion, nothing breaks
  EXPECT_EQ(completions.load(), 1);
}

TEST(DispatchOperationQueue, MainQueueRunsOnTheLoopAndHonoursSuspension) {
  RunLoop& loop = RunLoop::main();
  auto queue = OperationQueue::mainQueue();
  Journal journal;
  std::atomic<bool> onMain{false};
  queue->setSuspended(true);
  queue->addOperation(journal.op("one"));
  queue->addOperation([&] { onMain = RunLoop::isMainThread(); });
  loop.runPending();
  EXPECT_TRUE(journal.read().empty());
  EXPECT_EQ(queue->operationCount(), 2u);
  queue->setSuspended(false);
  ASSERT_TRUE(queue->waitUntilAllOperationsAreFinished(20));  // runs the main loop meanwhile
  EXPECT_EQ(journal.read(), std::vector<std::string>{"one"});
  EXPECT_TRUE(onMain);
}

TEST(DispatchOperationQueue, AsynchronousOperationHoldsItsSlotUntilItFinishes) {
  RunLoop& loop = RunLoop::main();
  auto queue = OperationQueue::mainQueue();
  Journal journal;
  auto download = std::make_shared<AsyncOperation>();
  std::weak_ptr<Operation> watch = download;
  std::atomic<int> completions{0};
  download->setCompletionBlock([&] { ++completions; });
  queue->addOperation(download);
  queue->addOperation(journal.op("after download"));
  loop.runPending();
  EXPECT_TRUE(download->started);
  EXPECT_TRUE(download->isExecuting());
  EXPECT_TRUE(journal.read().empty());  // one slot on the main queue, still taken

  std::thread network([download] { download->complete(); });
  download.reset();
  ASSERT_TRUE(queue->waitUntilAllOperationsAreFinished(20));
  network.join();
  EXPECT_EQ(journal.read(), std::vector<std::string>{"after download"});
  EXPECT_EQ(completions.load(), 1);
  EXPECT_TRUE(watch.expired());  // the queue let go of it once it finished

  // Cancelled before starting, an asynchronous operation still gets start() to finish itself.
  auto background = OperationQueue::create();
  auto cancelled = std::make_shared<AsyncOperation>();
  cancelled->cancel();
  background->addOperation(cancelled);
  ASSERT_TRUE(cancelled->waitUntilFinished(20));
  EXPECT_TRUE(cancelled->started);
  EXPECT_FALSE(cancelled->isExecuting());
}

// Nobody but the queue holds the queue: it stays while its asynchronous operation runs, so the
// operation's finish still frees the slot and the next operation starts.
TEST(DispatchOperationQueue, AQueueLetGoOfOutlivesItsRunningOperation) {
  auto download = std::make_shared<AsyncOperation>();
  Journal journal;
  std::weak_ptr<OperationQueue> watch;
  {
    auto queue = OperationQueue::create();
    queue->setMaxConcurrentOperationCount(1);
    watch = queue;
    queue->addOperation(download);
    queue->addOperation(journal.op("next"));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return download->isExecuting(); }, 20));
  }
  EXPECT_FALSE(watch.expired());
  download->complete();
  ASSERT_TRUE(journal.waiter.waitFor([&] { return journal.entries.size() == 1; }));
  EXPECT_EQ(journal.read(), std::vector<std::string>{"next"});
  EXPECT_TRUE(RunLoop::main().runUntil([&] { return watch.expired(); }, 20));
}

// A caller whose own thread is awake runs the block there when the queue is idle, as the queue's
// operation; when anything added before it still waits, it queues behind that and never runs
// here, so the queue's order holds. The main queue never runs on a foreign thread.
TEST(DispatchOperationQueue, RunsHereOnlyWhenIdleAndInOrder) {
  auto queue = OperationQueue::create("test.here");
  queue->setMaxConcurrentOperationCount(1);
  const auto caller = std::this_thread::get_id();
  std::thread::id ranOn;
  bool current = false;
  EXPECT_TRUE(queue->addOperationRunningHereIfIdle([&] {
    ranOn = std::this_thread::get_id();
    current = queue->isCurrent();
  }));
  EXPECT_EQ(ranOn, caller);
  EXPECT_TRUE(current);
  EXPECT_EQ(queue->operationCount(), 0u);

  // Busy: an asynchronous operation holds the one slot and another waits behind it.
  Journal journal;
  auto download = std::make_shared<AsyncOperation>();
  queue->addOperation(download);
  ASSERT_TRUE(RunLoop::main().runUntil([&] { return download->isExecuting(); }, 20));
  queue->addOperation(journal.op("first"));
  EXPECT_FALSE(queue->addOperationRunningHereIfIdle(
      [&] { journal.waiter.update([&] { journal.entries.push_back("second"); }); }));
  EXPECT_TRUE(journal.read().empty());
  download->complete();
  ASSERT_TRUE(queue->waitUntilAllOperationsAreFinished(20));
  EXPECT_EQ(journal.read(), (std::vector<std::string>{"first", "second"}));

  // Suspended: queued, not run.
  queue->setSuspended(true);
  std::atomic<bool> ran{false};
  EXPECT_FALSE(queue->addOperationRunningHereIfIdle([&] { ran = true; }));
  EXPECT_FALSE(ran);
  queue->setSuspended(false);
  ASSERT_TRUE(queue->waitUntilAllOperationsAreFinished(20));
  EXPECT_TRUE(ran);

  std::atomic<bool> onMain{false};
  std::thread other([&] {
    EXPECT_FALSE(OperationQueue::mainQueue()->addOperationRunningHereIfIdle(
        [&] { onMain = RunLoop::isMainThread(); }));
  });
  other.join();
  ASSERT_TRUE(OperationQueue::mainQueue()->waitUntilAllOperationsAreFinished(20));
  EXPECT_TRUE(onMain);
}

// An asynchronous operation finishing inside a block run here frees its slot to the next one,
// which starts on this thread too (no hand-over), just as on a worker.
TEST(DispatchOperationQueue, ASlotFreedWhileRunningHereStartsTheNextHere) {
  auto delegateQueue = OperationQueue::create("test.delegate");
  delegateQueue->setMaxConcurrentOperationCount(1);
  auto downloads = OperationQueue::create("test.downloads");
  downloads->setMaxConcurrentOperationCount(1);
  auto first = std::make_shared<AsyncOperation>();
  auto second = std::make_shared<AsyncOperation>();
  downloads->addOperation(first);
  ASSERT_TRUE(RunLoop::main().runUntil([&] { return first->isExecuting(); }, 20));
  downloads->addOperation(second);
  std::thread outside([&] {
    EXPECT_TRUE(delegateQueue->addOperationRunningHereIfIdle([&] { first->complete(); }));
    // Started before the block returned, on this very thread.
    EXPECT_TRUE(second->started);
  });
  outside.join();
  second->complete();
  ASSERT_TRUE(downloads->waitUntilAllOperationsAreFinished(20));
}

// A serial queue's backlog runs on the thread that is already running it, one item after the
// other, each knowing its own queue (and only it) is current.
TEST(DispatchOperationQueue, ASerialBacklogRunsOnTheThreadAlreadyRunning) {
  auto queue = OperationQueue::create("drain");
  auto other = OperationQueue::create("other");
  queue->setMaxConcurrentOperationCount(1);
  Waiter waiter;
  bool open = false;
  std::vector<int> order;
  std::set<std::thread::id> threads;
  std::atomic<int> inside{0}, most{0}, wrongCurrent{0};
  for (int i = 0; i < 20; ++i) {
    queue->addOperation([&, i] {
      most = std::max(most.load(), ++inside);
      if (!queue->isCurrent() || other->isCurrent()) ++wrongCurrent;
      if (i == 0) waiter.waitFor([&] { return open; });
      waiter.update([&] { order.push_back(i), threads.insert(std::this_thread::get_id()); });
      --inside;
    });
  }
  waiter.update([&] { open = true; });  // every item is queued behind the first by now
  ASSERT_TRUE(queue->waitUntilAllOperationsAreFinished(30));
  std::vector<int> expected(20);
  for (int i = 0; i < 20; ++i) expected[i] = i;
  EXPECT_EQ(order, expected);
  EXPECT_EQ(threads.size(), 1u);
  EXPECT_EQ(most.load(), 1);
  EXPECT_EQ(wrongCurrent.load(), 0);
  EXPECT_FALSE(queue->isCurrent());
}

}  // namespace
}  // namespace platform
