#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/ObserverList.h"
#include "platform/graphics/Geometry.h"

using platform::ObserverList;
using platform::Point;
using platform::Subscription;

TEST(ObserverListTest, OldAndNewValuesInSubscriptionOrderUntilTheTokenGoes) {
  ObserverList<Point, Point> offset;
  std::vector<std::string> calls;
  auto first = offset.subscribe([&](Point old, Point now) {
    calls.push_back("a " + std::to_string(int(old.y)) + ">" + std::to_string(int(now.y)));
  });
  std::optional<Subscription> second = offset.subscribe(
      [&](Point, Point now) { calls.push_back("b " + std::to_string(int(now.y))); });
  offset.notify(Point{0, 0}, Point{0, 40});
  EXPECT_EQ(calls, (std::vector<std::string>{"a 0>40", "b 40"}));

  second.reset();
  Subscription moved = std::move(first);
  EXPECT_FALSE(first.isActive());  // NOLINT(bugprone-use-after-move): moved-from is empty
  EXPECT_TRUE(moved.isActive());
  calls.clear();
  offset.notify(Point{0, 40}, Point{0, 10});
  EXPECT_EQ(calls, (std::vector<std::string>{"a 40>10"}));
  moved = Subscription();  // assigning over a live token unsubscribes it
  EXPECT_TRUE(offset.empty());
}

TEST(ObserverListTest, ChangesDuringANotificationTakeEffectSafely) {
  ObserverList<int> list;
  std::vector<std::string> calls;
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
  EXPECT_EQ(calls, (std::vector<std::string>{"self 1", "nested 2", "late 2", "nested 1"}));
  EXPECT_EQ(maxDepth, 2);
  EXPECT_EQ(list.size(), 2u);
  calls.clear();
  list.notify(3);
  EXPECT_EQ(calls, (std::vector<std::string>{"nested 3", "late 3"}));
}

TEST(ObserverListTest, ObserversMayShareAMutableArgument) {
  ObserverList<std::vector<int>&> list;
  auto a = list.subscribe([](std::vector<int>& v) { v.push_back(1); });
  auto b = list.subscribe([](std::vector<int>& v) { v.push_back(2); });
  std::vector<int> seen;
  list.notify(seen);
  EXPECT_EQ(seen, (std::vector<int>{1, 2}));
}

TEST(ObserverListTest, EitherSideMayDieFirst) {
  Subscription outlives;
  {
    ObserverList<> list;
    outlives = list.subscribe([] {});
    EXPECT_TRUE(outlives.isActive());
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

TEST(ObserverListTest, AnObserverWhoseDestructorUnsubscribesAnotherIsSafe) {
  ObserverList<int> list;
  int calls = 0;
  Subscription other = list.subscribe([&](int) { ++calls; });
  struct Releaser {
    Subscription* target = nullptr;
    ~Releaser() {
      if (target) target->reset();
    }
  };
  auto releaser = std::make_shared<Releaser>();
  releaser->target = &other;
  Subscription first = list.subscribe([releaser](int) {});
  releaser.reset();
  first.reset();  // destroying the lambda resets `other` from inside the list's erase
  list.notify(1);
  EXPECT_EQ(calls, 0);
  EXPECT_TRUE(list.empty());
}
