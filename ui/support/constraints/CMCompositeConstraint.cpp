#include "ui/support/constraints/CMCompositeConstraint.h"

#include <algorithm>

namespace sprout {

std::shared_ptr<CMCompositeConstraint> CMCompositeConstraint::create(
    std::vector<CMConstraint::Ptr> children) {
  auto c = std::shared_ptr<CMCompositeConstraint>(new CMCompositeConstraint());
  c->children_ = std::move(children);
  for (const auto& child : c->children_) child->setDelegate(c);
  return c;
}

CMConstraint::Ptr CMCompositeConstraint::addConstraintWithLayoutAttribute(long layoutAttribute) {
  auto d = delegate();
  if (!d) return shared_from_this();
  auto added = d->constraint(shared_from_this(), layoutAttribute);
  if (added) {
    added->setDelegate(self());
    children_.push_back(added);
  }
  return shared_from_this();
}

CMConstraint::Ptr CMCompositeConstraint::multipliedBy(double m) {
  return each([&](CMConstraint& c) { c.multipliedBy(m); });
}
CMConstraint::Ptr CMCompositeConstraint::dividedBy(double d) {
  return each([&](CMConstraint& c) { c.dividedBy(d); });
}
CMConstraint::Ptr CMCompositeConstraint::priority(float p) {
  return each([&](CMConstraint& c) { c.priority(p); });
}
CMConstraint::Ptr CMCompositeConstraint::equalToWithRelation(const CMConstraintTarget& target,
                                                             long relation) {
  return each([&](CMConstraint& c) { c.equalToWithRelation(target, relation); });
}

CMConstraint::Ptr CMCompositeConstraint::key(const std::string& key) {
  key_ = key;
  for (std::size_t i = 0; i < children_.size(); ++i) {
    children_[i]->key(key + "[" + std::to_string(i) + "]");
  }
  return shared_from_this();
}

void CMCompositeConstraint::setInsets(const platform::EdgeInsets& e) {
  each([&](CMConstraint& c) { c.setInsets(e); });
}
void CMCompositeConstraint::setSizeOffset(const platform::Size& s) {
  each([&](CMConstraint& c) { c.setSizeOffset(s); });
}
void CMCompositeConstraint::setCenterOffset(const platform::Point& p) {
  each([&](CMConstraint& c) { c.setCenterOffset(p); });
}
void CMCompositeConstraint::setOffset(double d) {
  each([&](CMConstraint& c) { c.setOffset(d); });
}
void CMCompositeConstraint::activate() {
  each([](CMConstraint& c) { c.activate(); });
}
void CMCompositeConstraint::deactivate() {
  each([](CMConstraint& c) { c.deactivate(); });
}
void CMCompositeConstraint::uninstall() {
  each([](CMConstraint& c) { c.uninstall(); });
}

void CMCompositeConstraint::install() {
  each([&](CMConstraint& c) {
    c.setUpdateExisting(updateExisting());
    c.install();
  });
}

void CMCompositeConstraint::constraint(const CMConstraint::Ptr& constraint,
                                       const CMConstraint::Ptr& replacement) {
  auto it = std::find(children_.begin(), children_.end(), constraint);
  if (it == children_.end()) return;
  *it = replacement;
  replacement->setDelegate(self());
  if (auto d = delegate()) d->constraint(constraint, replacement);
}

CMConstraint::Ptr CMCompositeConstraint::constraint(const CMConstraint::Ptr& /*constraint*/,
                                                    long layoutAttribute) {
  auto d = delegate();
  if (!d) return nullptr;
  auto added = d->constraint(shared_from_this(), layoutAttribute);
  if (added) {
    added->setDelegate(self());
    children_.push_back(added);
  }
  return added;
}

}  // namespace sprout
