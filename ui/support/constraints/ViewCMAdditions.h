#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/support/constraints/CMConstraint.h"
#include "ui/support/constraints/CMViewAttribute.h"

namespace platform {
class View;
}

namespace sprout {

class CMConstraintMaker;
using CMMakerBlock = std::function<void(CMConstraintMaker& make)>;

// The builder's entry points on a view: each turns off the view's autoresizing translation,
// runs the block with a maker for the view and installs what it described.
std::vector<CMConstraint::Ptr> cm_makeConstraints(const std::shared_ptr<platform::View>& view,
                                                  const CMMakerBlock& block);
// Equivalent installed constraints take the new constants; the rest are added.
std::vector<CMConstraint::Ptr> cm_updateConstraints(const std::shared_ptr<platform::View>& view,
                                                    const CMMakerBlock& block);
// Everything the builder installed on the view goes first.
std::vector<CMConstraint::Ptr> cm_remakeConstraints(const std::shared_ptr<platform::View>& view,
                                                    const CMMakerBlock& block);

// The view's attributes as right-hand sides.
CMViewAttribute cm_attribute(const std::shared_ptr<platform::View>& view, long layoutAttribute);
CMViewAttribute cm_left(const std::shared_ptr<platform::View>& view);
CMViewAttribute cm_top(const std::shared_ptr<platform::View>& view);
CMViewAttribute cm_right(const std::shared_ptr<platform::View>& view);
CMViewAttribute cm_bottom(const std::shared_ptr<platform::View>& view);
CMViewAttribute cm_leading(const std::shared_ptr<platform::View>& view);
CMViewAttribute cm_trailing(const std::shared_ptr<platform::View>& view);
CMViewAttribute cm_width(const std::shared_ptr<platform::View>& view);
CMViewAttribute cm_height(const std::shared_ptr<platform::View>& view);
CMViewAttribute cm_centerX(const std::shared_ptr<platform::View>& view);
CMViewAttribute cm_centerY(const std::shared_ptr<platform::View>& view);
CMViewAttribute cm_baseline(const std::shared_ptr<platform::View>& view);
CMViewAttribute cm_leftMargin(const std::shared_ptr<platform::View>& view);
CMViewAttribute cm_rightMargin(const std::shared_ptr<platform::View>& view);
CMViewAttribute cm_topMargin(const std::shared_ptr<platform::View>& view);
CMViewAttribute cm_bottomMargin(const std::shared_ptr<platform::View>& view);
CMViewAttribute cm_leadingMargin(const std::shared_ptr<platform::View>& view);
CMViewAttribute cm_trailingMargin(const std::shared_ptr<platform::View>& view);
CMViewAttribute cm_centerXWithinMargins(const std::shared_ptr<platform::View>& view);
CMViewAttribute cm_centerYWithinMargins(const std::shared_ptr<platform::View>& view);

// The nearest view that is (or contains) both; null for none, or for no other view.
std::shared_ptr<platform::View> cm_closestCommonSuperview(
    const std::shared_ptr<platform::View>& view, const std::shared_ptr<platform::View>& other);

// The view's debug key, shown by constraint descriptions; empty for none.
std::string cm_key(const platform::View& view);
void setCm_key(platform::View& view, std::string key);

}  // namespace sprout
