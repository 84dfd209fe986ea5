#pragma once

#include <memory>

namespace sprout {

class CMConstraint;

// Who holds a constraint in a list (the maker, or a group) and so can swap it or grow it.
class CMConstraintDelegate {
 public:
  virtual ~CMConstraintDelegate() = default;
  // constraint:shouldBeReplacedWithConstraint:
  virtual void constraint(const std::shared_ptr<CMConstraint>& constraint,
                          const std::shared_ptr<CMConstraint>& replacement) = 0;
  // constraint:addConstraintWithLayoutAttribute: (`constraint` may be null)
  virtual std::shared_ptr<CMConstraint> constraint(const std::shared_ptr<CMConstraint>& constraint,
                                                   long layoutAttribute) = 0;
};

}  // namespace sprout
