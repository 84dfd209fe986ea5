#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/Cache.h"

using platform::Cache;

namespace {

Cache::Object value(int v) { return std::make_shared<int>(v); }
int valueOf(const Cache::Object& object) { return object ? *static_cast<int*>(object.get()) : -1; }

}  // namespace

TEST(CacheTest, CountLimitEvictsLeastRecentlyUsed) {
  Cache cache("test");
  EXPECT_EQ(cache.name(), "test");
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

TEST(CacheTest, CostLimitAndBookkeeping) {
  Cache cache;
  cache.setTotalCostLimit(100);
  cache.setObject("a", value(1), 40);
  cache.setObject("b", value(2), 40);
  EXPECT_EQ(cache.totalCost(), 80u);
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
  cache.setObject("x", value(1), 5);
  cache.removeAllObjects();
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
}

TEST(CacheTest, LimitsHoldUnderConcurrentUse) {
  Cache cache;
  cache.setCountLimit(50);
  cache.setTotalCostLimit(400);
  std::vector<std::thread> threads;
  threads.reserve(4);
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
  std::size_t cost = 0;
  std::size_t found = 0;
  for (int k = 0; k < 120; ++k) {
    if (auto object = cache.objectForKey(std::to_string(k))) {
      ++found;
      cost += static_cast<std::size_t>(k % 10);
    }
  }
  EXPECT_EQ(found, cache.count());
  EXPECT_EQ(cost, cache.totalCost());
}
