#include "ui/support/keyboard/KBNotificationInfo.h"

#include <any>

namespace sprout {

std::optional<platform::Rect> rectValue(const platform::Notification& n, const std::string& key) {
  auto it = n.userInfo.find(key);
  if (it == n.userInfo.end()) return std::nullopt;
  if (const auto* rect = std::any_cast<platform::Rect>(&it->second)) return *rect;
  return std::nullopt;
}

std::optional<double> numberValue(const platform::Notification& n, const std::string& key) {
  auto it = n.userInfo.find(key);
  if (it == n.userInfo.end()) return std::nullopt;
  const std::any& v = it->second;
  if (const auto* d = std::any_cast<double>(&v)) return *d;
  if (const auto* f = std::any_cast<float>(&v)) return *f;
  if (const auto* i = std::any_cast<int>(&v)) return *i;
  if (const auto* l = std::any_cast<long>(&v)) return static_cast<double>(*l);
  if (const auto* u = std::any_cast<unsigned>(&v)) return *u;
  return std::nullopt;
}

}  // namespace sprout
