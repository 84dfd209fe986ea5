#pragma once

#include "ui/support/constraints/CMViewAttribute.h"

namespace platform {
class ViewController;
}

namespace sprout {

// Right-hand sides on a controller's layout guides (the pair's view is the controller's view).
CMViewAttribute cm_topLayoutGuide(platform::ViewController& controller);  // its bottom
CMViewAttribute cm_topLayoutGuideTop(platform::ViewController& controller);
CMViewAttribute cm_topLayoutGuideBottom(platform::ViewController& controller);
CMViewAttribute cm_bottomLayoutGuide(platform::ViewController& controller);  // its top
CMViewAttribute cm_bottomLayoutGuideTop(platform::ViewController& controller);
CMViewAttribute cm_bottomLayoutGuideBottom(platform::ViewController& controller);

}  // namespace sprout
