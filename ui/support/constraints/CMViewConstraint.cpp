#include "ui/support/constraints/CMViewConstraint.h"

#include <algorithm>

#include "platform/foundation/Log.h"
#include "platform/layout/ViewLayout.h"
#include "platform/ui/View.h"
#include "ui/support/constraints/CMCompositeConstraint.h"
#include "ui/support/constraints/LayoutConstraintCMDebugAdditions.h"
#include "ui/support/constraints/ViewCMAdditions.h"

namespace sprout {
namespace {

using InstalledSet = std::vector<std::shared_ptr<CMViewConstraint>>;
constexpr platform::AssociatedKey<InstalledSet> kInstalledKey{"cm_installedConstraints"};

InstalledSet& installedSet(platform::View& view) { return view.associatedOrMake(kInstalledKey); }

// Every item the constraint was made with still exists (a missing second attribute means it was
// made without a second item).
bool itemsAlive(const CMLayoutConstraint& c) {
  if (!c.firstItem()) return false;
  return c.secondAttribute() == platform::LayoutAttributeNotAnAttribute || c.secondItem();
}

}  // namespace

std::shared_ptr<CMViewConstraint> CMViewConstraint::create(CMViewAttribute firstViewAttribute) {
  cm_installDebugDescriptions();
  return std::shared_ptr<CMViewConstraint>(new CMViewConstraint(std::move(firstViewAttribute)));
}

std::shared_ptr<CMViewConstraint> CMViewConstraint::copy() const {
  auto c = create(first_);
  c->constant_ = constant_;
  c->relation_ = relation_;
  c->priority_ = priority_;
  c->multiplier_ = multiplier_;
  c->setDelegate(delegate());
  return c;
}

std::vector<std::shared_ptr<CMViewConstraint>> CMViewConstraint::installedConstraintsForView(
    platform::View& view) {
  return installedSet(view);
}

void CMViewConstraint::setSecondViewAttribute(const CMConstraintTarget& target) {
  if (auto* boxed = std::get_if<CMBoxedValue>(&target.value)) {
    setLayoutConstantWithValue(*boxed);
  } else if (auto* view = std::get_if<std::shared_ptr<platform::View>>(&target.value)) {
    if (*view) second_ = CMViewAttribute(*view, first_.layoutAttribute());
  } else if (auto* attribute = std::get_if<CMViewAttribute>(&target.value)) {
    second_ = *attribute;
  }
}

void CMViewConstraint::setLayoutConstant(double constant) {
  constant_ = constant;
  if (layoutConstraint_) layoutConstraint_->setConstant(constant);
}

CMConstraint::Ptr CMViewConstraint::addConstraintWithLayoutAttribute(long layoutAttribute) {
  auto d = delegate();
  if (!d) return shared_from_this();
  return d->constraint(shared_from_this(), layoutAttribute);
}

CMConstraint::Ptr CMViewConstraint::multipliedBy(double multiplier) {
  multiplier_ = multiplier;
  return shared_from_this();
}

CMConstraint::Ptr CMViewConstraint::dividedBy(double divider) {
  if (divider == 0) {  // no finite multiplier: the last one stands
    platform::log(platform::LogLevel::Warning, "CMViewConstraint", "dividedBy(0) is ignored");
    return shared_from_this();
  }
  multiplier_ = 1.0 / divider;
  return shared_from_this();
}

CMConstraint::Ptr CMViewConstraint::priority(float priority) {
  priority_ = priority;
  return shared_from_this();
}

CMConstraint::Ptr CMViewConstraint::key(const std::string& key) {
  key_ = key;
  return shared_from_this();
}

CMConstraint::Ptr CMViewConstraint::equalToWithRelation(const CMConstraintTarget& target,
                                                        long relation) {
  auto* list = std::get_if<std::vector<CMConstraintTarget>>(&target.value);
  if (!list) {
    relation_ = relation;
    setSecondViewAttribute(target);
    return shared_from_this();
  }
  std::vector<CMConstraint::Ptr> children;
  for (const auto& element : *list) {
    auto c = copy();
    c->relation_ = relation;
    c->setSecondViewAttribute(element);
    children.push_back(c);
  }
  auto group = CMCompositeConstraint::create(std::move(children));
  group->setDelegate(delegate());
  if (auto d = delegate()) d->constraint(shared_from_this(), group);
  return group;
}

void CMViewConstraint::setInsets(const platform::EdgeInsets& insets) {
  switch (first_.layoutAttribute()) {
    case platform::LayoutAttributeLeft:
    case platform::LayoutAttributeLeading:
      setLayoutConstant(insets.left);
      break;
    case platform::LayoutAttributeRight:
    case platform::LayoutAttributeTrailing:
      setLayoutConstant(-insets.right);
      break;
    case platform::LayoutAttributeTop:
      setLayoutConstant(insets.top);
      break;
    case platform::LayoutAttributeBottom:
      setLayoutConstant(-insets.bottom);
      break;
    default:
      break;
  }
}

void CMViewConstraint::setSizeOffset(const platform::Size& size) {
  if (first_.layoutAttribute() == platform::LayoutAttributeWidth) setLayoutConstant(size.width);
  if (first_.layoutAttribute() == platform::LayoutAttributeHeight) setLayoutConstant(size.height);
}

void CMViewConstraint::setCenterOffset(const platform::Point& point) {
  if (first_.layoutAttribute() == platform::LayoutAttributeCenterX) setLayoutConstant(point.x);
  if (first_.layoutAttribute() == platform::LayoutAttributeCenterY) setLayoutConstant(point.y);
}

void CMViewConstraint::enterInstalledSet(bool enter) {
  auto view = first_.view();
  if (!view) return;
  auto& set = installedSet(*view);
  auto self = std::static_pointer_cast<CMViewConstraint>(shared_from_this());
  auto it = std::find(set.begin(), set.end(), self);
  if (enter && it == set.end()) set.push_back(self);
  if (!enter && it != set.end()) set.erase(it);
}

void CMViewConstraint::install() {
  if (hasBeenInstalled()) return;
  if (layoutConstraint_ && itemsAlive(*layoutConstraint_)) {
    // Uninstalled before: the same platform constraint comes back.
    layoutConstraint_->setActive(true);
    if (layoutConstraint_->isActive()) {
      enterInstalledSet(true);
      return;
    }
  }
  // An item of the old one is gone (or it cannot be active again): it is never reused, the
  // operands are taken afresh from the views as they are now.
  layoutConstraint_.reset();
  installedView_.reset();
  auto firstView = first_.view();
  if (!firstView) return;
  std::shared_ptr<platform::Object> secondItem = second_ ? second_->item() : nullptr;
  long secondAttribute = second_ ? second_->layoutAttribute() : 0;
  if (!first_.isSizeAttribute() && !second_) {
    secondItem = firstView->superview();
    secondAttribute = first_.layoutAttribute();
  }
  std::shared_ptr<platform::View> installed;
  if (second_) {
    installed = cm_closestCommonSuperview(firstView, second_->view());
  } else {
    installed = first_.isSizeAttribute() ? firstView : firstView->superview();
  }
  auto platformConstraint = CMLayoutConstraint::create(
      first_.item(), static_cast<platform::LayoutAttribute>(first_.layoutAttribute()),
      static_cast<platform::LayoutRelation>(relation_), secondItem,
      static_cast<platform::LayoutAttribute>(secondAttribute), multiplier_, constant_);
  platformConstraint->setPriority(priority_);
  platformConstraint->setCm_key(key_);
  if (!installed) {
    platform::log(platform::LogLevel::Warning, "CMViewConstraint",
                  "not installed, no view to hold it (no superview, or no common ancestor): " +
                      platformConstraint->description());
    return;
  }
  if (updateExisting()) {
    if (auto existing = similarTo(*installed, *platformConstraint)) {
      existing->setConstant(constant_);
      layoutConstraint_ = existing;
      installedView_ = installed;
      return;
    }
  }
  platformConstraint->setActive(true);
  if (!platformConstraint->isActive()) return;  // logged by the platform
  layoutConstraint_ = platformConstraint;
  installedView_ = installed;
  enterInstalledSet(true);
}

std::shared_ptr<CMLayoutConstraint> CMViewConstraint::similarTo(
    platform::View& installedView, const CMLayoutConstraint& candidate) const {
  const auto& list = platform::constraints(installedView);
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    auto c = std::dynamic_pointer_cast<CMLayoutConstraint>(*it);
    if (!c) continue;
    if (c->firstItem() == candidate.firstItem() && c->secondItem() == candidate.secondItem() &&
        c->firstAttribute() == candidate.firstAttribute() &&
        c->secondAttribute() == candidate.secondAttribute() &&
        c->relation() == candidate.relation() && c->multiplier() == candidate.multiplier() &&
        c->priority() == candidate.priority()) {
      return c;
    }
  }
  return nullptr;
}

void CMViewConstraint::uninstall() {
  if (layoutConstraint_) layoutConstraint_->setActive(false);
  enterInstalledSet(false);
}

}  // namespace sprout
