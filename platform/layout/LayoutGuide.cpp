#include "platform/layout/LayoutGuide.h"

#include <algorithm>

#include "platform/layout/LayoutEngine.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"

namespace platform {
namespace {

using GuideKey = AssociatedKey<std::shared_ptr<LayoutGuide>>;
constexpr GuideKey kTopGuideKey{"platform.layout.topLayoutGuide"};
constexpr GuideKey kBottomGuideKey{"platform.layout.bottomLayoutGuide"};

std::shared_ptr<LayoutGuide> guide(ViewController& controller, const GuideKey& key,
                                   std::shared_ptr<LayoutGuide> (*make)(std::shared_ptr<View>)) {
  auto view = controller.view();
  const auto* existing = controller.associated(key);
  if (existing && *existing && (*existing)->owningView() == view) return *existing;
  auto made = make(view);
  controller.setAssociated(key, made);
  return made;
}

}  // namespace

void LayoutGuide::setLength(double length) {
  if (length == length_) return;
  length_ = length;
  LayoutEngine::noteChange(owningView().get());
}

std::shared_ptr<LayoutGuide> topLayoutGuide(ViewController& controller) {
  return guide(controller, kTopGuideKey, [](std::shared_ptr<View> view) {
    const Rect bar = ApplicationWindows::shared().statusBarFrame();
    const double thickness = std::min(bar.size.width, bar.size.height);
    return Object::make<LayoutGuide>(LayoutGuide::Edge::Top, std::move(view), thickness);
  });
}

std::shared_ptr<LayoutGuide> bottomLayoutGuide(ViewController& controller) {
  return guide(controller, kBottomGuideKey, [](std::shared_ptr<View> view) {
    return Object::make<LayoutGuide>(LayoutGuide::Edge::Bottom, std::move(view), 0.0);
  });
}

}  // namespace platform
