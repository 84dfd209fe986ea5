#include "platform/ui/Accessibility.h"

namespace platform {

Accessibility::Observers& Accessibility::observers() {
  // Never destroyed: a subscription held by a static may end after this would have.
  static auto* list = new Observers();
  return *list;
}

void Accessibility::post(AccessibilityNotification notification,
                         const std::optional<std::string>& argument) {
  observers().notify(notification, argument);
}

}  // namespace platform
