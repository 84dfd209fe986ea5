#include "ui/support/keyboard/KBViewAdditions.h"

#include <algorithm>

namespace sprout {
namespace {

constexpr char kDistanceKey[] = "keyboardDistanceFromTextField";
constexpr char kRestoreKey[] = "shouldRestoreScrollViewContentOffset";
constexpr char kGuideKey[] = "KBLayoutGuideConstraint";

}  // namespace

std::optional<double> keyboardDistanceFromTextField(const platform::View& view) {
  const std::any* value = view.associatedValue(kDistanceKey);
  if (!value) return std::nullopt;
  const double* distance = std::any_cast<double>(value);
  return distance ? std::optional<double>(*distance) : std::nullopt;
}

void setKeyboardDistanceFromTextField(platform::View& view, std::optional<double> distance) {
  if (!distance) {
    view.removeAssociatedValue(kDistanceKey);
    return;
  }
  // Kept in single precision, as the per-field setting always was.
  view.setAssociatedValue(kDistanceKey,
                          static_cast<double>(static_cast<float>(std::max(*distance, 0.0))));
}

bool shouldRestoreScrollViewContentOffset(const platform::ScrollView& view) {
  const std::any* value = view.associatedValue(kRestoreKey);
  const bool* restore = value ? std::any_cast<bool>(value) : nullptr;
  return restore && *restore;
}

void setShouldRestoreScrollViewContentOffset(platform::ScrollView& view, bool restore) {
  view.setAssociatedValue(kRestoreKey, restore);
}

std::shared_ptr<platform::LayoutConstraint> KBLayoutGuideConstraint(
    platform::ViewController& controller) {
  return controller.associatedObject<platform::LayoutConstraint>(kGuideKey);
}

void setKBLayoutGuideConstraint(platform::ViewController& controller,
                                std::shared_ptr<platform::LayoutConstraint> constraint) {
  if (!constraint) {
    controller.removeAssociatedValue(kGuideKey);
    return;
  }
  controller.setAssociatedValue(kGuideKey, std::move(constraint));
}

}  // namespace sprout
