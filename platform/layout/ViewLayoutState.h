#pragma once

#include <memory>
#include <vector>

#include "platform/graphics/Geometry.h"
#include "platform/layout/LayoutAttribute.h"

namespace platform {

class LayoutConstraint;
class View;

// Per-view layout data, held by the view itself (View keeps it opaque: ui sits below layout).
struct ViewLayoutState {
  std::vector<std::shared_ptr<LayoutConstraint>> constraints;
  EdgeInsets margins{8, 8, 8, 8};
  LayoutPriority hugging[2] = {kLayoutPriorityDefaultLow, kLayoutPriorityDefaultLow};
  LayoutPriority compression[2] = {kLayoutPriorityDefaultHigh, kLayoutPriorityDefaultHigh};
  bool translatesAutoresizingMask = true;

  // Null when the view never had any.
  static const ViewLayoutState* find(const View& view);
  static ViewLayoutState& of(View& view);
};

}  // namespace platform
