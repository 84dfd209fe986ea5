#pragma once

#include <memory>
#include <vector>

#include "ui/support/constraints/ViewCMAdditions.h"

namespace platform {
class View;
}

namespace sprout {

using CMViews = std::vector<std::shared_ptr<platform::View>>;

// The view operations run on every view in order; all installed constraints in one list.
std::vector<CMConstraint::Ptr> cm_makeConstraints(const CMViews& views, const CMMakerBlock& block);
std::vector<CMConstraint::Ptr> cm_updateConstraints(const CMViews& views,
                                                    const CMMakerBlock& block);
std::vector<CMConstraint::Ptr> cm_remakeConstraints(const CMViews& views,
                                                    const CMMakerBlock& block);

// The closest common superview of all the views (null entries are left out); null for none.
std::shared_ptr<platform::View> cm_commonSuperviewOfViews(const CMViews& views);

// Axis: 0 horizontal, anything else vertical.
struct CMFixedSpacing {
  double spacing;
};
struct CMFixedItemLength {
  double length;
};
// Equal lengths, gaps of exactly `spacing`, from lead spacing to tail spacing.
void cm_distributeViewsAlongAxis(const CMViews& views, long axis, CMFixedSpacing spacing,
                                 double leadSpacing, double tailSpacing);
// Every view `length` long, their far edges spread evenly from lead to tail spacing.
void cm_distributeViewsAlongAxis(const CMViews& views, long axis, CMFixedItemLength length,
                                 double leadSpacing, double tailSpacing);

}  // namespace sprout
