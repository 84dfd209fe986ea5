#pragma once

#include <memory>
#include <vector>

#include "platform/foundation/Types.h"
#include "platform/ui/ViewTypes.h"

namespace platform {

class View;

enum class ViewAnimationTransition {
  None = 0,
  FlipFromLeft = 1,
  FlipFromRight = 2,
  CurlUp = 3,
  CurlDown = 4
};

// Whole-view transitions (a flip as the camera turns) are not drawn here: each is recorded so
// what was asked for can be checked. Main thread only.
class ViewTransitionLog {
 public:
  struct Entry {
    std::weak_ptr<View> view;
    ViewAnimationTransition transition = ViewAnimationTransition::None;
    TimeInterval duration = 0;
    ViewAnimationCurve curve = ViewAnimationCurve::EaseInOut;
    bool cache = false;
  };

  static void record(Entry entry);
  static const std::vector<Entry>& entries();
  static void clear();
};

}  // namespace platform
