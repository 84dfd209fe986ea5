#include "platform/foundation/Cache.h"

#include <utility>

namespace platform {

Cache::Cache(std::string name) : name_(std::move(name)) {}

Cache::~Cache() = default;

Cache::Object Cache::objectForKey(const std::string& key) const {
  std::lock_guard lock(mutex_);
  auto it = index_.find(key);
  if (it == index_.end()) return nullptr;
  it->second.used = true;
  return it->second.object;
}

void Cache::setObject(const std::string& key, Object object, std::size_t cost) {
  if (!object) {
    removeObjectForKey(key);
    return;
  }
  std::vector<Object> released;
  {
    std::lock_guard lock(mutex_);
    auto [it, added] = index_.try_emplace(key);
    Entry& entry = it->second;
    if (added) {
      entry.key = &it->first;
    } else {
      totalCost_ -= entry.cost;
      released.push_back(std::move(entry.object));
      unlink(entry);
    }
    entry.object = std::move(object);
    entry.cost = cost;
    entry.used = false;
    linkNewest(entry);
    totalCost_ += cost;
    evictLocked(released, &entry);
  }
}

void Cache::removeObjectForKey(const std::string& key) {
  std::vector<Object> released;
  {
    std::lock_guard lock(mutex_);
    auto it = index_.find(key);
    if (it == index_.end()) return;
    eraseLocked(it->second, released);
  }
}

void Cache::removeAllObjects() {
  std::unordered_map<std::string, Entry> released;
  {
    std::lock_guard lock(mutex_);
    released.swap(index_);
    newest_ = oldest_ = nullptr;
    totalCost_ = 0;
  }
}

void Cache::linkNewest(Entry& entry) { linkOlderThan(entry, nullptr); }

void Cache::linkOlderThan(Entry& entry, Entry* anchor) {
  Entry* const older = anchor != nullptr ? anchor->older : newest_;
  entry.newer = anchor;
  entry.older = older;
  (anchor != nullptr ? anchor->older : newest_) = &entry;
  (older != nullptr ? older->newer : oldest_) = &entry;
}

void Cache::unlink(Entry& entry) {
  (entry.newer != nullptr ? entry.newer->older : newest_) = entry.older;
  (entry.older != nullptr ? entry.older->newer : oldest_) = entry.newer;
  entry.newer = entry.older = nullptr;
}

void Cache::eraseLocked(Entry& entry, std::vector<Object>& released) {
  totalCost_ -= entry.cost;
  released.push_back(std::move(entry.object));
  unlink(entry);
  index_.erase(index_.find(*entry.key));  // not by the key, which dies with the node
}

bool Cache::overLimitLocked() const {
  return (countLimit_ != 0 && index_.size() > countLimit_) ||
         (totalCostLimit_ != 0 && totalCost_ > totalCostLimit_);
}

void Cache::evictLocked(std::vector<Object>& released, Entry* stored) {
  // Each pass over a marked entry clears its mark, so this ends within two rounds of the order.
  // Spared entries go just older than the entry being stored, which would otherwise be the
  // oldest after a round in which every other entry had been read.
  while (oldest_ != nullptr && overLimitLocked()) {
    Entry& victim = *oldest_;
    if (victim.used) {
      victim.used = false;
      unlink(victim);
      linkOlderThan(victim, stored != nullptr && stored == newest_ ? stored : nullptr);
      continue;
    }
    eraseLocked(victim, released);
  }
}

std::size_t Cache::totalCostLimit() const {
  std::lock_guard lock(mutex_);
  return totalCostLimit_;
}

void Cache::setTotalCostLimit(std::size_t limit) {
  std::vector<Object> released;
  {
    std::lock_guard lock(mutex_);
    totalCostLimit_ = limit;
    evictLocked(released);
  }
}

std::size_t Cache::countLimit() const {
  std::lock_guard lock(mutex_);
  return countLimit_;
}

void Cache::setCountLimit(std::size_t limit) {
  std::vector<Object> released;
  {
    std::lock_guard lock(mutex_);
    countLimit_ = limit;
    evictLocked(released);
  }
}

std::size_t Cache::totalCost() const {
  std::lock_guard lock(mutex_);
  return totalCost_;
}

std::size_t Cache::count() const {
  std::lock_guard lock(mutex_);
  return index_.size();
}

std::string Cache::name() const {
  std::lock_guard lock(mutex_);
  return name_;
}

void Cache::setName(std::string name) {
  std::lock_guard lock(mutex_);
  name_ = std::move(name);
}

}  // namespace platform
