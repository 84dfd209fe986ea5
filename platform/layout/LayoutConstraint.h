#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/Object.h"
#include "platform/layout/LayoutAttribute.h"

namespace platform {

class View;

// firstItem.firstAttribute relation secondItem.secondAttribute * multiplier + constant, at a
// priority. Items are views or layout guides, held weakly (the view the constraint is installed
// on owns it). Activation installs it on the closest common ancestor of its items, where the
// layout pass solves it with every other active constraint of the tree.
class LayoutConstraint : public Object {
 public:
  static std::shared_ptr<LayoutConstraint> create(const std::shared_ptr<Object>& firstItem,
                                                  LayoutAttribute firstAttribute,
                                                  LayoutRelation relation,
                                                  const std::shared_ptr<Object>& secondItem,
                                                  LayoutAttribute secondAttribute,
                                                  double multiplier, double constant);

  static void activateConstraints(const std::vector<std::shared_ptr<LayoutConstraint>>& list);
  static void deactivateConstraints(const std::vector<std::shared_ptr<LayoutConstraint>>& list);

  // The views of `views` placed by a visual format string such as "H:|-8-[title]-[button(44)]-|"
  // (edges, spacings, sizes as numbers or names of `metrics`); a bad string is an Error naming
  // what is wrong and where.
  static Result<std::vector<std::shared_ptr<LayoutConstraint>>> constraintsWithVisualFormat(
      const std::string& format, unsigned options, const std::map<std::string, double>& metrics,
      const std::map<std::string, std::shared_ptr<View>>& views);

  std::shared_ptr<Object> firstItem() const { return firstItem_.lock(); }
  LayoutAttribute firstAttribute() const { return firstAttribute_; }
  LayoutRelation relation() const { return relation_; }
  std::shared_ptr<Object> secondItem() const { return secondItem_.lock(); }
  LayoutAttribute secondAttribute() const { return secondAttribute_; }
  double multiplier() const { return multiplier_; }

  double constant() const { return constant_; }
  // Takes effect in the next layout pass, incrementally.
  void setConstant(double constant);
  LayoutPriority priority() const { return priority_; }
  void setPriority(LayoutPriority priority);  // clamped to 1...1000

  bool isActive() const { return active_; }
  // Without a common ancestor of its items the constraint stays inactive (logged).
  void setActive(bool active);
  // The view the active constraint is installed on.
  std::shared_ptr<View> installedView() const { return installedView_.lock(); }
  // Rises with every activation in the process: the layout engine places constraints in this
  // order, so a solution never depends on which view holds a constraint.
  std::uint64_t activationOrder() const { return activation_; }

  const std::string& identifier() const { return identifier_; }
  void setIdentifier(std::string identifier) { identifier_ = std::move(identifier); }

  // The text describing a constraint, for every constraint of the process; nullptr restores
  // the plain one.
  using DescriptionProvider = std::function<std::string(const LayoutConstraint&)>;
  static void setDescriptionProvider(DescriptionProvider provider);
  std::string description() const;
  std::string plainDescription() const;

  // The view an item places: the view itself, or a layout guide's owning view.
  static std::shared_ptr<View> viewOfItem(const std::shared_ptr<Object>& item);

  explicit LayoutConstraint(Key key) : Object(std::move(key)) {}

 protected:
  // What create() sets, for subclasses made with Object::make.
  void setUp(const std::shared_ptr<Object>& firstItem, LayoutAttribute firstAttribute,
             LayoutRelation relation, const std::shared_ptr<Object>& secondItem,
             LayoutAttribute secondAttribute, double multiplier, double constant);

 private:
  std::weak_ptr<Object> firstItem_;
  std::weak_ptr<Object> secondItem_;
  LayoutAttribute firstAttribute_ = LayoutAttributeNotAnAttribute;
  LayoutAttribute secondAttribute_ = LayoutAttributeNotAnAttribute;
  LayoutRelation relation_ = LayoutRelationEqual;
  double multiplier_ = 1;
  double constant_ = 0;
  LayoutPriority priority_ = kLayoutPriorityRequired;
  bool active_ = false;
  std::uint64_t activation_ = 0;
  std::weak_ptr<View> installedView_;
  std::string identifier_;
};

}  // namespace platform
