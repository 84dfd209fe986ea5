#include "platform/layout/LayoutGuide.h"

#include <algorithm>

#include "platform/layout/LayoutEngine.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"

namespace platform {
namespace {

// The guide kept in `held` while it still belongs to the controller's current view, else a new one.
std::shared_ptr<LayoutGuide> guide(ViewController& controller, std::shared_ptr<LayoutGuide>& held,
                                   std::shared_ptr<LayoutGuide> (*make)(std::shared_ptr<View>)) {
  auto view = controller.view();
  if (held && held->owningView() == view) return held;
  auto made = make(view);
  held = made;
  return made;
}

}  // namespace

void LayoutGuide::setLength(double length) {
  if (length == length_) return;
  length_ = length;
  LayoutEngine::noteChange(owningView().get());
}

std::shared_ptr<LayoutGuide> topLayoutGuide(ViewController& controller) {
  return guide(controller, controller.topLayoutGuide_, [](std::shared_ptr<View> view) {
    const Rect bar = ApplicationWindows::shared().statusBarFrame();
    const double thickness = std::min(bar.size.width, bar.size.height);
    return Object::make<LayoutGuide>(LayoutGuide::Edge::Top, std::move(view), thickness);
  });
}

std::shared_ptr<LayoutGuide> bottomLayoutGuide(ViewController& controller) {
  return guide(controller, controller.bottomLayoutGuide_, [](std::shared_ptr<View> view) {
    return Object::make<LayoutGuide>(LayoutGuide::Edge::Bottom, std::move(view), 0.0);
  });
}

}  // namespace platform
