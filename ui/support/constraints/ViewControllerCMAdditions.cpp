#include "ui/support/constraints/ViewControllerCMAdditions.h"

#include "platform/layout/LayoutGuide.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"

namespace sprout {
namespace {

CMViewAttribute onGuide(platform::ViewController& controller, bool top, long attribute) {
  auto guide = top ? platform::topLayoutGuide(controller) : platform::bottomLayoutGuide(controller);
  return CMViewAttribute(controller.view(), guide, attribute);
}

}  // namespace

CMViewAttribute cm_topLayoutGuide(platform::ViewController& c) {
  return onGuide(c, true, platform::LayoutAttributeBottom);
}
CMViewAttribute cm_topLayoutGuideTop(platform::ViewController& c) {
  return onGuide(c, true, platform::LayoutAttributeTop);
}
CMViewAttribute cm_topLayoutGuideBottom(platform::ViewController& c) {
  return onGuide(c, true, platform::LayoutAttributeBottom);
}
CMViewAttribute cm_bottomLayoutGuide(platform::ViewController& c) {
  return onGuide(c, false, platform::LayoutAttributeTop);
}
CMViewAttribute cm_bottomLayoutGuideTop(platform::ViewController& c) {
  return onGuide(c, false, platform::LayoutAttributeTop);
}
CMViewAttribute cm_bottomLayoutGuideBottom(platform::ViewController& c) {
  return onGuide(c, false, platform::LayoutAttributeBottom);
}

}  // namespace sprout
