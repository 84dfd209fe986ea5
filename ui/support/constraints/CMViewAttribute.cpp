#include "ui/support/constraints/CMViewAttribute.h"

#include <cstdint>
#include <functional>

#include "platform/ui/View.h"

namespace sprout {

CMViewAttribute::CMViewAttribute(const std::shared_ptr<platform::View>& view, long layoutAttribute)
    : CMViewAttribute(view, view, layoutAttribute) {}

CMViewAttribute::CMViewAttribute(const std::shared_ptr<platform::View>& view,
                                 const std::shared_ptr<platform::Object>& item,
                                 long layoutAttribute)
    : view_(view), item_(item), layoutAttribute_(layoutAttribute) {}

bool CMViewAttribute::isSizeAttribute() const {
  return layoutAttribute_ == platform::LayoutAttributeWidth ||
         layoutAttribute_ == platform::LayoutAttributeHeight;
}

bool CMViewAttribute::operator==(const CMViewAttribute& other) const {
  auto mine = view();
  return mine && mine == other.view() && layoutAttribute_ == other.layoutAttribute_;
}

std::size_t CMViewAttribute::hash() const {
  const auto h = static_cast<std::uint64_t>(std::hash<const void*>()(view().get()));
  const std::uint64_t rotated = (h << 32) | (h >> 32);
  return static_cast<std::size_t>(rotated ^ static_cast<std::uint64_t>(layoutAttribute_));
}

}  // namespace sprout
