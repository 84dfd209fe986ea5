#pragma once

#include <memory>
#include <vector>

#include "platform/graphics/Geometry.h"
#include "platform/layout/LayoutAttribute.h"

namespace platform {

class LayoutConstraint;
class View;

// What a view carries for constraint layout, kept beside the view's own fields.

// The active constraints installed on the view (each at the closest common ancestor of its
// items).
const std::vector<std::shared_ptr<LayoutConstraint>>& constraints(const View& view);

// On (the default), the view's frame is held where it is set (autoresizing moves it); off, its
// constraints place it.
bool translatesAutoresizingMaskIntoConstraints(const View& view);
void setTranslatesAutoresizingMaskIntoConstraints(View& view, bool translates);

// Insets of the margin attributes; 8 on every side by default.
EdgeInsets layoutMargins(const View& view);
void setLayoutMargins(View& view, const EdgeInsets& margins);

// How strongly the view keeps to its intrinsic content size: hugging (not larger, 250 by
// default) and compression resistance (not smaller, 750 by default).
LayoutPriority contentHuggingPriority(const View& view, LayoutAxis axis);
void setContentHuggingPriority(View& view, LayoutPriority priority, LayoutAxis axis);
LayoutPriority contentCompressionResistancePriority(const View& view, LayoutAxis axis);
void setContentCompressionResistancePriority(View& view, LayoutPriority priority, LayoutAxis axis);

// `a` itself, or the nearest ancestor of `a` that `b` descends from; null without one.
std::shared_ptr<View> closestCommonAncestor(const std::shared_ptr<View>& a,
                                            const std::shared_ptr<View>& b);

}  // namespace platform
