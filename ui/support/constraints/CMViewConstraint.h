#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/support/constraints/CMConstraint.h"
#include "ui/support/constraints/CMLayoutConstraint.h"
#include "ui/support/constraints/CMViewAttribute.h"

namespace platform {
class View;
}

namespace sprout {

// One attribute of one view related to a value or another attribute; it makes and owns one
// platform constraint, so uninstalling and installing again reuses it.
class CMViewConstraint : public CMConstraint {
 public:
  static std::shared_ptr<CMViewConstraint> create(CMViewAttribute firstViewAttribute);
  // A new constraint with the same first attribute, constant, relation, priority, multiplier
  // and delegate (not the second attribute, key or platform constraint).
  std::shared_ptr<CMViewConstraint> copy() const;

  // The constraints installed with `view` as their first view (order not defined).
  static std::vector<std::shared_ptr<CMViewConstraint>> installedConstraintsForView(
      platform::View& view);

  const CMViewAttribute& firstViewAttribute() const { return first_; }
  const std::optional<CMViewAttribute>& secondViewAttribute() const { return second_; }
  // A view becomes that view's attribute of the same kind, a boxed value sets the constant.
  void setSecondViewAttribute(const CMConstraintTarget& target);
  long layoutRelation() const { return relation_; }
  double layoutMultiplier() const { return multiplier_; }
  double layoutConstant() const { return constant_; }
  // Reaches an installed platform constraint at once.
  void setLayoutConstant(double constant);
  float layoutPriority() const { return priority_; }
  const std::string& cm_key() const { return key_; }
  std::shared_ptr<CMLayoutConstraint> layoutConstraint() const { return layoutConstraint_; }
  std::shared_ptr<platform::View> installedView() const { return installedView_.lock(); }
  bool hasBeenInstalled() const { return layoutConstraint_ && layoutConstraint_->isActive(); }
  bool isActive() const { return !layoutConstraint_ || layoutConstraint_->isActive(); }

  Ptr addConstraintWithLayoutAttribute(long layoutAttribute) override;
  Ptr multipliedBy(double multiplier) override;
  Ptr dividedBy(double divider) override;
  Ptr priority(float priority) override;
  Ptr equalToWithRelation(const CMConstraintTarget& target, long relation) override;
  Ptr key(const std::string& key) override;
  void setInsets(const platform::EdgeInsets& insets) override;
  void setSizeOffset(const platform::Size& size) override;
  void setCenterOffset(const platform::Point& point) override;
  void setOffset(double offset) override { setLayoutConstant(offset); }
  void activate() override { install(); }
  void deactivate() override { uninstall(); }
  void install() override;
  void uninstall() override;

 private:
  explicit CMViewConstraint(CMViewAttribute first) : first_(std::move(first)) {}
  std::shared_ptr<CMLayoutConstraint> similarTo(platform::View& installedView,
                                                const CMLayoutConstraint& candidate) const;
  void enterInstalledSet(bool enter);

  CMViewAttribute first_;
  std::optional<CMViewAttribute> second_;
  long relation_ = 0;
  double multiplier_ = 1;
  double constant_ = 0;
  float priority_ = platform::kLayoutPriorityRequired;
  std::string key_;
  std::shared_ptr<CMLayoutConstraint> layoutConstraint_;
  std::weak_ptr<platform::View> installedView_;
};

}  // namespace sprout
