#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/OperationQueue.h"

namespace {

using platform::OperationQueue;

// A serial queue's backlog runs on the thread that is already running it, one item after the
// other, instead of waking another thread for each; the order and the one-at-a-time rule stand.
TEST(OperationQueueDrainTest, ASerialBacklogRunsOnTheThreadAlreadyRunning) {
  auto queue = OperationQueue::create("drain");
  queue->setMaxConcurrentOperationCount(1);
  std::mutex mutex;
  std::condition_variable opened;
  bool open = false;
  std::vector<int> order;
  std::set<std::thread::id> threads;
  std::atomic<int> inside{0}, most{0};
  auto record = [&](int index) {
    most = std::max(most.load(), ++inside);
    std::unique_lock lock(mutex);
    if (index == 0) opened.wait(lock, [&] { return open; });
    order.push_back(index);
    threads.insert(std::this_thread::get_id());
    --inside;
  };
  for (int i = 0; i < 20; ++i) queue->addOperation([&, i] { record(i); });
  {
    std::lock_guard lock(mutex);
    open = true;  // every item is queued behind the first by now
  }
  opened.notify_all();
  ASSERT_TRUE(queue->waitUntilAllOperationsAreFinished(30));
  std::vector<int> expected(20);
  for (int i = 0; i < 20; ++i) expected[i] = i;
  EXPECT_EQ(order, expected);
  EXPECT_EQ(threads.size(), 1u);
  EXPECT_EQ(most.load(), 1);

  // A concurrent queue still spreads its work: a backlog never waits behind one slow item.
  auto wide = OperationQueue::create("wide");
  wide->setMaxConcurrentOperationCount(2);
  bool released = false;
  wide->addOperation([&] {
    std::unique_lock lock(mutex);
    opened.wait_for(lock, std::chrono::seconds(30), [&] { return released; });
  });
  wide->addOperation([] {});
  std::atomic<bool> quickRan{false};
  wide->addOperation([&] {
    quickRan = true;
    std::lock_guard lock(mutex);
    released = true;
    opened.notify_all();
  });
  ASSERT_TRUE(wide->waitUntilAllOperationsAreFinished(60));
  EXPECT_TRUE(quickRan);
}

// The same for a serial dispatch queue: blocks queued behind a running one follow it on its
// thread, and a sync() queued behind them still waits for all of them.
TEST(DispatchQueueDrainTest, ASerialBacklogRunsOnTheThreadAlreadyRunning) {
  auto queue = platform::DispatchQueue::createSerial("drain");
  std::mutex mutex;
  std::condition_variable opened;
  bool open = false;
  std::vector<int> order;
  std::set<std::thread::id> threads;
  for (int i = 0; i < 20; ++i) {
    queue->async([&, i] {
      std::unique_lock lock(mutex);
      if (i == 0) opened.wait(lock, [&] { return open; });
      order.push_back(i);
      threads.insert(std::this_thread::get_id());
    });
  }
  std::thread waiter([&] {
    queue->sync([&] {
      std::lock_guard lock(mutex);
      order.push_back(20);
    });
  });
  {
    std::lock_guard lock(mutex);
    open = true;
  }
  opened.notify_all();
  waiter.join();
  std::vector<int> expected(21);
  for (int i = 0; i < 21; ++i) expected[i] = i;
  EXPECT_EQ(order, expected);
  EXPECT_EQ(threads.size(), 1u);
}

TEST(OperationQueueDrainTest, KnowsWhetherItsOperationIsRunningOnThisThread) {
  auto queue = OperationQueue::create("current");
  auto other = OperationQueue::create("other");
  std::atomic<bool> inside{false}, otherInside{true};
  queue->addOperation([&] {
    inside = queue->isCurrent();
    otherInside = other->isCurrent();
  });
  ASSERT_TRUE(queue->waitUntilAllOperationsAreFinished(30));
  EXPECT_TRUE(inside);
  EXPECT_FALSE(otherInside);
  EXPECT_FALSE(queue->isCurrent());
}

}  // namespace
