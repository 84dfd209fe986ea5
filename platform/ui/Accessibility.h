#pragma once

#include <optional>
#include <string>

#include "platform/foundation/ObserverList.h"

namespace platform {

enum class AccessibilityNotification {
  ScreenChanged,  // much of the screen changed: assistive tools look at it afresh
  Announcement,   // the argument is to be spoken
};

// What an app tells assistive tools. There is no screen reader here: a post goes to the
// observers, which is where a reader (or a test) listens. Main thread only, like the views the
// posts are about.
class Accessibility {
 public:
  using Observers = ObserverList<AccessibilityNotification, const std::optional<std::string>&>;

  static void post(AccessibilityNotification notification,
                   const std::optional<std::string>& argument = std::nullopt);
  static Observers& observers();

  Accessibility() = delete;
};

}  // namespace platform
