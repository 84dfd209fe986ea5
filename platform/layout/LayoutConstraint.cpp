#include "platform/layout/LayoutConstraint.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/dispatch/MainThread.h"
#include "platform/foundation/Log.h"
#include "platform/layout/LayoutEngine.h"
#include "platform/layout/LayoutGuide.h"
#include "platform/layout/ViewLayout.h"
#include "platform/layout/ViewLayoutState.h"
#include "platform/ui/View.h"

namespace platform {
namespace {

LayoutConstraint::DescriptionProvider& provider() {
  assertMainThread("LayoutConstraint description provider");
  static LayoutConstraint::DescriptionProvider p;
  return p;
}

}  // namespace

std::shared_ptr<LayoutConstraint> LayoutConstraint::create(
    const std::shared_ptr<Object>& firstItem, LayoutAttribute firstAttribute,
    LayoutRelation relation, const std::shared_ptr<Object>& secondItem,
    LayoutAttribute secondAttribute, double multiplier, double constant) {
  auto c = Object::make<LayoutConstraint>();
  c->setUp(firstItem, firstAttribute, relation, secondItem, secondAttribute, multiplier, constant);
  return c;
}

void LayoutConstraint::setUp(const std::shared_ptr<Object>& firstItem,
                             LayoutAttribute firstAttribute, LayoutRelation relation,
                             const std::shared_ptr<Object>& secondItem,
                             LayoutAttribute secondAttribute, double multiplier, double constant) {
  firstItem_ = firstItem;
  firstAttribute_ = firstAttribute;
  relation_ = relation;
  secondItem_ = secondItem;
  secondAttribute_ = secondItem ? secondAttribute : LayoutAttributeNotAnAttribute;
  multiplier_ = std::isfinite(multiplier) ? multiplier : 1.0;
  constant_ = std::isfinite(constant) ? constant : 0.0;
}

void LayoutConstraint::activateConstraints(
    const std::vector<std::shared_ptr<LayoutConstraint>>& list) {
  for (const auto& c : list) {
    if (c) c->setActive(true);
  }
}

void LayoutConstraint::deactivateConstraints(
    const std::vector<std::shared_ptr<LayoutConstraint>>& list) {
  for (const auto& c : list) {
    if (c) c->setActive(false);
  }
}

std::shared_ptr<View> LayoutConstraint::viewOfItem(const std::shared_ptr<Object>& item) {
  if (auto view = std::dynamic_pointer_cast<View>(item)) return view;
  if (auto guide = std::dynamic_pointer_cast<LayoutGuide>(item)) return guide->owningView();
  return nullptr;
}

void LayoutConstraint::setConstant(double constant) {
  if (!std::isfinite(constant) || constant == constant_) return;
  constant_ = constant;
  if (active_) LayoutEngine::noteChange(installedView().get());
}

void LayoutConstraint::setPriority(LayoutPriority priority) {
  priority = std::clamp(priority, 1.0f, kLayoutPriorityRequired);
  if (priority == priority_) return;
  priority_ = priority;
  if (active_) LayoutEngine::noteChange(installedView().get());
}

void LayoutConstraint::setActive(bool active) {
  if (active == active_) return;
  auto self = this->self<LayoutConstraint>();
  if (!active) {
    if (auto view = installedView()) {
      auto& list = ViewLayoutState::of(*view).constraints;
      list.erase(std::remove(list.begin(), list.end(), self), list.end());
      LayoutEngine::noteChange(view.get());
    }
    installedView_.reset();
    active_ = false;
    return;
  }
  auto first = viewOfItem(firstItem());
  auto second = secondItem() ? viewOfItem(secondItem()) : first;
  auto target = closestCommonAncestor(first, second);
  if (!target) {
    log(LogLevel::Warning, "LayoutConstraint",
        "not activated, its items have no common ancestor: " + description());
    return;
  }
  static std::uint64_t activations = 0;  // main thread only, like the view tree
  ViewLayoutState::of(*target).constraints.push_back(self);
  installedView_ = target;
  active_ = true;
  activation_ = ++activations;
  LayoutEngine::noteConstraintInstalled(*target);
}

void LayoutConstraint::setDescriptionProvider(DescriptionProvider p) { provider() = std::move(p); }

std::string LayoutConstraint::description() const {
  if (provider()) return provider()(*this);
  return plainDescription();
}

std::string LayoutConstraint::plainDescription() const {
  char text[160];
  std::snprintf(text, sizeof text, "<LayoutConstraint:%p %p.%ld %s %p.%ld * %g + %g @%g>",
                static_cast<const void*>(this), static_cast<const void*>(firstItem().get()),
                static_cast<long>(firstAttribute_),
                relation_ == LayoutRelationEqual ? "=="
                : relation_ < 0                  ? "<="
                                                 : ">=",
                static_cast<const void*>(secondItem().get()), static_cast<long>(secondAttribute_),
                multiplier_, constant_, static_cast<double>(priority_));
  return identifier_.empty() ? text : identifier_ + " " + text;
}

}  // namespace platform
