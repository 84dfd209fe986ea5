#pragma once

#include <memory>
#include <optional>

#include "platform/layout/LayoutConstraint.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/scroll/ScrollView.h"

namespace sprout {

// Per-view and per-controller settings of the keyboard manager, kept in associated values.

// The gap this field keeps to the keyboard; unset means the manager's setting applies. The
// setter stores max(distance, 0).
std::optional<double> keyboardDistanceFromTextField(const platform::View& view);
void setKeyboardDistanceFromTextField(platform::View& view, std::optional<double> distance);

// Whether the scroll view gets its content offset back when the manager stops adjusting it.
bool shouldRestoreScrollViewContentOffset(const platform::ScrollView& view);
void setShouldRestoreScrollViewContentOffset(platform::ScrollView& view, bool restore);

// A constraint tying the screen's content to its top or bottom layout guide: the manager changes
// its constant instead of moving the screen's view.
std::shared_ptr<platform::LayoutConstraint> KBLayoutGuideConstraint(
    platform::ViewController& controller);
void setKBLayoutGuideConstraint(platform::ViewController& controller,
                                std::shared_ptr<platform::LayoutConstraint> constraint);

}  // namespace sprout
