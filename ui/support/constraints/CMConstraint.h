#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/graphics/Geometry.h"
#include "platform/layout/LayoutAttribute.h"
#include "ui/support/constraints/CMConstraintDelegate.h"
#include "ui/support/constraints/CMConstraintTarget.h"

namespace sprout {

// A chainable description of one or more constraints:
//   make->left()->equalTo(cm_left(other))->offset(10)->priorityHigh();
// Each step returns the constraint to go on with (which an array `equalTo` or a further
// attribute may have replaced by a group). The operations the subclasses provide raise
// platform::Exception here.
class CMConstraint : public std::enable_shared_from_this<CMConstraint> {
 public:
  using Ptr = std::shared_ptr<CMConstraint>;
  virtual ~CMConstraint() = default;

  Ptr equalTo(const CMConstraintTarget& target) { return equalToWithRelation(target, 0); }
  Ptr greaterThanOrEqualTo(const CMConstraintTarget& target) {
    return equalToWithRelation(target, 1);
  }
  Ptr lessThanOrEqualTo(const CMConstraintTarget& target) {
    return equalToWithRelation(target, -1);
  }
  Ptr cm_equalTo(const CMConstraintTarget& target) { return equalTo(target); }
  Ptr cm_greaterThanOrEqualTo(const CMConstraintTarget& target) {
    return greaterThanOrEqualTo(target);
  }
  Ptr cm_lessThanOrEqualTo(const CMConstraintTarget& target) { return lessThanOrEqualTo(target); }

  Ptr priorityLow() { return priority(platform::kLayoutPriorityDefaultLow); }
  Ptr priorityMedium() { return priority(500); }
  Ptr priorityHigh() { return priority(platform::kLayoutPriorityDefaultHigh); }
  Ptr offset(double d);
  Ptr insets(const platform::EdgeInsets& insets);
  Ptr sizeOffset(const platform::Size& size);
  Ptr centerOffset(const platform::Point& point);
  Ptr valueOffset(const CMBoxedValue& value);
  // Yields no callable: boxed offsets go through valueOffset.
  std::function<Ptr(double)> cm_offset() { return nullptr; }
  Ptr with() { return shared_from_this(); }
  Ptr and_() { return shared_from_this(); }

  Ptr left() { return addConstraintWithLayoutAttribute(platform::LayoutAttributeLeft); }
  Ptr top() { return addConstraintWithLayoutAttribute(platform::LayoutAttributeTop); }
  Ptr right() { return addConstraintWithLayoutAttribute(platform::LayoutAttributeRight); }
  Ptr bottom() { return addConstraintWithLayoutAttribute(platform::LayoutAttributeBottom); }
  Ptr leading() { return addConstraintWithLayoutAttribute(platform::LayoutAttributeLeading); }
  Ptr trailing() { return addConstraintWithLayoutAttribute(platform::LayoutAttributeTrailing); }
  Ptr width() { return addConstraintWithLayoutAttribute(platform::LayoutAttributeWidth); }
  Ptr height() { return addConstraintWithLayoutAttribute(platform::LayoutAttributeHeight); }
  Ptr centerX() { return addConstraintWithLayoutAttribute(platform::LayoutAttributeCenterX); }
  Ptr centerY() { return addConstraintWithLayoutAttribute(platform::LayoutAttributeCenterY); }
  Ptr baseline() { return addConstraintWithLayoutAttribute(platform::LayoutAttributeBaseline); }
  Ptr leftMargin() { return addConstraintWithLayoutAttribute(platform::LayoutAttributeLeftMargin); }
  Ptr rightMargin() {
    return addConstraintWithLayoutAttribute(platform::LayoutAttributeRightMargin);
  }
  Ptr topMargin() { return addConstraintWithLayoutAttribute(platform::LayoutAttributeTopMargin); }
  Ptr bottomMargin() {
    return addConstraintWithLayoutAttribute(platform::LayoutAttributeBottomMargin);
  }
  Ptr leadingMargin() {
    return addConstraintWithLayoutAttribute(platform::LayoutAttributeLeadingMargin);
  }
  Ptr trailingMargin() {
    return addConstraintWithLayoutAttribute(platform::LayoutAttributeTrailingMargin);
  }
  Ptr centerXWithinMargins() {
    return addConstraintWithLayoutAttribute(platform::LayoutAttributeCenterXWithinMargins);
  }
  Ptr centerYWithinMargins() {
    return addConstraintWithLayoutAttribute(platform::LayoutAttributeCenterYWithinMargins);
  }

  // A number sets the offset, a point the centre offset, a size the size offset, insets the
  // insets; anything else is ignored.
  void setLayoutConstantWithValue(const CMBoxedValue& value);

  // Provided by the subclasses.
  virtual Ptr addConstraintWithLayoutAttribute(long layoutAttribute);
  virtual Ptr multipliedBy(double multiplier);
  virtual Ptr dividedBy(double divider);
  virtual Ptr priority(float priority);
  virtual Ptr equalToWithRelation(const CMConstraintTarget& target, long relation);
  virtual Ptr key(const std::string& key);
  virtual void setInsets(const platform::EdgeInsets& insets);
  virtual void setSizeOffset(const platform::Size& size);
  virtual void setCenterOffset(const platform::Point& point);
  virtual void setOffset(double offset);
  virtual void activate();
  virtual void deactivate();
  virtual void install();
  virtual void uninstall();

  std::shared_ptr<CMConstraintDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<CMConstraintDelegate>& d) { delegate_ = d; }
  bool updateExisting() const { return updateExisting_; }
  void setUpdateExisting(bool v) { updateExisting_ = v; }

 protected:
  // Raises the internal-inconsistency exception naming the operation.
  [[noreturn]] static void mustOverride(const char* operation);

 private:
  std::weak_ptr<CMConstraintDelegate> delegate_;
  bool updateExisting_ = false;
};

}  // namespace sprout
