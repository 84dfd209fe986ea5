#pragma once

#include <any>
#include <map>
#include <memory>
#include <string>

namespace platform {

// The root of the interface objects: shared ownership (create() hands out shared_ptrs) and
// associated values, the per-object storage that categories of other layers keep on platform
// objects. A value is stored as given: a std::shared_ptr holds strongly, a std::weak_ptr weakly.
class Object : public std::enable_shared_from_this<Object> {
 public:
  virtual ~Object();
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  // An empty std::any removes the entry.
  void setAssociatedValue(const std::string& key, std::any value);
  void removeAssociatedValue(const std::string& key);
  bool hasAssociatedValue(const std::string& key) const;
  const std::any* associatedValue(const std::string& key) const;

  // The stored value when it holds exactly a T, else nullptr.
  template <class T>
  T* associated(const std::string& key) {
    auto it = associated_.find(key);
    return it == associated_.end() ? nullptr : std::any_cast<T>(&it->second);
  }
  // A stored std::shared_ptr<T>, or the live target of a stored std::weak_ptr<T>.
  // The value under `key`, made by default construction on first use.
  template <class T>
  T& associatedOrMake(const std::string& key) {
    if (T* existing = associated<T>(key)) return *existing;
    setAssociatedValue(key, T{});
    return *associated<T>(key);
  }
  template <class T>
  std::shared_ptr<T> associatedObject(const std::string& key) {
    if (auto* strong = associated<std::shared_ptr<T>>(key)) return *strong;
    if (auto* weak = associated<std::weak_ptr<T>>(key)) return weak->lock();
    return nullptr;
  }

 protected:
  Object();
  // shared_from_this for a subclass; only valid once the object is owned by a shared_ptr (after
  // its constructor).
  template <class T>
  std::shared_ptr<T> self() {
    return std::static_pointer_cast<T>(shared_from_this());
  }
  template <class T>
  std::shared_ptr<const T> self() const {
    return std::static_pointer_cast<const T>(shared_from_this());
  }

 private:
  std::map<std::string, std::any> associated_;
};

}  // namespace platform
