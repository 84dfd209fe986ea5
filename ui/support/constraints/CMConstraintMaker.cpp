#include "ui/support/constraints/CMConstraintMaker.h"

#include <algorithm>

#include "platform/ui/View.h"
#include "ui/support/constraints/CMViewConstraint.h"
#include "ui/support/constraints/ViewCMAdditions.h"

namespace sprout {

std::shared_ptr<CMConstraintMaker> CMConstraintMaker::create(
    const std::shared_ptr<platform::View>& view) {
  auto maker = std::shared_ptr<CMConstraintMaker>(new CMConstraintMaker());
  maker->view_ = view;
  return maker;
}

CMConstraint::Ptr CMConstraintMaker::constraint(const CMConstraint::Ptr& constraint,
                                                long attribute) {
  auto made = CMViewConstraint::create(cm_attribute(view(), attribute));
  if (std::dynamic_pointer_cast<CMViewConstraint>(constraint)) {
    // A further attribute chained onto a single one: both become a group in its place.
    auto group = CMCompositeConstraint::create({constraint, made});
    group->setDelegate(shared_from_this());
    this->constraint(constraint, group);
    return group;
  }
  if (!constraint) {
    made->setDelegate(shared_from_this());
    constraints_.push_back(made);
    return made;
  }
  // A group adopts the new one itself; one made by `group` lists its members here, so the
  // addition must be listed too or it would never be installed.
  if (std::find(constraints_.begin(), constraints_.end(), constraint) == constraints_.end()) {
    constraints_.push_back(made);
  }
  return made;
}

void CMConstraintMaker::constraint(const CMConstraint::Ptr& constraint,
                                   const CMConstraint::Ptr& replacement) {
  auto it = std::find(constraints_.begin(), constraints_.end(), constraint);
  if (it != constraints_.end()) *it = replacement;  // one not listed here has nothing to swap
}

CMConstraint::Ptr CMConstraintMaker::addConstraintWithAttributes(unsigned long mask) {
  std::vector<CMConstraint::Ptr> children;
  for (long bit = 1; bit <= 20; ++bit) {
    if (bit == 12 || !(mask & (1UL << bit))) continue;
    children.push_back(CMViewConstraint::create(cm_attribute(view(), bit)));
  }
  auto group = CMCompositeConstraint::create(std::move(children));
  group->setDelegate(shared_from_this());
  constraints_.push_back(group);
  return group;
}

std::shared_ptr<CMCompositeConstraint> CMConstraintMaker::group(
    const std::function<void()>& block) {
  const std::size_t before = constraints_.size();
  if (block) block();
  std::vector<CMConstraint::Ptr> added;
  if (constraints_.size() > before) {
    added.assign(constraints_.begin() + static_cast<std::ptrdiff_t>(before), constraints_.end());
  }
  auto group = CMCompositeConstraint::create(std::move(added));
  group->setDelegate(shared_from_this());
  return group;
}

std::vector<CMConstraint::Ptr> CMConstraintMaker::install() {
  if (removeExisting_) {
    if (auto v = view()) {
      for (const auto& c : CMViewConstraint::installedConstraintsForView(*v)) c->uninstall();
    }
  }
  std::vector<CMConstraint::Ptr> installed = constraints_;
  for (const auto& c : installed) {
    c->setUpdateExisting(updateExisting_);
    c->install();
  }
  constraints_.clear();
  return installed;
}

}  // namespace sprout
