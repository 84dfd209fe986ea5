#include "ui/support/constraints/ViewArrayCMAdditions.h"

#include "platform/foundation/Log.h"
#include "platform/ui/View.h"
#include "ui/support/constraints/CMConstraintMaker.h"

namespace sprout {
namespace {

using Op = std::vector<CMConstraint::Ptr> (*)(const std::shared_ptr<platform::View>&,
                                              const CMMakerBlock&);

std::vector<CMConstraint::Ptr> each(const CMViews& views, const CMMakerBlock& block, Op op) {
  std::vector<CMConstraint::Ptr> all;
  for (const auto& v : views) {
    if (!v) continue;
    auto installed = op(v, block);
    all.insert(all.end(), installed.begin(), installed.end());
  }
  return all;
}

// The views to spread and their common superview, or nothing (logged) when they have none.
std::shared_ptr<platform::View> superviewToSpreadIn(const CMViews& views) {
  if (views.size() < 2) return nullptr;
  auto super = cm_commonSuperviewOfViews(views);
  if (!super) {
    platform::log(platform::LogLevel::Warning, "CMConstraintMaker",
                  "views to distribute share no superview; nothing is distributed");
  }
  return super;
}

struct Axis {
  long lead, trail, length;
  explicit Axis(long axis)
      : lead(axis == 0 ? platform::LayoutAttributeLeft : platform::LayoutAttributeTop),
        trail(axis == 0 ? platform::LayoutAttributeRight : platform::LayoutAttributeBottom),
        length(axis == 0 ? platform::LayoutAttributeWidth : platform::LayoutAttributeHeight) {}
};

}  // namespace

std::vector<CMConstraint::Ptr> cm_makeConstraints(const CMViews& views, const CMMakerBlock& b) {
  return each(views, b, &cm_makeConstraints);
}
std::vector<CMConstraint::Ptr> cm_updateConstraints(const CMViews& views, const CMMakerBlock& b) {
  return each(views, b, &cm_updateConstraints);
}
std::vector<CMConstraint::Ptr> cm_remakeConstraints(const CMViews& views, const CMMakerBlock& b) {
  return each(views, b, &cm_remakeConstraints);
}

std::shared_ptr<platform::View> cm_commonSuperviewOfViews(const CMViews& views) {
  std::shared_ptr<platform::View> common;
  bool first = true;
  for (const auto& v : views) {
    if (!v) continue;
    common = first ? v : cm_closestCommonSuperview(v, common);
    first = false;
  }
  return common;
}

void cm_distributeViewsAlongAxis(const CMViews& views, long axis, CMFixedSpacing spacing,
                                 double leadSpacing, double tailSpacing) {
  auto super = superviewToSpreadIn(views);
  if (!super) return;
  const Axis a(axis);
  std::shared_ptr<platform::View> previous;
  for (std::size_t i = 0; i < views.size(); ++i) {
    const auto& v = views[i];
    cm_makeConstraints(v, [&](CMConstraintMaker& make) {
      if (!previous) {
        make.addConstraintWithLayoutAttribute(a.lead)
            ->equalTo(cm_attribute(super, a.lead))
            ->offset(leadSpacing);
        return;
      }
      make.addConstraintWithLayoutAttribute(a.length)->equalTo(cm_attribute(previous, a.length));
      make.addConstraintWithLayoutAttribute(a.lead)
          ->equalTo(cm_attribute(previous, a.trail))
          ->offset(spacing.spacing);
      if (i + 1 == views.size()) {
        make.addConstraintWithLayoutAttribute(a.trail)
            ->equalTo(cm_attribute(super, a.trail))
            ->offset(-tailSpacing);
      }
    });
    previous = v;
  }
}

void cm_distributeViewsAlongAxis(const CMViews& views, long axis, CMFixedItemLength length,
                                 double leadSpacing, double tailSpacing) {
  auto super = superviewToSpreadIn(views);
  if (!super) return;
  const Axis a(axis);
  const double last = static_cast<double>(views.size() - 1);
  for (std::size_t i = 0; i < views.size(); ++i) {
    const double index = static_cast<double>(i);
    cm_makeConstraints(views[i], [&](CMConstraintMaker& make) {
      make.addConstraintWithLayoutAttribute(a.length)->equalTo(length.length);
      if (i == 0) {
        make.addConstraintWithLayoutAttribute(a.lead)
            ->equalTo(cm_attribute(super, a.lead))
            ->offset(leadSpacing);
      } else if (i + 1 == views.size()) {
        make.addConstraintWithLayoutAttribute(a.trail)
            ->equalTo(cm_attribute(super, a.trail))
            ->offset(-tailSpacing);
      } else {  // in floating point: the far edges run evenly whatever the count
        const double share = index / last;
        const double offset =
            (1 - share) * (length.length + leadSpacing) - index * tailSpacing / last;
        make.addConstraintWithLayoutAttribute(a.trail)
            ->equalTo(cm_attribute(super, a.trail))
            ->multipliedBy(share)
            ->offset(offset);
      }
    });
  }
}

}  // namespace sprout
