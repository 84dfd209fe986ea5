#include <gtest/gtest.h>
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/ScopedVirtualClock.h"
#include "platform/dispatch/WorkerPool.h"
#include "tests/platform/core_support.h"

namespace platform {
namespace {

using core_test::Waiter;

// One task at a time, in order, each seeing its queue as current; the backlog queued behind a
// running task follows it on the same thread rather than waking another for each; sync() from
// elsewhere waits for all of it.
TEST(DispatchQueue, SerialQueueRunsItsBacklogInOrderOnOneThread) {
  auto queue = DispatchQueue::createSerial("test.serial");
  Waiter gate;
  bool open = false;
  std::atomic<int> inside{0}, overlaps{0}, notCurrent{0};
  std::vector<int> order;  // only touched by the queue's tasks
  std::set<std::thread::id> threads;
  constexpr int kTasks = 300;
  for (int i = 0; i < kTasks; ++i) {
    queue->async([&, i] {
      if (inside.fetch_add(1) != 0) ++overlaps;
      if (i == 0) gate.waitFor([&] { return open; });
      if (!queue->isCurrent()) ++notCurrent;
      order.push_back(i);
      threads.insert(std::this_thread::get_id());
      inside.fetch_sub(1);
    });
  }
  gate.update([&] { open = true; });  // every task is queued behind the first by now
  std::size_t seen = 0;
  queue->sync([&] {
    EXPECT_TRUE(queue->isCurrent());
    seen = order.size();
  });
  EXPECT_EQ(seen, static_cast<std::size_t>(kTasks));
  EXPECT_EQ(overlaps.load(), 0);
  EXPECT_EQ(notCurrent.load(), 0);
  for (int i = 0; i < kTasks; ++i) ASSERT_EQ(order[static_cast<std::size_t>(i)], i);
  EXPECT_EQ(threads.size(), 1u);
  EXPECT_FALSE(queue->isCurrent());
}

TEST(DispatchQueue, BarrierWaitsForEarlierTasksAndRunsAlone) {
  auto queue = DispatchQueue::createConcurrent("test.concurrent");
  Waiter waiter;
  int readersInside = 0, readersDone = 0, readersDuringBarrier = 0;
  bool secondReaderStarted = false, sawReaderOverlap = false, barrierRunning = false;
  int readersBeforeBarrier = -1, readersInsideAtBarrier = -1, readersAfterBarrierSync = 0;
  auto reader = [&](bool waitForPartner) {
    waiter.update([&] {
      ++readersInside;
      if (barrierRunning) ++readersDuringBarrier;
      secondReaderStarted = secondReaderStarted || !waitForPartner;
    });
    // The first reader stays until the second arrives: both must be running at once.
    if (waitForPartner) {
      const bool met = waiter.waitFor([&] { return secondReaderStarted; });
      waiter.update([&] { sawReaderOverlap = met; });
    }
    waiter.update([&] { --readersInside, ++readersDone; });
  };
  queue->async([&] { reader(true); });
  queue->async([&] { reader(false); });
  queue->barrierAsync([&] {
    waiter.update([&] {
      barrierRunning = true;
      readersBeforeBarrier = readersDone;
      readersInsideAtBarrier = readersInside;
    });
    waiter.update([&] { barrierRunning = false; });
  });
  for (int i = 0; i < 8; ++i) queue->async([&] { reader(false); });
  queue->barrierSync([&] { waiter.update([&] { readersAfterBarrierSync = readersDone; }); });
  EXPECT_TRUE(sawReaderOverlap);
  EXPECT_EQ(readersBeforeBarrier, 2);
  EXPECT_EQ(readersInsideAtBarrier, 0);
  EXPECT_EQ(readersDuringBarrier, 0);
  EXPECT_EQ(readersAfterBarrierSync, 10);
}

// More global tasks than the pool's bounded width, each waiting on a serial queue: the serial
// queue must still get a thread, whether the tasks sync onto it or wait for its async work.
TEST(DispatchQueue, ASerialQueueGetsAThreadWhileConcurrentWorkWaits) {
  auto serial = DispatchQueue::createSerial("test.shared-resource");
  Waiter waiter;
  int finished = 0, total = 0;
  constexpr int kTasks = 48;
  for (int i = 0; i < kTasks; ++i) {
    DispatchQueue::global()->async([&, i] {
      serial->sync([&] { total += i; });
      waiter.update([&] { ++finished; });
    });
  }
  ASSERT_TRUE(waiter.waitFor([&] { return finished == kTasks; }));
  serial->sync([&] { EXPECT_EQ(total, kTasks * (kTasks - 1) / 2); });

  bool released = false;
  int sawRelease = 0, done = 0;
  const int waiting = 2 * static_cast<int>(std::thread::hardware_concurrency()) + 8;
  for (int i = 0; i < waiting; ++i) {
    DispatchQueue::global(QueuePriority::Low)->async([&] {
      const bool ok = waiter.waitFor([&] { return released; });
      waiter.update([&] { sawRelease += ok ? 1 : 0, ++done; });
    });
  }
  serial->async([&] { waiter.update([&] { released = true; }); });
  ASSERT_TRUE(waiter.waitFor([&] { return done == waiting; }, 60));
  waiter.update([&] { EXPECT_EQ(sawRelease, waiting); });
}

TEST(DispatchQueue, SyncThatNeedNotWaitKeepsTheWidthOfConcurrentWork) {
  // Concurrent work runs on as many threads as the machine has cores. A task that syncs onto an
  // idle queue of its own never waits, so it must not hand its share to a queued task: that would
  // put more decodes on the cores than there are cores.
  const int width = std::max(4, static_cast<int>(std::thread::hardware_concurrency()));
  const int tasks = 4 * width;
  std::vector<std::shared_ptr<DispatchQueue>> own;
  for (int i = 0; i < tasks; ++i) own.push_back(DispatchQueue::createSerial("test.own"));
  Waiter waiter;
  std::atomic<int> running{0}, most{0};
  int finished = 0;
  for (int i = 0; i < tasks; ++i) {
    DispatchQueue::global()->async([&, i] {
      const int now = running.fetch_add(1) + 1;
      int seen = most.load();
      while (now > seen && !most.compare_exchange_weak(seen, now)) {
      }
      volatile unsigned sink = 0;
      for (int round = 0; round < 200; ++round) {
        own[i]->sync([&] { sink = sink + 1; });
        for (int spin = 0; spin < 2000; ++spin) sink = sink + spin;
      }
      running.fetch_sub(1);
      waiter.update([&] { ++finished; });
    });
  }
  ASSERT_TRUE(waiter.waitFor([&] { return finished == tasks; }, 60));
  EXPECT_LE(most.load(), width);
}

TEST(DispatchQueue, AsyncAfterOnTheVirtualClockFiresWhenTheMainLoopAdvances) {
  RunLoop& loop = RunLoop::main();
  auto clock = std::make_unique<ScopedVirtualClock>();
  auto queue = DispatchQueue::createSerial("test.delayed");
  std::vector<int> order;
  bool mainRan = false;
  queue->asyncAfter(2.0, [&] { order.push_back(2); });
  queue->asyncAfter(1.0, [&] { order.push_back(1); });
  DispatchQueue::main()->asyncAfter(1.5, [&] { mainRan = RunLoop::isMainThread(); });
  loop.setCurrentMode(RunLoopMode::Tracking);  // delayed dispatch work is not held back by a drag
  loop.advance(0.99);
  queue->sync([] {});
  EXPECT_TRUE(order.empty());
  // The delayed call fires inside advance() and hands the task to the queue before it returns,
  // so a sync() right after it finds the task already queued ahead of it.
  loop.advance(0.01);
  queue->sync([] {});
  EXPECT_EQ(order, std::vector<int>{1});
  EXPECT_FALSE(mainRan);
  loop.advance(0.5);
  EXPECT_TRUE(mainRan);
  loop.advance(0.5);
  queue->sync([] {});
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
  core_test::resetMainLoop();

  clock.reset();  // on the real clock no main loop is needed
  auto high = DispatchQueue::global(QueuePriority::High);
  Waiter waiter;
  bool ran = false, onQueue = false;
  high->asyncAfter(0.001, [&] {
    const bool current = high->isCurrent();
    waiter.update([&] { ran = true, onQueue = current; });
  });
  ASSERT_TRUE(waiter.waitFor([&] { return ran; }));
  waiter.update([&] { EXPECT_TRUE(onQueue); });
}

#ifndef NDEBUG
// A process held to fewer cores (taskset, a cpuset) must not size its pool by the machine.
TEST(DispatchQueue, TheCoreCountIsTheCoresTheThreadMayRunOn) {
  cpu_set_t all;
  ASSERT_EQ(sched_getaffinity(0, sizeof(all), &all), 0);
  EXPECT_EQ(WorkerPool::coreCount(), static_cast<std::size_t>(CPU_COUNT(&all)));
  int first = 0;
  while (!CPU_ISSET(first, &all)) ++first;
  std::size_t pinned = 0;
  std::thread([&] {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(first, &one);
    if (sched_setaffinity(0, sizeof(one), &one) == 0) pinned = WorkerPool::coreCount();
  }).join();
  EXPECT_EQ(pinned, 1u);
}

TEST(DispatchQueueDeathTest, SyncOntoTheQueueItIsAlreadyOnIsCaught) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto serial = DispatchQueue::createSerial("test.reentrant");
  EXPECT_DEATH(serial->sync([&] { serial->sync([] {}); }), "deadlocks");
  auto concurrent = DispatchQueue::createConcurrent("test.reentrant-barrier");
  EXPECT_DEATH(concurrent->sync([&] { concurrent->barrierSync([] {}); }), "deadlocks");
  bool nested = false;  // a plain sync() inside a concurrent queue is allowed
  concurrent->sync([&] { concurrent->sync([&] { nested = concurrent->isCurrent(); }); });
  EXPECT_TRUE(nested);
}
#endif

}  // namespace
}  // namespace platform
