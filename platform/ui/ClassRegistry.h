#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <typeindex>
#include <vector>

#include "platform/foundation/Object.h"

namespace platform {

// A kind of object known by name: tells whether an object is of that kind or of a subclass,
// and whether its class is exactly that one.
class ObjectClass {
 public:
  ObjectClass(std::string name, std::type_index type, std::function<bool(const Object&)> isKind)
      : name_(std::move(name)), type_(type), isKind_(std::move(isKind)) {}
  const std::string& name() const { return name_; }
  bool isKind(const Object& object) const { return isKind_(object); }
  bool isExactly(const Object& object) const { return std::type_index(typeid(object)) == type_; }
  std::type_index type() const { return type_; }

 private:
  std::string name_;
  std::type_index type_;
  std::function<bool(const Object&)> isKind_;
};

// The process's classes by name, so that sets of classes can be kept and an object asked
// whether it is of a kind given by name (including the platform's private view classes, which
// report the names they have on the platform). The platform registers its own classes; other
// layers add theirs. Main thread only.
class ClassRegistry {
 public:
  static ClassRegistry& shared();

  // Registers T under `name` (once; a second call returns the first entry).
  template <class T>
  const ObjectClass& add(const std::string& name) {
    if (const ObjectClass* known = named(name)) return *known;
    return insert(
        std::make_unique<ObjectClass>(name, std::type_index(typeid(T)), [](const Object& o) {
          if constexpr (std::is_base_of_v<T, Object>) {
            return true;  // every object is one
          } else {
            return dynamic_cast<const T*>(&o) != nullptr;
          }
        }));
  }
  // nullptr when no class has that name.
  const ObjectClass* named(const std::string& name) const;
  // The registered name of the object's exact class, else its C++ name without namespaces.
  std::string nameOf(const Object& object) const;

 private:
  ClassRegistry();
  const ObjectClass& insert(std::unique_ptr<ObjectClass> entry);

  std::map<std::string, std::unique_ptr<ObjectClass>> byName_;
  std::map<std::type_index, const ObjectClass*> byType_;
};

// Whether `object` is of the class named `name` or a subclass; false for unknown names.
bool isKindOfClass(const Object& object, const std::string& name);
bool isKindOfClass(const Object& object, const ObjectClass* cls);

// A set of classes that enumerates in the order classes were added.
class ClassSet {
 public:
  ClassSet() = default;
  ClassSet(std::initializer_list<const ObjectClass*> classes);
  // Null and repeated classes are ignored.
  void insert(const ObjectClass* cls);
  void erase(const ObjectClass* cls);
  bool contains(const ObjectClass* cls) const;
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
