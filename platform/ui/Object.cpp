#include "platform/ui/Object.h"

namespace platform {

Object::Object() = default;
Object::~Object() = default;

void Object::setAssociatedValue(const std::string& key, std::any value) {
  if (!value.has_value()) {
    associated_.erase(key);
    return;
  }
  associated_[key] = std::move(value);
}

void Object::removeAssociatedValue(const std::string& key) { associated_.erase(key); }

bool Object::hasAssociatedValue(const std::string& key) const {
  return associated_.count(key) != 0;
}

const std::any* Object::associatedValue(const std::string& key) const {
  auto it = associated_.find(key);
  return it == associated_.end() ? nullptr : &it->second;
}

}  // namespace platform
