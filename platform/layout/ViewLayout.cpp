#include "platform/layout/ViewLayout.h"

#include <algorithm>

#include "platform/layout/LayoutEngine.h"
#include "platform/layout/ViewLayoutState.h"
#include "platform/ui/View.h"

namespace platform {
namespace {

const ViewLayoutState& stateOrDefault(const View& view) {
  static const ViewLayoutState kDefault;
  const ViewLayoutState* state = ViewLayoutState::find(view);
  return state ? *state : kDefault;
}

int index(LayoutAxis axis) { return axis == LayoutAxis::Horizontal ? 0 : 1; }

}  // namespace

const ViewLayoutState* ViewLayoutState::find(const View& view) { return view.layoutState_.get(); }

ViewLayoutState& ViewLayoutState::of(View& view) {
  if (!view.layoutState_) view.layoutState_ = std::make_shared<ViewLayoutState>();
  return *view.layoutState_;
}

const std::vector<std::shared_ptr<LayoutConstraint>>& constraints(const View& view) {
  return stateOrDefault(view).constraints;
}

bool translatesAutoresizingMaskIntoConstraints(const View& view) {
  return stateOrDefault(view).translatesAutoresizingMask;
}

void setTranslatesAutoresizingMaskIntoConstraints(View& view, bool translates) {
  auto& state = ViewLayoutState::of(view);
  if (state.translatesAutoresizingMask == translates) return;
  state.translatesAutoresizingMask = translates;
  LayoutEngine::noteChange(&view);
}

EdgeInsets layoutMargins(const View& view) { return stateOrDefault(view).margins; }

void setLayoutMargins(View& view, const EdgeInsets& margins) {
  auto& state = ViewLayoutState::of(view);
  if (state.margins == margins) return;
  state.margins = margins;
  LayoutEngine::noteChange(&view);
}

LayoutPriority contentHuggingPriority(const View& view, LayoutAxis axis) {
  return stateOrDefault(view).hugging[index(axis)];
}

void setContentHuggingPriority(View& view, LayoutPriority priority, LayoutAxis axis) {
  ViewLayoutState::of(view).hugging[index(axis)] = std::clamp(priority, 1.0f, 1000.0f);
  LayoutEngine::noteChange(&view);
}

LayoutPriority contentCompressionResistancePriority(const View& view, LayoutAxis axis) {
  return stateOrDefault(view).compression[index(axis)];
}

void setContentCompressionResistancePriority(View& view, LayoutPriority priority, LayoutAxis axis) {
  ViewLayoutState::of(view).compression[index(axis)] = std::clamp(priority, 1.0f, 1000.0f);
  LayoutEngine::noteChange(&view);
}

std::shared_ptr<View> closestCommonAncestor(const std::shared_ptr<View>& a,
                                            const std::shared_ptr<View>& b) {
  if (!a || !b) return nullptr;
  for (auto candidate = a; candidate; candidate = candidate->superview()) {
    if (b->isDescendantOfView(candidate.get())) return candidate;
  }
  return nullptr;
}

}  // namespace platform
