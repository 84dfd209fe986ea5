#pragma once

#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform {

// A thread-safe memory cache. After every change the least recently used entries are evicted
// until both the count and the total cost are within their limits (0 = unlimited). Values are
// released outside the lock, so a value's destructor may use the cache.
class Cache {
 public:
  using Object = std::shared_ptr<void>;

  explicit Cache(std::string name = {});
  virtual ~Cache();
  Cache(const Cache&) = delete;
  Cache& operator=(const Cache&) = delete;

  Object objectForKey(const std::string& key) const;  // marks the entry as recently used
  void setObject(const std::string& key, Object object, std::size_t cost = 0);  // null = remove
  void removeObjectForKey(const std::string& key);
  virtual void removeAllObjects();

  std::size_t totalCostLimit() const;
  void setTotalCostLimit(std::size_t limit);
  std::size_t countLimit() const;
  void setCountLimit(std::size_t limit);
  std::size_t totalCost() const;
  std::size_t count() const;
  std::string name() const;
  void setName(std::string name);

 private:
  struct Entry {
    std::string key;
    Object object;
    std::size_t cost = 0;
  };
  using Order = std::list<Entry>;  // most recently used first

  // Moves evicted objects into `released` so the caller drops them after unlocking.
  void evictLocked(std::vector<Object>& released);

  mutable std::mutex mutex_;
  mutable Order order_;
  std::unordered_map<std::string, Order::iterator> index_;
  std::size_t totalCost_ = 0;
  std::size_t totalCostLimit_ = 0;
  std::size_t countLimit_ = 0;
  std::string name_;
};

}  // namespace platform
