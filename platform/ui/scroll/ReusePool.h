#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/Responder.h"
#include "platform/ui/View.h"

namespace platform {

// The views a list shows, by element key, and the ones waiting for reuse, by reuse identifier,
// with the factories that make a view when none waits. A view leaving the screen is hidden
// rather than removed: it stays in the tree, so reusing it costs no move. `V` has
// reuseIdentifier() and prepareForReuse(). Main thread only, like the list that owns it.
template <typename Key, typename V>
class ReusePool {
 public:
  using Factory = std::function<std::shared_ptr<V>(const std::string& id)>;

  void registerFactory(const std::string& id, Factory factory) {
    factories_[id] = std::move(factory);
  }

  // A waiting view, prepared for reuse, or a new one from the identifier's factory; else nullptr.
  std::shared_ptr<V> dequeue(const std::string& id) {
    releaseFinishedEditing();
    if (auto& waiting = waiting_[id]; !waiting.empty()) {
      auto view = std::move(waiting.back());
      waiting.pop_back();
      view->prepareForReuse();
      return view;
    }
    auto factory = factories_.find(id);
    return factory == factories_.end() ? nullptr : factory->second(id);
  }

  std::shared_ptr<V> visible(const Key& key) const {
    auto it = visible_.find(key);
    return it == visible_.end() ? nullptr : it->second;
  }
  const std::map<Key, std::shared_ptr<V>>& visibleViews() const { return visible_; }

  // A view made anew joins `container` at the back; a reused one is already there and only
  // shows again.
  static void reveal(View& container, const std::shared_ptr<View>& view) {
    if (view->superview().get() != &container) container.insertSubview(view, 0);
    view->setHidden(false);
  }
  // Notes `view` as the one shown for `key`.
  void track(const Key& key, std::shared_ptr<V> view) { visible_.emplace(key, std::move(view)); }

  // Takes the view shown for `key` off screen into the waiting views. One that holds the first
  // responder keeps its element while it edits (handed to another element, what is typed would
  // land in the wrong row): it waits under its key until that element shows again
  // (`takeKept`), or joins the others once editing ends.
  void recycle(const Key& key) {
    auto it = visible_.find(key);
    if (it == visible_.end()) return;
    auto view = std::move(it->second);
    visible_.erase(it);
    view->setHidden(true);
    if (holdsFirstResponder(*view)) {
      kept_[key] = std::move(view);
      return;
    }
    waiting_[view->reuseIdentifier()].push_back(std::move(view));
  }

  // The view kept for `key` while it edits, to show again; nullptr when none is.
  std::shared_ptr<V> takeKept(const Key& key) {
    auto it = kept_.find(key);
    if (it == kept_.end()) return nullptr;
    auto view = std::move(it->second);
    kept_.erase(it);
    return view;
  }

  // Recycles every view shown for a key not in `wanted` (all of them with an empty set).
  void recycleAllBut(const std::set<Key>& wanted = {}) {
    std::vector<Key> leaving;
    for (const auto& [key, view] : visible_) {
      if (!wanted.count(key)) leaving.push_back(key);
    }
    for (const auto& key : leaving) recycle(key);
  }

  std::vector<std::shared_ptr<V>> visibleList() const {
    std::vector<std::shared_ptr<V>> views;
    views.reserve(visible_.size());
    for (const auto& [key, view] : visible_) views.push_back(view);
    return views;
  }
  std::vector<Key> visibleKeys() const {
    std::vector<Key> keys;
    keys.reserve(visible_.size());
    for (const auto& [key, view] : visible_) keys.push_back(key);
    return keys;
  }

  // Views shown, kept and waiting.
  std::size_t count() const {
    std::size_t n = visible_.size() + kept_.size();
    for (const auto& [id, views] : waiting_) n += views.size();
    return n;
  }

 private:
  static bool holdsFirstResponder(const View& view) {
    auto responder = std::dynamic_pointer_cast<View>(Responder::currentFirstResponder());
    return responder && responder->isDescendantOfView(&view);
  }
  void releaseFinishedEditing() {
    for (auto it = kept_.begin(); it != kept_.end();) {
      if (holdsFirstResponder(*it->second)) {
        ++it;
        continue;
      }
      waiting_[it->second->reuseIdentifier()].push_back(std::move(it->second));
      it = kept_.erase(it);
    }
  }

  std::map<Key, std::shared_ptr<V>> visible_;
  std::map<Key, std::shared_ptr<V>> kept_;  // off screen, holding the first responder
  std::map<std::string, std::vector<std::shared_ptr<V>>> waiting_;
  std::map<std::string, Factory> factories_;
};

}  // namespace platform
