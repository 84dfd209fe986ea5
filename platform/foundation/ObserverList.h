#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace platform {

namespace detail {
// What a subscription reaches back into; the list's storage implements it.
class ObserverListCore {
 public:
  virtual ~ObserverListCore();
  virtual void unsubscribe(std::uint64_t id) = 0;
  virtual bool contains(std::uint64_t id) const = 0;
};
}  // namespace detail

// Keeps an observer of an ObserverList registered while it lives: destroying or resetting it
// unsubscribes. It may outlive its list (it then does nothing) and may be destroyed from inside a
// notification, its own observer's included.
class Subscription {
 public:
  Subscription() = default;
  Subscription(Subscription&& other) noexcept;
  Subscription& operator=(Subscription&& other) noexcept;
  Subscription(const Subscription&) = delete;
  Subscription& operator=(const Subscription&) = delete;
  ~Subscription();

  void reset();
  // Registered with a list that still exists.
  bool isActive() const;

 private:
  template <class... Args>
  friend class ObserverList;
  Subscription(std::weak_ptr<detail::ObserverListCore> core, std::uint64_t id)
      : core_(std::move(core)), id_(id) {}

  std::weak_ptr<detail::ObserverListCore> core_;
  std::uint64_t id_ = 0;
};

// A list of observers called in subscription order by notify(). For a property, notify with the
// old and the new value: ObserverList<Point, Point> offsetObservers; offsetObservers.notify(old,
// now). Main thread only, like the views that own these lists.
//
// Re-entrancy: an observer may subscribe, unsubscribe or notify again while being called. One
// that subscribes during a notification is first called by the next one; one that unsubscribes
// (itself or another) is not called again, and its function is kept until the outermost
// notification ends, so a lambda may drop its own subscription. The list may be destroyed by an
// observer: the remaining observers of that notification are then skipped.
template <class... Args>
class ObserverList {
 public:
  using Observer = std::function<void(Args...)>;

  ObserverList() : core_(std::make_shared<Core>()) {}
  ~ObserverList() { core_->closed = true; }
  ObserverList(const ObserverList&) = delete;
  ObserverList& operator=(const ObserverList&) = delete;

  [[nodiscard]] Subscription subscribe(Observer observer) {
    const std::uint64_t id = core_->nextId++;
    core_->entries.push_back(std::make_unique<Entry>(Entry{id, std::move(observer), true}));
    return Subscription(core_, id);
  }

  // Every observer gets the same arguments, so none is moved from.
  template <class... Values>
  void notify(Values&&... values) {
    // A local owner keeps the entries alive should an observer destroy the list.
    const std::shared_ptr<Core> core = core_;
    ++core->depth;
    const std::size_t count = core->entries.size();
    for (std::size_t i = 0; i < count && !core->closed; ++i) {
      Entry& entry = *core->entries[i];  // entries are boxed: pushes never move one
      if (entry.live) entry.observer(values...);
    }
    if (--core->depth == 0 && core->removed) core->compact();
  }

  bool empty() const { return size() == 0; }
  std::size_t size() const {
    std::size_t n = 0;
    for (const auto& e : core_->entries) n += e->live;
    return n;
  }

 private:
  struct Entry {
    std::uint64_t id;
    Observer observer;
    bool live;
  };

  struct Core final : detail::ObserverListCore {
    void unsubscribe(std::uint64_t id) override {
      for (auto it = entries.begin(); it != entries.end(); ++it) {
        if ((*it)->id != id || !(*it)->live) continue;
        (*it)->live = false;
        if (depth > 0) {
          removed = true;  // erased once the notification ends
          return;
        }
        // Moved out first: the observer's destructor may touch this list.
        std::unique_ptr<Entry> dead = std::move(*it);
        entries.erase(it);
        return;
      }
    }
    bool contains(std::uint64_t id) const override {
      for (const auto& e : entries) {
        if (e->id == id) return e->live;
      }
      return false;
    }
    void compact() {
      removed = false;
      std::vector<std::unique_ptr<Entry>> dead;
      std::vector<std::unique_ptr<Entry>> kept;
      kept.reserve(entries.size());
      for (auto& e : entries) (e->live ? kept : dead).push_back(std::move(e));
      entries = std::move(kept);
    }

    std::vector<std::unique_ptr<Entry>> entries;
    std::uint64_t nextId = 1;
    int depth = 0;
    bool removed = false;
    bool closed = false;
  };

  std::shared_ptr<Core> core_;
};

}  // namespace platform
