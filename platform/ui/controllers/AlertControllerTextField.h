#pragma once

#include "platform/ui/text/TextField.h"

namespace platform {

// The text field an alert shows (the platform calls this class "_UIAlertControllerTextField").
class AlertControllerTextField : public TextField {
 public:
  static std::shared_ptr<AlertControllerTextField> create() {
    return make<AlertControllerTextField>();
  }

  explicit AlertControllerTextField(Key key) : TextField(std::move(key), {}) {}
};

}  // namespace platform
