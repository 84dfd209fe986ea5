#pragma once

#include <any>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

namespace platform {

// The root of the interface objects: shared ownership and associated values, the per-object
// storage that categories of other layers keep on platform objects. A value is stored as given: a
// std::shared_ptr holds strongly, a std::weak_ptr weakly.
//
// Objects are made with make<T>(...) (the classes' create() factories go through it): it
// constructs T owned by a shared_ptr and then calls didInit(). A constructor cannot reach
// shared_from_this, so whatever needs the object owned (adding subviews, handing out weak
// references) belongs in didInit, where an override calls its base's didInit first and so reuses
// its set-up. A class with a non-public constructor declares `friend class platform::Object;`.
class Object : public std::enable_shared_from_this<Object> {
 public:
  virtual ~Object();
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  template <class T, class... Args>
  static std::shared_ptr<T> make(Args&&... args) {
    static_assert(std::is_base_of_v<Object, T>, "make builds platform objects");
    std::shared_ptr<T> object(new T(std::forward<Args>(args)...));
    static_cast<Object&>(*object).didInit();
    return object;
  }

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
  // Runs once, right after construction, with the object already owned by a shared_ptr.
  virtual void didInit() {}
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
