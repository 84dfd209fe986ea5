#include "platform/ui/KeyboardSimulator.h"

#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Screen.h"

namespace platform {

KeyboardSimulator& KeyboardSimulator::shared() {
  static KeyboardSimulator* instance = new KeyboardSimulator();  // lives until exit
  return *instance;
}

void KeyboardSimulator::show(double height, TimeInterval duration, int curve) {
  const Rect screen = Screen::main().bounds();
  const double top = hardware_ ? maxY(screen) : maxY(screen) - height;
  slide(makeRect(0, top, width(screen), height), duration, curve, true);
}

void KeyboardSimulator::showForResponder(double accessoryHeight) {
  accessoryHeight_ = accessoryHeight;
  show(kKeyboardHeight + accessoryHeight);
  shownForResponder_ = true;
}

void KeyboardSimulator::hide(TimeInterval duration, int curve) {
  if (!visible_) return;
  shownForResponder_ = false;
  const Rect screen = Screen::main().bounds();
  slide(makeRect(0, maxY(screen), width(screen), frame_.size.height), duration, curve, false);
}

void KeyboardSimulator::slide(const Rect& to, TimeInterval duration, int curve, bool showing) {
  const Rect screen = Screen::main().bounds();
  const Rect from = visible_ ? frame_ : makeRect(0, maxY(screen), width(screen), to.size.height);
  visible_ = showing;
  frame_ = to;
  Dictionary info;
  info[kKeyboardFrameBeginUserInfoKey] = from;
  info[kKeyboardFrameEndUserInfoKey] = to;
  info[kKeyboardAnimationDurationUserInfoKey] = duration;
  info[kKeyboardAnimationCurveUserInfoKey] = curve;
  // A slide interrupted by the next one never reports that it ended.
  RunLoop::main().cancelPerform(pendingDid_);
  NotificationCenter::defaultCenter().post(
      showing ? kKeyboardWillShowNotification : kKeyboardWillHideNotification, nullptr, info);
  pendingDid_ = RunLoop::main().performAfter(
      duration,
      [showing, info] {
        NotificationCenter::defaultCenter().post(
            showing ? kKeyboardDidShowNotification : kKeyboardDidHideNotification, nullptr, info);
      },
      RunLoopMode::Common);
}

void KeyboardSimulator::firstResponderChanged(bool requiresKeyboard, double accessoryHeight) {
  if (requiresKeyboard && !visible_) {
    showForResponder(accessoryHeight);
  } else if (requiresKeyboard && shownForResponder_ && accessoryHeight != accessoryHeight_) {
    showForResponder(accessoryHeight);
  } else if (!requiresKeyboard && visible_ && shownForResponder_) {
    hide();
    shownForResponder_ = false;
  }
}

void KeyboardSimulator::reloadInputViews(double accessoryHeight) {
  if (visible_ && shownForResponder_ && accessoryHeight != accessoryHeight_) {
    showForResponder(accessoryHeight);
  }
}

void KeyboardSimulator::reset() {
  shownForResponder_ = false;
  hardware_ = false;
  accessoryHeight_ = 0;
  RunLoop::main().cancelPerform(pendingDid_);
  pendingDid_ = 0;
  visible_ = false;
  frame_ = kRectZero;
}

}  // namespace platform
