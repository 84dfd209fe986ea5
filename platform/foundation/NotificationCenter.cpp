#include "platform/foundation/NotificationCenter.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

namespace platform {
namespace {

struct Observation {
  std::uint64_t id = 0;
  const void* owner = nullptr;
  std::string name;
  const void* object = nullptr;
  NotificationCenter::Handler handler;
  // Both guarded by the registry's mutex.
  bool removed = false;
  std::vector<std::thread::id> callers;  // threads inside `handler` right now
};

using ObservationPtr = std::shared_ptr<Observation>;

}  // namespace

class NotificationRegistry {
 public:
  std::uint64_t add(const void* owner, std::string name, const void* object,
                    NotificationCenter::Handler handler);
  void remove(std::uint64_t id);
  void removeOwner(const void* owner);
  void post(const Notification& notification);

 private:
  void unlinkLocked(const ObservationPtr& observation);
  void waitForOtherCallersLocked(std::unique_lock<std::mutex>& lock,
                                 const std::vector<ObservationPtr>& observations);
  bool enterCall(const ObservationPtr& observation);
  void leaveCall(const ObservationPtr& observation);

  std::mutex mutex_;
  std::condition_variable callFinished_;
  std::uint64_t nextId_ = 1;
  std::unordered_map<std::uint64_t, ObservationPtr> byId_;
  // Per name ("" = any name), in order of registration.
  std::unordered_map<std::string, std::vector<ObservationPtr>> byName_;
  std::unordered_map<const void*, std::vector<std::uint64_t>> byOwner_;
};

std::uint64_t NotificationRegistry::add(const void* owner, std::string name, const void* object,
                                        NotificationCenter::Handler handler) {
  auto observation = std::make_shared<Observation>();
  observation->owner = owner;
  observation->name = std::move(name);
  observation->object = object;
  observation->handler = std::move(handler);
  std::lock_guard lock(mutex_);
  observation->id = nextId_++;
  byId_.emplace(observation->id, observation);
  byName_[observation->name].push_back(observation);
  if (owner) byOwner_[owner].push_back(observation->id);
  return observation->id;
}

void NotificationRegistry::unlinkLocked(const ObservationPtr& observation) {
  observation->removed = true;
  byId_.erase(observation->id);
  if (auto it = byName_.find(observation->name); it != byName_.end()) {
    auto& list = it->second;
    list.erase(std::find(list.begin(), list.end(), observation));
    if (list.empty()) byName_.erase(it);
  }
  if (auto it = byOwner_.find(observation->owner); observation->owner && it != byOwner_.end()) {
    auto& ids = it->second;
    ids.erase(std::remove(ids.begin(), ids.end(), observation->id), ids.end());
    if (ids.empty()) byOwner_.erase(it);
  }
}

void NotificationRegistry::waitForOtherCallersLocked(
    std::unique_lock<std::mutex>& lock, const std::vector<ObservationPtr>& observations) {
  const auto self = std::this_thread::get_id();
  callFinished_.wait(lock, [&] {
    return std::all_of(observations.begin(), observations.end(), [&](const ObservationPtr& o) {
      return std::all_of(o->callers.begin(), o->callers.end(),
                         [&](std::thread::id caller) { return caller == self; });
    });
  });
}

void NotificationRegistry::remove(std::uint64_t id) {
  std::vector<ObservationPtr> victims;  // destroyed after the lock is released
  std::unique_lock lock(mutex_);
  auto it = byId_.find(id);
  if (it == byId_.end()) return;
  victims.push_back(it->second);
  unlinkLocked(victims.front());
  waitForOtherCallersLocked(lock, victims);
  lock.unlock();
}

void NotificationRegistry::removeOwner(const void* owner) {
  if (!owner) return;
  std::vector<ObservationPtr> victims;
  std::unique_lock lock(mutex_);
  auto it = byOwner_.find(owner);
  if (it == byOwner_.end()) return;
  for (std::uint64_t id : it->second) victims.push_back(byId_.at(id));
  for (const auto& victim : victims) unlinkLocked(victim);
  waitForOtherCallersLocked(lock, victims);
  lock.unlock();
}

bool NotificationRegistry::enterCall(const ObservationPtr& observation) {
  std::lock_guard lock(mutex_);
  if (observation->removed) return false;
  observation->callers.push_back(std::this_thread::get_id());
  return true;
}

void NotificationRegistry::leaveCall(const ObservationPtr& observation) {
  bool wake = false;
  {
    std::lock_guard lock(mutex_);
    auto& callers = observation->callers;
    callers.erase(std::find(callers.begin(), callers.end(), std::this_thread::get_id()));
    wake = observation->removed;
  }
  if (wake) callFinished_.notify_all();
}

void NotificationRegistry::post(const Notification& notification) {
  std::vector<ObservationPtr> targets;
  {
    std::lock_guard lock(mutex_);
    const auto matches = [&](const ObservationPtr& o) {
      return !o->object || o->object == notification.object.get();
    };
    const std::vector<ObservationPtr>* named = nullptr;
    const std::vector<ObservationPtr>* any = nullptr;
    if (auto it = byName_.find(notification.name); it != byName_.end()) named = &it->second;
    if (!notification.name.empty()) {
      if (auto it = byName_.find(std::string()); it != byName_.end()) any = &it->second;
    }
    static const std::vector<ObservationPtr> kNone;
    const auto& a = named ? *named : kNone;
    const auto& b = any ? *any : kNone;
    targets.reserve(a.size() + b.size());
    auto ia = a.begin();
    auto ib = b.begin();
    // Both lists are in id order; merge them so delivery follows registration order.
    while (ia != a.end() || ib != b.end()) {
      const bool takeA = ib == b.end() || (ia != a.end() && (*ia)->id < (*ib)->id);
      const ObservationPtr& next = takeA ? *ia++ : *ib++;
      if (matches(next)) targets.push_back(next);
    }
  }
  for (const auto& target : targets) {
    if (!enterCall(target)) continue;  // removed since the snapshot
    struct Leave {
      NotificationRegistry* registry;
      const ObservationPtr& target;
      ~Leave() { registry->leaveCall(target); }
    } leave{this, target};
    target->handler(notification);
  }
}

ObserverToken::ObserverToken(std::weak_ptr<NotificationRegistry> registry, std::uint64_t id)
    : registry_(std::move(registry)), id_(id) {}

ObserverToken::ObserverToken(ObserverToken&& other) noexcept
    : registry_(std::move(other.registry_)), id_(std::exchange(other.id_, 0)) {}

ObserverToken& ObserverToken::operator=(ObserverToken&& other) noexcept {
  if (this != &other) {
    reset();
    registry_ = std::move(other.registry_);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

ObserverToken::~ObserverToken() { reset(); }

void ObserverToken::reset() {
  const std::uint64_t id = std::exchange(id_, 0);
  if (id == 0) return;
  if (auto registry = registry_.lock()) registry->remove(id);
  registry_.reset();
}

NotificationCenter::NotificationCenter() : registry_(std::make_shared<NotificationRegistry>()) {}

NotificationCenter::~NotificationCenter() = default;

NotificationCenter& NotificationCenter::defaultCenter() {
  // Leaked on purpose: observers may be removed from static destructors.
  static auto* center = new NotificationCenter;
  return *center;
}

ObserverToken NotificationCenter::addObserver(std::string name, const void* object,
                                              Handler handler) {
  const std::uint64_t id = registry_->add(nullptr, std::move(name), object, std::move(handler));
  return ObserverToken(registry_, id);
}

void NotificationCenter::addObserver(const void* owner, std::string name, const void* object,
                                     Handler handler) {
  registry_->add(owner, std::move(name), object, std::move(handler));
}

void NotificationCenter::removeObserver(const void* owner) { registry_->removeOwner(owner); }

void NotificationCenter::post(const std::string& name, std::shared_ptr<void> object,
                              Dictionary userInfo) {
  post(Notification{name, std::move(object), std::move(userInfo)});
}

void NotificationCenter::post(const Notification& notification) { registry_->post(notification); }

}  // namespace platform
