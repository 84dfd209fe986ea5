#pragma once

#include <cstdint>

#include "platform/foundation/Types.h"
#include "platform/graphics/Geometry.h"

namespace platform {

inline constexpr const char* kKeyboardWillShowNotification = "UIKeyboardWillShowNotification";
inline constexpr const char* kKeyboardDidShowNotification = "UIKeyboardDidShowNotification";
inline constexpr const char* kKeyboardWillHideNotification = "UIKeyboardWillHideNotification";
inline constexpr const char* kKeyboardDidHideNotification = "UIKeyboardDidHideNotification";
inline constexpr const char* kKeyboardFrameBeginUserInfoKey = "UIKeyboardFrameBeginUserInfoKey";
inline constexpr const char* kKeyboardFrameEndUserInfoKey = "UIKeyboardFrameEndUserInfoKey";
inline constexpr const char* kKeyboardAnimationDurationUserInfoKey =
    "UIKeyboardAnimationDurationUserInfoKey";
inline constexpr const char* kKeyboardAnimationCurveUserInfoKey =
    "UIKeyboardAnimationCurveUserInfoKey";

// The platform's own keyboard curve, which is not one of the four named ones.
inline constexpr int kKeyboardAnimationCurve = 7;

// Stands in for the software keyboard: slides it up from, or down to, the bottom of the main
// screen, posting the will-notification at once and the did-notification when the slide ends on
// the clock (from the main run loop). User info: begin and end frames (Rect, screen
// coordinates), duration (double) and curve (int). Main thread only.
//
// Shown for a first responder, the keyboard is kKeyboardHeight tall plus the responder's input
// accessory view. With a hardware keyboard attached the notifications still come, but the frame
// lies below the screen (only its bottom edge touches it).
class KeyboardSimulator {
 public:
  static KeyboardSimulator& shared();

  static constexpr double kKeyboardHeight = 216;
  static constexpr TimeInterval kDuration = 0.25;

  void show(double height = kKeyboardHeight, TimeInterval duration = kDuration,
            int curve = kKeyboardAnimationCurve);
  void hide(TimeInterval duration = 0.25, int curve = kKeyboardAnimationCurve);
  bool isVisible() const { return visible_; }
  // Where the keyboard is (or is going), in screen coordinates; off the bottom when hidden.
  Rect frame() const { return frame_; }
  void reset();  // hidden, no notifications (tests)
  // Told by Responder whenever the first responder changes: shows the keyboard for one that
  // requires it and hides a keyboard it had shown that way once none does (a keyboard shown by
  // hand stays).
  // A responder that takes over from another with a different accessory height slides the
  // keyboard (and posts will-show again).
  void firstResponderChanged(bool requiresKeyboard, double accessoryHeight = 0);
  // The first responder's accessory view changed: a keyboard it shows slides to the new height.
  void reloadInputViews(double accessoryHeight);
  bool isHardwareKeyboardAttached() const { return hardware_; }
  void setHardwareKeyboardAttached(bool attached) { hardware_ = attached; }

 private:
  KeyboardSimulator() = default;
  void slide(const Rect& to, TimeInterval duration, int curve, bool showing);
  void showForResponder(double accessoryHeight);

  bool visible_ = false;
  bool shownForResponder_ = false;
  bool hardware_ = false;
  double accessoryHeight_ = 0;
  Rect frame_ = kRectZero;
  std::uint64_t pendingDid_ = 0;
};

}  // namespace platform
