// The keyboard manager's reactions to notifications, taps and toolbar buttons.
#include <cstdio>

#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Control.h"
#include "platform/ui/Device.h"
#include "platform/ui/KeyboardSimulator.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/text/TextView.h"
#include "ui/support/keyboard/KBKeyboardManager.h"
#include "ui/support/keyboard/KBLoggedScope.h"
#include "ui/support/keyboard/KBNotificationInfo.h"
#include "ui/support/keyboard/KBTextInput.h"
#include "ui/support/keyboard/KBToolbarAddition.h"
#include "ui/support/keyboard/KBViewAdditions.h"

namespace sprout {
namespace {

using platform::ModalPresentationStyle;
using platform::Notification;
using platform::Rect;

bool isSheet(const platform::ViewController& c) {
  return c.modalPresentationStyle() == ModalPresentationStyle::FormSheet ||
         c.modalPresentationStyle() == ModalPresentationStyle::PageSheet;
}

bool sameSize(const platform::Size& a, const platform::Size& b) {
  return a.width == b.width && a.height == b.height;
}

}  // namespace

void KBKeyboardManager::textFieldViewDidBeginEditing(const Notification& n) {
  const KBLoggedScope logged(settings_, "textFieldViewDidBeginEditing:");
  auto field = std::dynamic_pointer_cast<platform::View>(
      std::static_pointer_cast<platform::Object>(n.object));
  textFieldView_ = field;
  if (!field) return;
  if (settings_.overrideKeyboardAppearance) {
    auto appearance = keyboardAppearanceOf(*field);
    if (appearance && *appearance != settings_.keyboardAppearance) {
      setKeyboardAppearanceOf(*field, settings_.keyboardAppearance);
      field->reloadInputViews();
    }
  }
  addToolbarForBeginEditing(field);
  if (privateIsEnabled()) {
    if (auto window = field->window()) window->addGestureRecognizer(tapGesture_);
    if (!avoidance_.inCycle()) avoidance_.capture(field);
    if (keyboardShowing_ && !isAlertViewTextField(*field)) adjustFrame();
  }
}

void KBKeyboardManager::addToolbarForBeginEditing(const std::shared_ptr<platform::View>& field) {
  if (!privateIsEnableAutoToolbar()) {
    removeToolbarIfRequired();
  } else if (isTextView(*field) && !field->inputAccessoryView()) {
    // A text view has already brought the keyboard up: once its toolbar is on, the keyboard
    // takes its height again.
    std::weak_ptr<platform::View> weakField = field;
    std::weak_ptr<KBKeyboardManager> weak = self<KBKeyboardManager>();
    platform::View::animate(
        0.00001, 0,
        avoidance_.animationCurve() | platform::ViewAnimationOptionBeginFromCurrentState,
        [weak] {
          if (auto self = weak.lock()) self->addToolbarIfRequired();
        },
        [weakField](bool) {
          if (auto f = weakField.lock()) f->reloadInputViews();
        });
  } else {
    addToolbarIfRequired();
  }
}

void KBKeyboardManager::textFieldViewDidEndEditing(const Notification& /*n*/) {
  const KBLoggedScope logged(settings_, "textFieldViewDidEndEditing:");
  if (auto window = tapGesture_->view()) window->removeGestureRecognizer(tapGesture_.get());
  avoidance_.restoreTextView(textFieldView());
  textFieldView_.reset();
}

void KBKeyboardManager::keyboardWillShow(const Notification* n) {
  const KBLoggedScope logged(settings_, "keyboardWillShow:");
  if (n) kbShowNotification_ = *n;
  keyboardShowing_ = true;
  if (!privateIsEnabled()) return;
  auto field = textFieldView();
  if (field && !avoidance_.inCycle()) avoidance_.capture(field);
  const bool resized = avoidance_.readKeyboardWillShow(n);
  if (resized && field && !isAlertViewTextField(*field)) adjustFrame();
}

void KBKeyboardManager::keyboardDidShow(const Notification* /*n*/) {
  const KBLoggedScope logged(settings_, "keyboardDidShow:");
  if (!privateIsEnabled()) return;
  auto field = textFieldView();
  if (!field) return;
  auto controller = topMostController(*field);
  if (!controller) {
    if (auto window = keyWindow()) controller = topMostController(*window);
  }
  // Sheets are moved once the keyboard is up.
  if (keyboardShowing_ && controller && isSheet(*controller) && !isAlertViewTextField(*field)) {
    adjustFrame();
  }
}

void KBKeyboardManager::keyboardWillHide(const Notification* n) {
  const KBLoggedScope logged(settings_, "keyboardWillHide:");
  if (n) kbShowNotification_.reset();
  // The keyboard is going whether or not this screen is handled.
  keyboardShowing_ = false;
  if (!privateIsEnabled()) return;
  avoidance_.readDuration(n);
  avoidance_.restore();
}

void KBKeyboardManager::keyboardDidHide(const Notification* /*n*/) {
  const KBLoggedScope logged(settings_, "keyboardDidHide:");
  avoidance_.endCycle();
}

void KBKeyboardManager::willChangeStatusBarOrientation(const Notification& /*n*/) {
  const KBLoggedScope logged(settings_, "willChangeStatusBarOrientation:");
  avoidance_.restoreTextView(textFieldView());
}

void KBKeyboardManager::didChangeStatusBarFrame(const Notification& n) {
  const KBLoggedScope logged(settings_, "didChangeStatusBarFrame:");
  const platform::Size old = statusBarFrame_.size;
  statusBarFrame_ =
      rectValue(n, platform::kApplicationStatusBarFrameUserInfoKey).value_or(platform::kRectZero);
  if (privateIsEnabled()) avoidance_.recaptureRootFrame(textFieldView());
  auto field = textFieldView();
  if (keyboardShowing_ && field && !sameSize(old, statusBarFrame_.size) &&
      !isAlertViewTextField(*field)) {
    adjustFrame();
  }
}

void KBKeyboardManager::reloadLayoutIfNeeded() {
  auto field = textFieldView();
  if (privateIsEnabled() && field && keyboardShowing_ && avoidance_.inCycle() &&
      !isAlertViewTextField(*field)) {
    adjustFrame();
  }
}

void KBKeyboardManager::tapRecognized(platform::GestureRecognizer& recognizer) {
  if (recognizer.state() == platform::GestureRecognizerState::Ended) resignFirstResponder();
}

bool KBKeyboardManager::gestureRecognizerShouldRecognizeSimultaneously(
    platform::GestureRecognizer& /*recognizer*/, platform::GestureRecognizer& /*other*/) {
  return false;
}

bool KBKeyboardManager::gestureRecognizerShouldReceiveTouch(
    platform::GestureRecognizer& /*recognizer*/, const platform::Touch& touch) {
  auto view = touch.view();
  if (dynamic_cast<platform::Control*>(view.get())) return false;
  for (; view; view = view->superview()) {
    if (dynamic_cast<platform::NavigationBar*>(view.get())) return false;
  }
  return true;
}

}  // namespace sprout
