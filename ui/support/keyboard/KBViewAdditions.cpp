#include "ui/support/keyboard/KBViewAdditions.h"

#include <algorithm>

namespace sprout {
namespace {

constexpr platform::AssociatedKey<double> kDistanceKey{"keyboardDistanceFromTextField"};
constexpr platform::AssociatedKey<bool> kRestoreKey{"shouldRestoreScrollViewContentOffset"};
constexpr platform::AssociatedKey<std::shared_ptr<platform::LayoutConstraint>> kGuideKey{
    "KBLayoutGuideConstraint"};

}  // namespace

std::optional<double> keyboardDistanceFromTextField(const platform::View& view) {
  const double* distance = view.associated(kDistanceKey);
  return distance ? std::optional<double>(*distance) : std::nullopt;
}

void setKeyboardDistanceFromTextField(platform::View& view, std::optional<double> distance) {
  if (!distance) {
    view.removeAssociated(kDistanceKey);
    return;
  }
  // Kept in single precision, as the per-field setting always was.
  view.setAssociated(kDistanceKey,
                     static_cast<double>(static_cast<float>(std::max(*distance, 0.0))));
}

bool shouldRestoreScrollViewContentOffset(const platform::ScrollView& view) {
  const bool* restore = view.associated(kRestoreKey);
  return restore && *restore;
}

void setShouldRestoreScrollViewContentOffset(platform::ScrollView& view, bool restore) {
  view.setAssociated(kRestoreKey, restore);
}

std::shared_ptr<platform::LayoutConstraint> KBLayoutGuideConstraint(
    platform::ViewController& controller) {
  const auto* constraint = controller.associated(kGuideKey);
  return constraint ? *constraint : nullptr;
}

void setKBLayoutGuideConstraint(platform::ViewController& controller,
                                std::shared_ptr<platform::LayoutConstraint> constraint) {
  if (!constraint) {
    controller.removeAssociated(kGuideKey);
    return;
  }
  controller.setAssociated(kGuideKey, std::move(constraint));
}

}  // namespace sprout
