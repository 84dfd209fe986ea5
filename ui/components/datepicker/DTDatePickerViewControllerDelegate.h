#pragma once

#include "platform/foundation/Date.h"

namespace sprout {

// How the picker was left: confirm, the back button, or a tap outside the panel.
enum DTDatePickerQuitMethod : unsigned long {
  DTDatePickerQuitConfirm = 0,
  DTDatePickerQuitBack = 1,
  DTDatePickerQuitCancelTouch = 2,
};

class DTDatePickerViewControllerDelegate {
 public:
  virtual ~DTDatePickerViewControllerDelegate() = default;
  // The chosen moment, seconds 0.
  virtual void dtDatePickerPickedDate(const platform::Date& date) = 0;
  virtual void dtDatePickerWillDismissWithQuitMethod(unsigned long /*method*/) {}
  virtual void dtDatePickerDidDismissWithQuitMethod(unsigned long /*method*/) {}
};

}  // namespace sprout
