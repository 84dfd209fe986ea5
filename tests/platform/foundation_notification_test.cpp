#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/NotificationCenter.h"

using platform::Notification;
using platform::NotificationCenter;
using platform::ObserverToken;

TEST(NotificationCenterTest, FiltersByNameAndObjectInRegistrationOrder) {
  NotificationCenter center;
  auto sender = std::make_shared<int>(1);
  auto other = std::make_shared<int>(2);
  std::vector<std::string> calls;
  auto byName =
      center.addObserver("N", nullptr, [&](const Notification&) { calls.push_back("name"); });
  auto any = center.addObserver("", nullptr,
                                [&](const Notification& n) { calls.push_back("any:" + n.name); });
  auto byObject = center.addObserver("N", sender.get(), [&](const Notification& n) {
    calls.push_back("object:" + std::to_string(std::any_cast<int>(n.userInfo.at("k"))));
  });

  center.post("N", sender, {{"k", 5}});
  EXPECT_EQ(calls, (std::vector<std::string>{"name", "any:N", "object:5"}));
  calls.clear();
  center.post("N", other, {{"k", 6}});
  EXPECT_EQ(calls, (std::vector<std::string>{"name", "any:N"}));
  calls.clear();
  center.post("M");
  EXPECT_EQ(calls, (std::vector<std::string>{"any:M"}));
}

TEST(NotificationCenterTest, TokensRemoveOnDestructionAndMoveOwnership) {
  NotificationCenter center;
  int calls = 0;
  {
    ObserverToken token = center.addObserver("N", nullptr, [&](const Notification&) { ++calls; });
    EXPECT_TRUE(token.isActive());
    ObserverToken moved = std::move(token);
    // A moved-from token owns nothing.
    // NOLINTNEXTLINE(bugprone-use-after-move,clang-analyzer-cplusplus.Move)
    EXPECT_FALSE(token.isActive());
    token.reset();
    center.post("N");
    EXPECT_EQ(calls, 1);
  }
  center.post("N");
  EXPECT_EQ(calls, 1);

  ObserverToken assigned =
      center.addObserver("N", nullptr, [&](const Notification&) { calls += 10; });
  assigned = center.addObserver("N", nullptr, [&](const Notification&) { calls += 100; });
  center.post("N");
  EXPECT_EQ(calls, 101);  // assigning over a token removes its old observation

  ObserverToken outlives;
  {
    NotificationCenter shortLived;
    outlives = shortLived.addObserver("N", nullptr, [](const Notification&) {});
  }
  outlives.reset();  // the center is gone; nothing to do and nothing to crash on
}

TEST(NotificationCenterTest, HandlersMayChangeObserversDuringAPost) {
  NotificationCenter center;
  std::vector<std::string> calls;
  ObserverToken second;
  ObserverToken added;
  ObserverToken self;
  auto first = center.addObserver("N", nullptr, [&](const Notification&) {
    calls.push_back("first");
    second.reset();  // registered later, not yet called: must be skipped
    if (!added.isActive()) {
      added =
          center.addObserver("N", nullptr, [&](const Notification&) { calls.push_back("added"); });
    }
  });
  second =
      center.addObserver("N", nullptr, [&](const Notification&) { calls.push_back("second"); });
  self = center.addObserver("N", nullptr, [&](const Notification&) {
    calls.push_back("self");
    self.reset();  // removing oneself from inside the call must not deadlock
    center.post("Nested");
  });
  auto nested = center.addObserver("Nested", nullptr,
                                   [&](const Notification&) { calls.push_back("nested"); });

  center.post("N");
  EXPECT_EQ(calls, (std::vector<std::string>{"first", "self", "nested"}));
  calls.clear();
  center.post("N");
  EXPECT_EQ(calls, (std::vector<std::string>{"first", "added"}));
}

TEST(NotificationCenterTest, OwnerRegistrationsAreRemovedTogether) {
  NotificationCenter center;
  int ownerA = 0;
  int ownerB = 0;
  int calls = 0;
  center.addObserver(&ownerA, "N", nullptr, [&](const Notification&) { calls += 1; });
  center.addObserver(&ownerA, "M", nullptr, [&](const Notification&) { calls += 10; });
  center.addObserver(&ownerB, "N", nullptr, [&](const Notification&) { calls += 100; });
  center.post("N");
  center.post("M");
  EXPECT_EQ(calls, 111);
  center.removeObserver(&ownerA);
  center.removeObserver(&ownerA);  // twice is harmless
  calls = 0;
  center.post("N");
  center.post("M");
  EXPECT_EQ(calls, 100);
}

// A removal made on another thread while a post is under way stops the rest of that post.
TEST(NotificationCenterTest, RemovalFromAnotherThreadSkipsThePendingCall) {
  NotificationCenter center;
  std::vector<std::string> calls;
  ObserverToken later;
  auto first = center.addObserver("N", nullptr, [&](const Notification&) {
    calls.push_back("first");
    std::thread([&] { later.reset(); }).join();
  });
  later = center.addObserver("N", nullptr, [&](const Notification&) { calls.push_back("later"); });
  std::thread([&] { center.post("N"); }).join();
  EXPECT_EQ(calls, (std::vector<std::string>{"first"}));
}

// Removal on one thread while others post: once reset() returns, no call is in progress and none
// starts afterwards.
TEST(NotificationCenterTest, RemovalWaitsForCallsInProgressOnOtherThreads) {
  NotificationCenter center;
  std::atomic<bool> stop{false};
  std::atomic<int> inside{0};
  std::atomic<int> lateCalls{0};
  std::atomic<bool> removed{false};
  std::mutex mutex;
  std::condition_variable called;
  int round = 0;
  int roundCalled = -1;
  struct Posters {
    std::atomic<bool>& stop;
    std::vector<std::thread> threads;
    ~Posters() {
      stop = true;
      for (auto& thread : threads) thread.join();
    }
  } posters{stop, {}};
  for (int i = 0; i < 3; ++i) {
    posters.threads.emplace_back([&] {
      while (!stop) center.post("N");
    });
  }
  for (round = 0; round < 20; ++round) {
    removed = false;
    const int thisRound = round;
    ObserverToken token = center.addObserver("N", nullptr, [&, thisRound](const Notification&) {
      ++inside;
      if (removed) ++lateCalls;
      volatile int work = 0;
      for (int i = 0; i < 2000; ++i) work = work + i;
      {
        std::lock_guard lock(mutex);
        roundCalled = thisRound;
      }
      called.notify_all();
      --inside;
    });
    {
      std::unique_lock lock(mutex);
      ASSERT_TRUE(called.wait_for(lock, std::chrono::seconds(30),
                                  [&] { return roundCalled == thisRound; }));
    }
    token.reset();
    removed = true;
    EXPECT_EQ(inside, 0) << "round " << round;
  }
  EXPECT_EQ(lateCalls, 0);
}
