#pragma once

#include <concepts>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <typeindex>
#include <typeinfo>
#include <vector>

#include "platform/foundation/Object.h"

namespace platform {

// A kind of object: tells whether an object is of that kind or of a subclass, and whether its
// class is exactly that one.
class ObjectClass {
 public:
  using KindTest = bool (*)(const Object&);
  ObjectClass(std::string name, std::type_index type, KindTest isKind)
      : name_(std::move(name)), type_(type), isKind_(isKind) {}
  const std::string& name() const { return name_; }
  bool isKind(const Object& object) const { return isKind_(object); }
  bool isExactly(const Object& object) const { return std::type_index(typeid(object)) == type_; }
  std::type_index type() const { return type_; }

 private:
  std::string name_;
  std::type_index type_;
  KindTest isKind_;
};

// The process's classes as values, so that sets of classes can be kept and an object asked
// whether it is of a kind. A class is looked up by its type: a renamed or misspelt class does not
// compile, where a name would look up nothing and quietly turn a feature off. Names are the
// platform's: its private views report the names they have on the platform
// ("UIToolbarButton"), every other class its C++ name. Main thread only.
class ClassRegistry {
 public:
  static ClassRegistry& shared();

  // The class of T, made on first use for a class the platform does not name itself.
  template <std::derived_from<Object> T>
  static const ObjectClass& of() {
    static const ObjectClass& cls = shared().classOf(typeid(T), &isKindOf<T>);
    return cls;
  }

  // The class the platform gives this name, for a caller that holds only a name. No class of
  // that name is a fault: it is logged once as an error and handed to the unknown-name handler
  // (tests fail on it); the answer is nullptr.
  const ObjectClass* named(std::string_view name) const;
  // The registered name of the object's exact class, else its C++ name without namespaces.
  std::string nameOf(const Object& object) const;

  // Called with every unknown name after it is logged; returns the handler it replaces.
  using UnknownNameHandler = std::function<void(const std::string& name)>;
  UnknownNameHandler setUnknownNameHandler(UnknownNameHandler handler);

 private:
  ClassRegistry();
  template <class T>
  static bool isKindOf(const Object& object) {
    if constexpr (std::same_as<T, Object>) {
      return true;  // every object is one
    } else {
      return dynamic_cast<const T*>(&object) != nullptr;
    }
  }
  // Registers T under the name the platform gives it.
  template <class T>
  void add(const std::string& name) {
    insert(std::make_unique<ObjectClass>(name, std::type_index(typeid(T)), &isKindOf<T>), true);
  }
  const ObjectClass& classOf(const std::type_info& type, ObjectClass::KindTest isKind);
  const ObjectClass& insert(std::unique_ptr<ObjectClass> entry, bool named);

  std::map<std::string, const ObjectClass*, std::less<>> byName_;
  std::map<std::type_index, std::unique_ptr<ObjectClass>> byType_;
  mutable std::set<std::string, std::less<>> reported_;
  UnknownNameHandler unknownNameHandler_;
};

// A set of classes that enumerates in the order classes were added.
class ClassSet {
 public:
  ClassSet() = default;
  template <std::derived_from<Object>... Ts>
  static ClassSet of() {
    ClassSet set;
    (set.insert(ClassRegistry::of<Ts>()), ...);
    return set;
  }

  // A class already in the set is not added again.
  void insert(const ObjectClass& cls);
  void erase(const ObjectClass& cls);
  bool contains(const ObjectClass& cls) const;
  template <std::derived_from<Object> T>
  void insert() {
    insert(ClassRegistry::of<T>());
  }
  template <std::derived_from<Object> T>
  void erase() {
    erase(ClassRegistry::of<T>());
  }
  template <std::derived_from<Object> T>
  bool contains() const {
    return contains(ClassRegistry::of<T>());
  }

  // Whether the object is of any class in the set (or a subclass).
  bool matches(const Object& object) const;
  std::size_t size() const { return classes_.size(); }
  const std::vector<const ObjectClass*>& classes() const { return classes_; }
  auto begin() const { return classes_.begin(); }
  auto end() const { return classes_.end(); }

 private:
  std::vector<const ObjectClass*> classes_;
};

}  // namespace platform
