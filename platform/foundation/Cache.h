#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform {

// A thread-safe memory cache. After every change entries are evicted until both the count and the
// total cost are within their limits (0 = unlimited), oldest first, except that an entry read
// since the eviction last passed it gets a second chance: it goes back among the newest with its
// mark cleared. A read therefore only sets a mark, and costs one lookup under the lock.
// Values are released outside the lock, so a value's destructor may use the cache.
class Cache {
 public:
  using Object = std::shared_ptr<void>;

  explicit Cache(std::string name = {});
  virtual ~Cache();
  Cache(const Cache&) = delete;
  Cache& operator=(const Cache&) = delete;

  Object objectForKey(const std::string& key) const;  // marks the entry as used
  // null = remove. A replaced entry counts as new again.
  void setObject(const std::string& key, Object object, std::size_t cost = 0);
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
  // An entry lives in the index's node (which never moves), threaded on the age order by
  // pointers, so a read touches one node.
  struct Entry {
    Object object;
    std::size_t cost = 0;
    mutable bool used = false;
    const std::string* key = nullptr;  // the node's own key
    Entry* newer = nullptr;
    Entry* older = nullptr;
  };

  void linkNewest(Entry& entry);
  void linkOlderThan(Entry& entry, Entry* anchor);  // no anchor: as the newest
  void unlink(Entry& entry);
  void eraseLocked(Entry& entry, std::vector<Object>& released);
  // Moves evicted objects into `released` so the caller drops them after unlocking. `stored`,
  // the entry just set, is evicted only when nothing else is left.
  void evictLocked(std::vector<Object>& released, Entry* stored = nullptr);
  bool overLimitLocked() const;

  mutable std::mutex mutex_;
  std::unordered_map<std::string, Entry> index_;
  Entry* newest_ = nullptr;
  Entry* oldest_ = nullptr;
  std::size_t totalCost_ = 0;
  std::size_t totalCostLimit_ = 0;
  std::size_t countLimit_ = 0;
  std::string name_;
};

}  // namespace platform
