#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/ScopedVirtualClock.h"
#include "platform/foundation/Clock.h"
#include "tests/platform/core_support.h"

namespace platform {
namespace {

class DispatchRunLoop : public ::testing::Test {
 protected:
  ~DispatchRunLoop() override { core_test::resetMainLoop(); }

  RunLoop& loop = RunLoop::main();
  ScopedVirtualClock clock;
  const TimeInterval start = clock.now();
};

TEST_F(DispatchRunLoop, OneShotTimerFiresOnceAtItsDateThenLetsGo) {
  const std::size_t timersBefore = loop.timerCount();
  auto sentinel = std::make_shared<int>(0);
  std::weak_ptr<int> watch = sentinel;
  std::vector<TimeInterval> fired;
  auto timer = loop.scheduleTimer(
      1.0, false, [&fired, sentinel](Timer&) { fired.push_back(Clock::current().now()); });
  sentinel.reset();
  EXPECT_EQ(loop.timerCount(), timersBefore + 1);
  EXPECT_DOUBLE_EQ(timer->fireDate(), start + 1.0);

  loop.advance(0.5);
  EXPECT_TRUE(fired.empty());
  loop.advance(0.75);
  ASSERT_EQ(fired.size(), 1u);
  EXPECT_DOUBLE_EQ(fired[0], start + 1.0);  // fired with the clock at its own date
  EXPECT_DOUBLE_EQ(clock.now(), start + 1.25);
  EXPECT_FALSE(timer->isValid());
  EXPECT_TRUE(watch.expired());  // the callback and what it captured are gone
  EXPECT_EQ(loop.timerCount(), timersBefore);
  loop.advance(5);
  EXPECT_EQ(fired.size(), 1u);
}

TEST_F(DispatchRunLoop, RepeatingTimerFiresOncePerIntervalAndSkipsWhatItMissed) {
  std::vector<TimeInterval> fired;
  auto timer = loop.scheduleTimer(0.25, true, [&](Timer&) { fired.push_back(clock.now()); });
  loop.advance(1.0);
  ASSERT_EQ(fired.size(), 4u);
  for (std::size_t i = 0; i < fired.size(); ++i) {
    EXPECT_NEAR(fired[i], start + 0.25 * static_cast<double>(i + 1), 1e-6);
  }
  loop.advance(0.1);
  EXPECT_EQ(fired.size(), 4u);

  // Time jumps past three intervals without the loop: one late fire, then back on the grid.
  clock.clock().advance(0.8);  // now start + 1.9
  loop.runPending();
  EXPECT_EQ(fired.size(), 5u);
  EXPECT_NEAR(timer->fireDate(), start + 2.0, 1e-6);
  loop.advance(0.1);
  EXPECT_EQ(fired.size(), 6u);

  timer->invalidate();
  loop.advance(1.0);
  EXPECT_EQ(fired.size(), 6u);
}

TEST_F(DispatchRunLoop, TimerCanInvalidateItselfAndManualFireKeepsTheSchedule) {
  int count = 0;
  auto timer = loop.scheduleTimer(1.0, true, [&](Timer& self) {
    if (++count == 3) self.invalidate();
  });
  timer->fire();  // manual: runs now, does not move the schedule
  EXPECT_EQ(count, 1);
  EXPECT_DOUBLE_EQ(timer->fireDate(), start + 1.0);
  loop.advance(10);
  EXPECT_EQ(count, 3);
  EXPECT_FALSE(timer->isValid());

  auto moved = loop.scheduleTimer(1.0, false, [&](Timer&) { count = 100; });
  moved->setFireDate(start + 20);
  loop.advance(9.5);  // start + 19.5
  EXPECT_EQ(count, 3);
  loop.advance(0.5);
  EXPECT_EQ(count, 100);
}

TEST_F(DispatchRunLoop, ModesHoldBackTimersThatDoNotBelong) {
  int defaultFires = 0, commonFires = 0;
  auto onlyDefault = loop.scheduleTimer(0.1, true, [&](Timer&) { ++defaultFires; });
  auto common =
      loop.scheduleTimer(0.1, true, [&](Timer&) { ++commonFires; }, {RunLoopMode::Common});
  int trackingCalls = 0;
  loop.performAfter(
      0.05, [&] { ++trackingCalls; }, RunLoopMode::Tracking);

  loop.advance(0.2);
  EXPECT_EQ(defaultFires, 2);
  EXPECT_EQ(commonFires, 2);
  EXPECT_EQ(trackingCalls, 0);

  loop.setCurrentMode(RunLoopMode::Tracking);  // the user starts dragging
  loop.advance(0.5);
  EXPECT_EQ(defaultFires, 2);
  EXPECT_EQ(commonFires, 7);
  EXPECT_EQ(trackingCalls, 1);

  // Back in Default the held-back timer fires once for the missed stretch, then on its grid.
  loop.setCurrentMode(RunLoopMode::Default);
  loop.advance(0.3);
  EXPECT_EQ(defaultFires, 2 + 1 + 3);
  EXPECT_EQ(commonFires, 10);
  onlyDefault->invalidate();
  common->invalidate();
}

TEST_F(DispatchRunLoop, DelayedCallsCanBeCancelled) {
  std::vector<std::string> calls;
  const auto first = loop.performAfter(1.0, [&] { calls.push_back("first"); });
  const auto second = loop.performAfter(2.0, [&] { calls.push_back("second"); });
  const std::size_t timers = loop.timerCount();
  loop.cancelPerform(second);
  EXPECT_EQ(loop.timerCount(), timers - 1);
  loop.advance(3.0);
  EXPECT_EQ(calls, std::vector<std::string>{"first"});
  loop.cancelPerform(first);   // already fired: nothing happens
  loop.cancelPerform(999999);  // never existed
  const auto third = loop.performAfter(0.5, [&] { calls.push_back("third"); });
  loop.advance(0.25);
  loop.cancelPerform(third);
  loop.advance(1.0);
  EXPECT_EQ(calls, std::vector<std::string>{"first"});

  // What a fixture does between tests: nothing left over fires later.
  loop.performAfter(1.0, [&] { calls.push_back("left over"); });
  auto repeating = loop.scheduleTimer(0.5, true, [&](Timer&) { calls.push_back("repeating"); });
  loop.invalidateAllTimers();
  EXPECT_EQ(loop.timerCount(), 0u);
  EXPECT_FALSE(repeating->isValid());
  loop.advance(5.0);
  EXPECT_EQ(calls, std::vector<std::string>{"first"});
}

TEST_F(DispatchRunLoop, AdvanceFiresInDateOrderWithPostsInBetween) {
  std::vector<std::pair<std::string, TimeInterval>> log;
  auto note = [&](const char* what) { log.emplace_back(what, clock.now() - start); };
  loop.performAfter(2.0, [&] { note("late"); });
  loop.performAfter(1.0, [&] {
    note("a");
    loop.post([&] { note("posted by a"); });
    loop.performAfter(0.5, [&] { note("added by a"); });
    loop.performAfter(1.0, [&] { note("added by a, same date as late"); });
  });
  loop.performAfter(1.0, [&] { note("b"); });  // same date as a, scheduled after it
  loop.post([&] { note("posted first"); });

  loop.advance(2.5);
  const std::vector<std::pair<std::string, TimeInterval>> expected = {
      {"posted first", 0.0},
      {"a", 1.0},
      {"posted by a", 1.0},
      {"b", 1.0},
      {"added by a", 1.5},
      {"late", 2.0},
      {"added by a, same date as late", 2.0}};
  ASSERT_EQ(log.size(), expected.size());
  for (std::size_t i = 0; i < log.size(); ++i) {
    EXPECT_EQ(log[i].first, expected[i].first);
    EXPECT_NEAR(log[i].second, expected[i].second, 1e-6) << log[i].first;
  }
  EXPECT_NEAR(clock.now(), start + 2.5, 1e-9);
}

TEST_F(DispatchRunLoop, RunUntilWakesForPostsFromOtherThreads) {
  std::atomic<bool> ranOnMain{false};
  bool done = false;
  std::thread poster([&] {
    loop.post([&] {
      ranOnMain = RunLoop::isMainThread();
      done = true;
    });
  });
  EXPECT_TRUE(loop.runUntil([&] { return done; }, 20));
  poster.join();
  EXPECT_TRUE(ranOnMain);

  // With no bound left it still runs what is already posted, then reports the predicate.
  int ran = 0;
  loop.post([&] { ++ran; });
  EXPECT_FALSE(loop.runUntil([] { return false; }, 0));
  EXPECT_EQ(ran, 1);
  EXPECT_EQ(loop.pendingTaskCount(), 0u);
}

// Timers read a clock that never goes back; dates compared with the outside world stay the
// wall clock's, or the virtual time under test. runUntil() sleeps until the next timer.
TEST(DispatchRunLoopRealClock, TimeNeverGoesBackAndTheLoopWakesForTimers) {
  bool fired = false;
  RunLoop::main().scheduleTimer(0.002, false, [&](Timer&) { fired = true; });
  EXPECT_TRUE(RunLoop::main().runUntil([&] { return fired; }, 20));
  RealClock clock;
  TimeInterval last = clock.now();
  for (int i = 0; i < 10000; ++i) {
    const TimeInterval now = clock.now();
    ASSERT_GE(now, last);
    last = now;
  }
  const TimeInterval wall =
      std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
  EXPECT_NEAR(dateNow(), wall, 1.0);
  EXPECT_NEAR(clock.now(), wall, 60.0);  // anchored to the wall clock when the process started
  ScopedVirtualClock virtualClock{1'000.0};
  EXPECT_EQ(dateNow(), 1'000.0);
}

TEST_F(DispatchRunLoop, MainQueueSyncRunsInlineOnMainAndWaitsElsewhere) {
  bool ran = false;
  DispatchQueue::main()->sync([&] { ran = true; });
  EXPECT_TRUE(ran);  // nobody drove the loop
  ran = false;
  runOnMainSync([&] { ran = true; });
  EXPECT_TRUE(ran);
  EXPECT_TRUE(DispatchQueue::main()->isCurrent());

  bool posted = false;
  runOnMainAsync([&] { posted = true; });
  EXPECT_FALSE(posted);
  loop.runPending();
  EXPECT_TRUE(posted);

  std::atomic<bool> onMain{false};
  std::atomic<bool> returned{false};
  std::thread worker([&] {
    EXPECT_FALSE(DispatchQueue::main()->isCurrent());
    runOnMainSync([&] { onMain = RunLoop::isMainThread(); });
    returned = true;
    loop.post([] {});  // wake the loop to see `returned`
  });
  EXPECT_TRUE(loop.runUntil([&] { return returned.load(); }, 20));
  worker.join();
  EXPECT_TRUE(onMain);
}

}  // namespace
}  // namespace platform
