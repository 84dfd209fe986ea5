#include "ui/support/constraints/ViewCMAdditions.h"

#include "platform/layout/ViewLayout.h"
#include "platform/ui/View.h"
#include "ui/support/constraints/CMConstraintMaker.h"

namespace sprout {
namespace {

constexpr platform::AssociatedKey<std::string> kKeyKey{"cm_key"};

std::vector<CMConstraint::Ptr> run(const std::shared_ptr<platform::View>& view,
                                   const CMMakerBlock& block, bool update, bool remove) {
  if (!view) return {};
  platform::setTranslatesAutoresizingMaskIntoConstraints(*view, false);
  auto maker = CMConstraintMaker::create(view);
  maker->setUpdateExisting(update);
  maker->setRemoveExisting(remove);
  if (block) block(*maker);
  return maker->install();
}

}  // namespace

std::vector<CMConstraint::Ptr> cm_makeConstraints(const std::shared_ptr<platform::View>& view,
                                                  const CMMakerBlock& block) {
  return run(view, block, false, false);
}

std::vector<CMConstraint::Ptr> cm_updateConstraints(const std::shared_ptr<platform::View>& view,
                                                    const CMMakerBlock& block) {
  return run(view, block, true, false);
}

std::vector<CMConstraint::Ptr> cm_remakeConstraints(const std::shared_ptr<platform::View>& view,
                                                    const CMMakerBlock& block) {
  return run(view, block, false, true);
}

CMViewAttribute cm_attribute(const std::shared_ptr<platform::View>& view, long layoutAttribute) {
  return CMViewAttribute(view, layoutAttribute);
}

#define CM_PAIR(name, attribute)                                      \
  CMViewAttribute name(const std::shared_ptr<platform::View>& view) { \
    return CMViewAttribute(view, platform::attribute);                \
  }
CM_PAIR(cm_left, LayoutAttributeLeft)
CM_PAIR(cm_top, LayoutAttributeTop)
CM_PAIR(cm_right, LayoutAttributeRight)
CM_PAIR(cm_bottom, LayoutAttributeBottom)
CM_PAIR(cm_leading, LayoutAttributeLeading)
CM_PAIR(cm_trailing, LayoutAttributeTrailing)
CM_PAIR(cm_width, LayoutAttributeWidth)
CM_PAIR(cm_height, LayoutAttributeHeight)
CM_PAIR(cm_centerX, LayoutAttributeCenterX)
CM_PAIR(cm_centerY, LayoutAttributeCenterY)
CM_PAIR(cm_baseline, LayoutAttributeBaseline)
CM_PAIR(cm_leftMargin, LayoutAttributeLeftMargin)
CM_PAIR(cm_rightMargin, LayoutAttributeRightMargin)
CM_PAIR(cm_topMargin, LayoutAttributeTopMargin)
CM_PAIR(cm_bottomMargin, LayoutAttributeBottomMargin)
CM_PAIR(cm_leadingMargin, LayoutAttributeLeadingMargin)
CM_PAIR(cm_trailingMargin, LayoutAttributeTrailingMargin)
CM_PAIR(cm_centerXWithinMargins, LayoutAttributeCenterXWithinMargins)
CM_PAIR(cm_centerYWithinMargins, LayoutAttributeCenterYWithinMargins)
#undef CM_PAIR

std::shared_ptr<platform::View> cm_closestCommonSuperview(
    const std::shared_ptr<platform::View>& view, const std::shared_ptr<platform::View>& other) {
  if (!view || !other) return nullptr;
  for (auto b = other; b; b = b->superview()) {
    for (auto a = view; a; a = a->superview()) {
      if (a == b) return b;
    }
  }
  return nullptr;
}

std::string cm_key(const platform::View& view) {
  const std::string* key = view.associated(kKeyKey);
  return key ? *key : std::string();
}

void setCm_key(platform::View& view, std::string key) {
  if (key.empty()) {
    view.removeAssociated(kKeyKey);
  } else {
    view.setAssociated(kKeyKey, std::move(key));
  }
}

}  // namespace sprout
