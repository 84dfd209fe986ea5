#include "platform/foundation/Cache.h"

#include <utility>

namespace platform {

Cache::Cache(std::string name) : name_(std::move(name)) {}

Cache::~Cache() = default;

Cache::Object Cache::objectForKey(const std::string& key) const {
  std::lock_guard lock(mutex_);
  auto it = index_.find(key);
  if (it == index_.end()) return nullptr;
  order_.splice(order_.begin(), order_, it->second);
  return it->second->object;
}

void Cache::setObject(const std::string& key, Object object, std::size_t cost) {
  if (!object) {
    removeObjectForKey(key);
    return;
  }
  std::vector<Object> released;
  {
    std::lock_guard lock(mutex_);
    if (auto it = index_.find(key); it != index_.end()) {
      Entry& entry = *it->second;
      totalCost_ -= entry.cost;
      released.push_back(std::exchange(entry.object, std::move(object)));
      entry.cost = cost;
      order_.splice(order_.begin(), order_, it->second);
    } else {
      order_.push_front(Entry{key, std::move(object), cost});
      index_.emplace(key, order_.begin());
    }
    totalCost_ += cost;
    evictLocked(released);
  }
}

void Cache::removeObjectForKey(const std::string& key) {
  Object released;
  {
    std::lock_guard lock(mutex_);
    auto it = index_.find(key);
    if (it == index_.end()) return;
    totalCost_ -= it->second->cost;
    released = std::move(it->second->object);
    order_.erase(it->second);
    index_.erase(it);
  }
}

void Cache::removeAllObjects() {
  Order released;
  {
    std::lock_guard lock(mutex_);
    released.swap(order_);
    index_.clear();
    totalCost_ = 0;
  }
}

void Cache::evictLocked(std::vector<Object>& released) {
  while (!order_.empty() && ((countLimit_ != 0 && order_.size() > countLimit_) ||
                             (totalCostLimit_ != 0 && totalCost_ > totalCostLimit_))) {
    Entry& victim = order_.back();
    totalCost_ -= victim.cost;
    released.push_back(std::move(victim.object));
    index_.erase(victim.key);
    order_.pop_back();
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
