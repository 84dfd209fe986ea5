#pragma once

#include <map>
#include <memory>
#include <type_traits>
#include <utility>

namespace platform {

// Names one associated value of type T. Keys compare by address, so every value has exactly one
// key object, declared once at namespace scope:
//   inline constexpr AssociatedKey<std::weak_ptr<View>> kRowViewKey{"rowView"};
// The label only says what the value is to a reader or a debugger; two keys with the same label are
// still two keys. A key cannot be copied: a copy would be a different, empty key.
template <class T>
struct AssociatedKey {
  explicit constexpr AssociatedKey(const char* name) : label(name) {}
  AssociatedKey(const AssociatedKey&) = delete;
  AssociatedKey& operator=(const AssociatedKey&) = delete;

  const char* label;
};

// The root of the interface objects: shared ownership, and associated values.
//
// Objects are made with make<T>(...) (the classes' create() factories go through it): it
// constructs T owned by a shared_ptr and then calls didInit(). A constructor cannot reach
// shared_from_this, so whatever needs the object owned (adding subviews, handing out weak
// references) belongs in didInit, where an override calls its base's didInit first and so reuses
// its set-up.
//
// Every constructor takes a Key first and moves it on to its base; only make can create a Key, so
// an object built any other way (`new T`, a local, make_shared) does not compile and cannot skip
// didInit. That makes a public constructor as closed as a private one, so constructors are
// public and no class befriends Object. A key moves and never copies: a constructor hands its key
// on and keeps none to build another object with. A class that adds no constructor of its own
// inherits its base's (`using Base::Base;`).
class Object : public std::enable_shared_from_this<Object> {
 public:
  class Key {
   public:
    Key(Key&&) = default;
    Key& operator=(Key&&) = default;
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

   private:
    friend class Object;
    Key() = default;
  };

  virtual ~Object();
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  template <class T, class... Args>
  static std::shared_ptr<T> make(Args&&... args) {
    static_assert(std::is_base_of_v<Object, T>, "make builds platform objects");
    std::shared_ptr<T> object(new T(Key{}, std::forward<Args>(args)...));
    static_cast<Object&>(*object).didInit();
    return object;
  }

  // Associated values: per-object storage for what another layer keeps on platform objects. The
  // key fixes the value's type, so a wrong key or type does not compile. A value is stored as
  // given: a std::shared_ptr holds strongly, a std::weak_ptr weakly.

  // The value under `key`, or nullptr when none is set.
  template <class T>
  T* associated(const AssociatedKey<T>& key) {
    auto it = associated_.find(&key);
    return it == associated_.end() ? nullptr : &static_cast<Slot<T>&>(*it->second).value;
  }
  template <class T>
  const T* associated(const AssociatedKey<T>& key) const {
    auto it = associated_.find(&key);
    return it == associated_.end() ? nullptr : &static_cast<const Slot<T>&>(*it->second).value;
  }
  // The value under `key`, value-initialised in place on first use (T need not be copyable).
  template <class T>
  T& associatedOrMake(const AssociatedKey<T>& key) {
    auto& slot = associated_[&key];
    if (!slot) slot = std::make_unique<Slot<T>>();
    return static_cast<Slot<T>&>(*slot).value;
  }
  template <class T>
  void setAssociated(const AssociatedKey<T>& key, std::type_identity_t<T> value) {
    associatedOrMake(key) = std::move(value);
  }
  // The old value is destroyed after it left the storage, so its destructor may use it again.
  template <class T>
  void removeAssociated(const AssociatedKey<T>& key) {
    auto it = associated_.find(&key);
    if (it == associated_.end()) return;
    std::unique_ptr<SlotBase> gone = std::move(it->second);
    associated_.erase(it);
  }

 protected:
  explicit Object(Key);
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
  struct SlotBase {
    virtual ~SlotBase() = default;
  };
  template <class T>
  struct Slot final : SlotBase {
    T value{};
  };

  std::map<const void*, std::unique_ptr<SlotBase>> associated_;
};

}  // namespace platform
