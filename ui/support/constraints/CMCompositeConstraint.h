#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/support/constraints/CMConstraint.h"

namespace sprout {

// Several constraints driven as one: every chain operation goes to each child in order.
class CMCompositeConstraint : public CMConstraint, public CMConstraintDelegate {
 public:
  // Makes itself the delegate of every child.
  static std::shared_ptr<CMCompositeConstraint> create(std::vector<CMConstraint::Ptr> children);

  const std::vector<CMConstraint::Ptr>& childConstraints() const { return children_; }
  const std::string& cm_key() const { return key_; }

  Ptr addConstraintWithLayoutAttribute(long layoutAttribute) override;
  Ptr multipliedBy(double multiplier) override;
  Ptr dividedBy(double divider) override;
  Ptr priority(float priority) override;
  Ptr equalToWithRelation(const CMConstraintTarget& target, long relation) override;
  // Child i gets "<key>[i]".
  Ptr key(const std::string& key) override;
  void setInsets(const platform::EdgeInsets& insets) override;
  void setSizeOffset(const platform::Size& size) override;
  void setCenterOffset(const platform::Point& point) override;
  void setOffset(double offset) override;
  void activate() override;
  void deactivate() override;
  void install() override;
  void uninstall() override;

  // As the children's delegate. A replacement or an addition also reaches this group's own
  // delegate, so a maker that lists the children itself (a `group`) keeps up.
  void constraint(const CMConstraint::Ptr& constraint,
                  const CMConstraint::Ptr& replacement) override;
  CMConstraint::Ptr constraint(const CMConstraint::Ptr& constraint, long layoutAttribute) override;

 private:
  CMCompositeConstraint() = default;
  template <class F>
  Ptr each(F f) {
    for (const auto& c : std::vector<CMConstraint::Ptr>(children_)) f(*c);
    return shared_from_this();
  }
  std::shared_ptr<CMCompositeConstraint> self() {
    return std::static_pointer_cast<CMCompositeConstraint>(shared_from_this());
  }

  std::vector<CMConstraint::Ptr> children_;
  std::string key_;
};

}  // namespace sprout
