#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "ui/support/constraints/CMCompositeConstraint.h"
#include "ui/support/constraints/CMConstraint.h"

namespace platform {
class View;
}

namespace sprout {

// Attribute masks: bit n stands for layout attribute n.
inline constexpr unsigned long kCMAttributesEdges = 0x1E;    // left, right, top, bottom
inline constexpr unsigned long kCMAttributesSize = 0x180;    // width, height
inline constexpr unsigned long kCMAttributesCenter = 0x600;  // centerX, centerY

// Collects the constraints a block describes for one view, then installs them: made afresh,
// updated in place (update) or after removing what was installed before (remake).
class CMConstraintMaker : public CMConstraintDelegate,
                          public std::enable_shared_from_this<CMConstraintMaker> {
 public:
  static std::shared_ptr<CMConstraintMaker> create(const std::shared_ptr<platform::View>& view);

  CMConstraint::Ptr left() { return add(platform::LayoutAttributeLeft); }
  CMConstraint::Ptr top() { return add(platform::LayoutAttributeTop); }
  CMConstraint::Ptr right() { return add(platform::LayoutAttributeRight); }
  CMConstraint::Ptr bottom() { return add(platform::LayoutAttributeBottom); }
  CMConstraint::Ptr leading() { return add(platform::LayoutAttributeLeading); }
  CMConstraint::Ptr trailing() { return add(platform::LayoutAttributeTrailing); }
  CMConstraint::Ptr width() { return add(platform::LayoutAttributeWidth); }
  CMConstraint::Ptr height() { return add(platform::LayoutAttributeHeight); }
  CMConstraint::Ptr centerX() { return add(platform::LayoutAttributeCenterX); }
  CMConstraint::Ptr centerY() { return add(platform::LayoutAttributeCenterY); }
  CMConstraint::Ptr baseline() { return add(platform::LayoutAttributeBaseline); }
  CMConstraint::Ptr leftMargin() { return add(platform::LayoutAttributeLeftMargin); }
  CMConstraint::Ptr rightMargin() { return add(platform::LayoutAttributeRightMargin); }
  CMConstraint::Ptr topMargin() { return add(platform::LayoutAttributeTopMargin); }
  CMConstraint::Ptr bottomMargin() { return add(platform::LayoutAttributeBottomMargin); }
  CMConstraint::Ptr leadingMargin() { return add(platform::LayoutAttributeLeadingMargin); }
  CMConstraint::Ptr trailingMargin() { return add(platform::LayoutAttributeTrailingMargin); }
  CMConstraint::Ptr centerXWithinMargins() {
    return add(platform::LayoutAttributeCenterXWithinMargins);
  }
  CMConstraint::Ptr centerYWithinMargins() {
    return add(platform::LayoutAttributeCenterYWithinMargins);
  }
  CMConstraint::Ptr edges() { return addConstraintWithAttributes(kCMAttributesEdges); }
  CMConstraint::Ptr size() { return addConstraintWithAttributes(kCMAttributesSize); }
  CMConstraint::Ptr center() { return addConstraintWithAttributes(kCMAttributesCenter); }
  CMConstraint::Ptr attributes(unsigned long mask) { return addConstraintWithAttributes(mask); }
  // A group of what the block adds; those stay in the list, the group itself is not added.
  std::shared_ptr<CMCompositeConstraint> group(const std::function<void()>& block);

  CMConstraint::Ptr addConstraintWithLayoutAttribute(long attribute) { return add(attribute); }
  CMConstraint::Ptr addConstraintWithAttributes(unsigned long mask);
  std::vector<CMConstraint::Ptr> install();

  const std::vector<CMConstraint::Ptr>& constraints() const { return constraints_; }
  std::shared_ptr<platform::View> view() const { return view_.lock(); }
  bool updateExisting() const { return updateExisting_; }
  void setUpdateExisting(bool v) { updateExisting_ = v; }
  bool removeExisting() const { return removeExisting_; }
  void setRemoveExisting(bool v) { removeExisting_ = v; }

  void constraint(const CMConstraint::Ptr& constraint,
                  const CMConstraint::Ptr& replacement) override;
  CMConstraint::Ptr constraint(const CMConstraint::Ptr& constraint, long attribute) override;

 private:
  CMConstraintMaker() = default;
  CMConstraint::Ptr add(long attribute) { return constraint(nullptr, attribute); }

  std::weak_ptr<platform::View> view_;
  std::vector<CMConstraint::Ptr> constraints_;
  bool updateExisting_ = false;
  bool removeExisting_ = false;
};

}  // namespace sprout
