#include "ui/support/constraints/CMLayoutConstraint.h"

namespace sprout {

std::shared_ptr<CMLayoutConstraint> CMLayoutConstraint::create(
    const std::shared_ptr<platform::Object>& firstItem, platform::LayoutAttribute firstAttribute,
    platform::LayoutRelation relation, const std::shared_ptr<platform::Object>& secondItem,
    platform::LayoutAttribute secondAttribute, double multiplier, double constant) {
  auto c = platform::Object::make<CMLayoutConstraint>();
  c->setUp(firstItem, firstAttribute, relation, secondItem, secondAttribute, multiplier, constant);
  return c;
}

}  // namespace sprout
