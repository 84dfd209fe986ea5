// Observer lists, the notification center, the application's events and the cache: callbacks and
// shared state that must survive changes made from inside a call or from other threads.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/Cache.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/ObserverList.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/Application.h"

namespace platform {
namespace {

using Calls = std::vector<std::string>;

TEST(ObserverListTest, OldAndNewValuesInSubscriptionOrderUntilTheTokenGoes) {
  ObserverList<Point, Point> offset;
  Calls calls;
  auto first = offset.subscribe([&](Point old, Point now) {
    calls.push_back("a " + std::to_string(int(old.y)) + ">" + std::to_string(int(now.y)));
  });
  std::optional<Subscription> second = offset.subscribe(
      [&](Point, Point now) { calls.push_back("b " + std::to_string(int(now.y))); });
  offset.notify(Point{0, 0}, Point{0, 40});
  EXPECT_EQ(calls, (Calls{"a 0>40", "b 40"}));
  second.reset();
  Subscription moved = std::move(first);
  EXPECT_FALSE(first.isActive());  // NOLINT(bugprone-use-after-move): moved-from is empty
  calls.clear();
  offset.notify(Point{0, 40}, Point{0, 10});
  EXPECT_EQ(calls, (Calls{"a 40>10"}));
  moved = Subscription();  // assigning over a live token unsubscribes it
  EXPECT_TRUE(offset.empty());

  ObserverList<std::vector<int>&> shared;  // observers may share a mutable argument
  auto a = shared.subscribe([](std::vector<int>& v) { v.push_back(1); });
  auto b = shared.subscribe([](std::vector<int>& v) { v.push_back(2); });
  std::vector<int> seen;
  shared.notify(seen);
  EXPECT_EQ(seen, (std::vector<int>{1, 2}));
}

TEST(ObserverListTest, ChangesDuringANotificationTakeEffectSafely) {
  ObserverList<int> list;
  Calls calls;
  Subscription self, victim, late;
  int depth = 0, maxDepth = 0;
  self = list.subscribe([&](int v) {
    calls.push_back("self " + std::to_string(v));
    self.reset();  // drops its own function while it runs
    victim.reset();
    late = list.subscribe([&](int w) { calls.push_back("late " + std::to_string(w)); });
  });
  victim = list.subscribe([&](int) { calls.push_back("victim"); });
  auto nested = list.subscribe([&](int v) {
    maxDepth = std::max(maxDepth, ++depth);
    if (v == 1) list.notify(2);
    --depth;
    calls.push_back("nested " + std::to_string(v));
  });
  list.notify(1);
  // The late subscriber joins from the nested notification on, not the one it was added in.
  EXPECT_EQ(calls, (Calls{"self 1", "nested 2", "late 2", "nested 1"}));
  EXPECT_EQ(maxDepth, 2);
  EXPECT_EQ(list.size(), 2u);
  calls.clear();
  list.notify(3);
  EXPECT_EQ(calls, (Calls{"nested 3", "late 3"}));

  // An observer whose destructor unsubscribes another, destroyed from inside the list's erase.
  struct Releaser {
    Subscription* target = nullptr;
    ~Releaser() {
      if (target) target->reset();
    }
  };
  ObserverList<int> other;
  int otherCalls = 0;
  Subscription released = other.subscribe([&](int) { ++otherCalls; });
  auto releaser = std::make_shared<Releaser>();
  releaser->target = &released;
  Subscription holder = other.subscribe([releaser](int) {});
  releaser.reset();
  holder.reset();
  other.notify(1);
  EXPECT_EQ(otherCalls, 0);
  EXPECT_TRUE(other.empty());
}

TEST(ObserverListTest, EitherSideMayDieFirst) {
  Subscription outlives;
  {
    ObserverList<> list;
    outlives = list.subscribe([] {});
  }
  EXPECT_FALSE(outlives.isActive());
  outlives.reset();  // harmless with the list gone
  // The list's owner is destroyed by one of its observers mid-notification.
  auto owner = std::make_unique<ObserverList<>>();
  int after = 0;
  auto tracked = std::make_shared<int>(0);
  std::weak_ptr<int> watch = tracked;
  auto killer = owner->subscribe([&] { owner.reset(); });
  auto skipped = owner->subscribe([&, tracked] { ++after; });
  tracked.reset();
  owner->notify();
  EXPECT_EQ(after, 0);
  EXPECT_FALSE(skipped.isActive());
  EXPECT_TRUE(watch.expired());  // the observers went with the list once the call unwound
}

TEST(NotificationCenterTest, FiltersByNameObjectAndOwner) {
  NotificationCenter center;
  auto sender = std::make_shared<int>(1);
  Calls calls;
  auto byName =
      center.addObserver("N", nullptr, [&](const Notification&) { calls.push_back("name"); });
  auto any = center.addObserver("", nullptr,
                                [&](const Notification& n) { calls.push_back("any:" + n.name); });
  auto byObject = center.addObserver("N", sender.get(), [&](const Notification& n) {
    calls.push_back("object:" + std::to_string(std::any_cast<int>(n.userInfo.at("k"))));
  });
  center.post("N", sender, {{"k", 5}});
  center.post("N", std::make_shared<int>(2), {{"k", 6}});
  center.post("M");
  EXPECT_EQ(calls, (Calls{"name", "any:N", "object:5", "name", "any:N", "any:M"}));

  // An owner's registrations are removed together, twice harmlessly.
  int ownerA = 0, ownerB = 0, sum = 0;
  center.addObserver(&ownerA, "N", nullptr, [&](const Notification&) { sum += 1; });
  center.addObserver(&ownerA, "M", nullptr, [&](const Notification&) { sum += 10; });
  center.addObserver(&ownerB, "N", nullptr, [&](const Notification&) { sum += 100; });
  center.removeObserver(&ownerA);
  center.post("N");
  center.post("M");
  EXPECT_EQ(sum, 100);
  center.removeObserver(&ownerA);  // twice is harmless
}

TEST(NotificationCenterTest, TokensRemoveOnDestructionAndMoveOwnership) {
  NotificationCenter center;
  int calls = 0;
  {
    ObserverToken token = center.addObserver("N", nullptr, [&](const Notification&) { ++calls; });
    ObserverToken moved = std::move(token);
    // NOLINTNEXTLINE(bugprone-use-after-move,clang-analyzer-cplusplus.Move)
    EXPECT_FALSE(token.isActive());  // a moved-from token owns nothing
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
  Calls calls;
  ObserverToken second, added, self;
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
  EXPECT_EQ(calls, (Calls{"first", "self", "nested"}));
  calls.clear();
  center.post("N");
  EXPECT_EQ(calls, (Calls{"first", "added"}));

  // A removal made on another thread while a post is under way stops the rest of that post.
  NotificationCenter threaded;
  calls.clear();
  ObserverToken later;
  auto early = threaded.addObserver("N", nullptr, [&](const Notification&) {
    calls.push_back("early");
    std::thread([&] { later.reset(); }).join();
  });
  later = threaded.addObserver("N", nullptr, [&](const Notification&) { calls.push_back("late"); });
  std::thread([&] { threaded.post("N"); }).join();
  EXPECT_EQ(calls, (Calls{"early"}));
}

// Removal on one thread while others post: once reset() returns, no call is in progress and none
// starts afterwards.
TEST(NotificationCenterTest, RemovalWaitsForCallsInProgressOnOtherThreads) {
  NotificationCenter center;
  std::atomic<bool> stop{false}, removed{false};
  std::atomic<int> inside{0}, lateCalls{0};
  std::mutex mutex;
  std::condition_variable called;
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
  for (int round = 0; round < 20; ++round) {
    removed = false;
    ObserverToken token = center.addObserver("N", nullptr, [&, round](const Notification&) {
      ++inside;
      if (removed) ++lateCalls;
      volatile int work = 0;
      for (int i = 0; i < 2000; ++i) work = work + i;
      {
        std::lock_guard lock(mutex);
        roundCalled = round;
      }
      called.notify_all();
      --inside;
    });
    {
      std::unique_lock lock(mutex);
      ASSERT_TRUE(
          called.wait_for(lock, std::chrono::seconds(30), [&] { return roundCalled == round; }));
    }
    token.reset();
    removed = true;
    EXPECT_EQ(inside, 0) << "round " << round;
  }
  EXPECT_EQ(lateCalls, 0);
}

TEST(ApplicationTest, BackgroundTasksExpireOnceAndEndByIdentifier) {
  Application& app = Application::shared();
  const std::size_t before = app.backgroundTaskCount();
  Calls expired;
  BackgroundTaskIdentifier first = kInvalidBackgroundTask, third = kInvalidBackgroundTask;
  first = app.beginBackgroundTask([&] {
    expired.push_back("first");
    app.endBackgroundTask(first);
    app.endBackgroundTask(third);      // ending another pending task skips its expiration
    app.beginBackgroundTask(nullptr);  // begun during expiry: not expired in this pass
  });
  const auto second = app.beginBackgroundTask([&] { expired.push_back("second"); });
  third = app.beginBackgroundTask([&] { expired.push_back("third"); });
  EXPECT_NE(first, kInvalidBackgroundTask);
  EXPECT_LT(first, second);
  EXPECT_LT(second, third);
  app.endBackgroundTask(kInvalidBackgroundTask);
  app.endBackgroundTask(third + 1000);  // unknown: ignored
  app.expireBackgroundTasks();
  EXPECT_EQ(expired, (Calls{"first", "second"}));
  EXPECT_EQ(app.backgroundTaskCount(), before + 2);  // "second" and the one begun in "first"
  app.expireBackgroundTasks();
  EXPECT_EQ(expired.size(), 2u);  // each handler runs once
  app.endBackgroundTask(second);
  app.endBackgroundTask(second);
  EXPECT_EQ(app.backgroundTaskCount(), before + 1);
  app.endBackgroundTask(third + 1);
  EXPECT_EQ(app.backgroundTaskCount(), before);
}

TEST(ApplicationTest, SimulatedEventsPostSynchronouslyWithoutObject) {
  Calls seen;
  auto token =
      NotificationCenter::defaultCenter().addObserver("", nullptr, [&](const Notification& n) {
        if (n.name.starts_with("UIApplication")) seen.push_back(n.name + (n.object ? "+obj" : ""));
      });
  Application& app = Application::shared();
  app.simulateMemoryWarning();
  app.simulateDidEnterBackground();
  EXPECT_EQ(app.applicationState(), ApplicationState::Background);
  app.simulateWillEnterForeground();
  app.simulateDidBecomeActive();
  EXPECT_EQ(app.applicationState(), ApplicationState::Active);
  app.simulateWillTerminate();
  EXPECT_EQ(seen, (Calls{kApplicationDidReceiveMemoryWarningNotification,
                         kApplicationDidEnterBackgroundNotification,
                         kApplicationWillEnterForegroundNotification,
                         kApplicationDidBecomeActiveNotification,
                         kApplicationWillTerminateNotification}));
}

Cache::Object value(int v) { return std::make_shared<int>(v); }
int valueOf(const Cache::Object& object) { return object ? *static_cast<int*>(object.get()) : -1; }

TEST(CacheTest, CountLimitEvictsLeastRecentlyUsed) {
  Cache cache("test");
  cache.setCountLimit(3);
  cache.setObject("a", value(1));
  cache.setObject("b", value(2));
  cache.setObject("c", value(3));
  EXPECT_EQ(valueOf(cache.objectForKey("a")), 1);  // "a" is now the most recent
  cache.setObject("d", value(4));
  EXPECT_EQ(cache.count(), 3u);
  EXPECT_EQ(cache.objectForKey("b"), nullptr);
  EXPECT_EQ(valueOf(cache.objectForKey("a")), 1);
  cache.setObject("c", value(30));  // replacing refreshes recency too
  cache.setObject("e", value(5));
  EXPECT_EQ(cache.objectForKey("d"), nullptr);
  EXPECT_EQ(valueOf(cache.objectForKey("c")), 30);
  cache.setCountLimit(1);  // lowering a limit evicts at once
  EXPECT_EQ(cache.count(), 1u);
  EXPECT_EQ(valueOf(cache.objectForKey("c")), 30);
}

// A read only marks its entry: eviction passes over a marked entry once, clearing the mark and
// putting it among the newest, and otherwise takes the oldest.
TEST(CacheTest, ReadEntriesGetOneSecondChance) {
  Cache cache;
  cache.setCountLimit(3);
  for (const char* key : {"a", "b", "c"}) cache.setObject(key, value(1));
  EXPECT_TRUE(cache.objectForKey("a"));
  EXPECT_TRUE(cache.objectForKey("a"));  // marks do not add up
  cache.setObject("d", value(1));        // passes over "a", takes "b"
  EXPECT_EQ(cache.objectForKey("b"), nullptr);
  cache.setObject("e", value(1));  // "c" is now the oldest
  EXPECT_EQ(cache.count(), 3u);
  cache.setObject("f", value(1));  // "a" was not read again: its chance is spent
  std::vector<std::string> left;
  for (const char* key : {"a", "c", "d", "e", "f"}) {
    if (cache.objectForKey(key)) left.push_back(key);
  }
  EXPECT_EQ(left, (std::vector<std::string>{"d", "e", "f"}));
  // Every entry marked (just now): one sweep clears them all and the oldest goes.
  cache.setObject("g", value(1));
  EXPECT_EQ(cache.objectForKey("d"), nullptr);

  // Under a cost limit a read protects an entry in the same way, whatever its cost.
  Cache costly;
  costly.setTotalCostLimit(100);
  costly.setObject("big", value(1), 60);
  costly.setObject("small", value(2), 30);
  EXPECT_TRUE(costly.objectForKey("big"));
  costly.setObject("next", value(3), 30);  // 120: "big" is spared, "small" goes, still 90
  EXPECT_EQ(costly.objectForKey("small"), nullptr);
  EXPECT_EQ(costly.totalCost(), 90u);
  costly.setObject("last", value(4), 20);  // 110: "big" is the oldest and unread now
  EXPECT_EQ(costly.objectForKey("big"), nullptr);
  EXPECT_EQ(costly.totalCost(), 50u);
}

TEST(CacheTest, CostLimitAndBookkeeping) {
  Cache cache;
  cache.setTotalCostLimit(100);
  cache.setObject("a", value(1), 40);
  cache.setObject("b", value(2), 40);
  cache.setObject("a", value(10), 50);  // replacing swaps the cost, no eviction: 90
  EXPECT_EQ(cache.totalCost(), 90u);
  EXPECT_EQ(cache.count(), 2u);
  cache.setObject("c", value(3), 30);  // 120 > 100: "b" is the least recent
  EXPECT_EQ(cache.objectForKey("b"), nullptr);
  EXPECT_EQ(cache.totalCost(), 80u);
  cache.setObject("a", nullptr);  // null removes
  EXPECT_EQ(cache.objectForKey("a"), nullptr);
  EXPECT_EQ(cache.totalCost(), 30u);
  cache.removeObjectForKey("missing");
  EXPECT_EQ(cache.totalCost(), 30u);
  // Too costly even alone: eviction runs from the least recent end until the limit holds,
  // which takes everything, the new object last.
  cache.setObject("huge", value(4), 101);
  EXPECT_EQ(cache.count(), 0u);
  EXPECT_EQ(cache.totalCost(), 0u);
}

// A value's destructor that re-enters the cache would deadlock if values died under the lock.
TEST(CacheTest, ValuesAreReleasedOutsideTheLock) {
  Cache cache;
  cache.setCountLimit(1);
  int destroyed = 0;
  std::size_t countSeen = 0;
  auto reentrant = [&] {
    return Cache::Object(new int(0), [&](void* p) {
      ++destroyed;
      countSeen += cache.count();
      delete static_cast<int*>(p);
    });
  };
  cache.setObject("a", reentrant());
  cache.setObject("b", reentrant());  // evicts "a"
  cache.setObject("b", value(1));     // replaces "b"
  cache.setObject("c", reentrant());  // evicts the plain "b"
  cache.removeObjectForKey("c");
  cache.setObject("d", reentrant());
  cache.removeAllObjects();
  EXPECT_EQ(destroyed, 4);
  EXPECT_EQ(countSeen, 2u);  // "b" was still cached when "a" and then the first "b" died
  EXPECT_EQ(cache.count(), 0u);
  EXPECT_EQ(cache.totalCost(), 0u);
}

TEST(CacheTest, LimitsHoldUnderConcurrentUse) {
  Cache cache;
  cache.setCountLimit(50);
  cache.setTotalCostLimit(400);
  std::vector<std::thread> threads;
  std::atomic<int> wrong{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 3000; ++i) {
        const int k = (i * 7 + t * 13) % 120;
        const std::string key = std::to_string(k);
        if (i % 3 == 0) {
          cache.setObject(key, value(k), static_cast<std::size_t>(k % 10));
        } else if (auto object = cache.objectForKey(key); object && valueOf(object) != k) {
          ++wrong;
        }
        if (i % 500 == 0) cache.removeObjectForKey(key);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong, 0);
  EXPECT_LE(cache.count(), 50u);
  EXPECT_LE(cache.totalCost(), 400u);
  std::size_t cost = 0, found = 0;
  for (int k = 0; k < 120; ++k) {
    if (cache.objectForKey(std::to_string(k))) {
      ++found;
      cost += static_cast<std::size_t>(k % 10);
    }
  }
  EXPECT_EQ(found, cache.count());
  EXPECT_EQ(cost, cache.totalCost());
}

}  // namespace
}  // namespace platform
