// The keyboard manager's reactions to notifications, taps and toolbar buttons.
#include <cstdio>

#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Control.h"
#include "platform/ui/Device.h"
#include "platform/ui/KeyboardSimulator.h"
#include "platform/ui/Screen.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/text/TextView.h"
#include "ui/support/keyboard/KBKeyboardManager.h"
#include "ui/support/keyboard/KBLogText.h"
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

bool isZero(const Rect& r) { return r == platform::kRectZero; }

}  // namespace

void KBKeyboardManager::applyPopGestureRule() {
  auto root = rootViewController();
  if (!fixPopGesture_ || !root) return;
  if (!std::dynamic_pointer_cast<platform::NavigationController>(root) || isSheet(*root)) return;
  auto window = keyWindow();
  if (!window) return;
  topViewBeginRect_.origin = {0, height(window->frame()) - height(root->view()->frame())};
}

void KBKeyboardManager::captureRootView() {
  auto field = textFieldView();
  if (!field) return;
  auto controller = viewController(*field);
  auto guide = controller ? KBLayoutGuideConstraint(*controller) : nullptr;
  layoutGuideConstraint_ = guide;
  layoutGuideConstraintInitialConstant_ = guide ? guide->constant() : 0;
  auto root = topMostController(*field);
  if (!root) {
    if (auto window = keyWindow()) root = topMostController(*window);
  }
  rootViewController_ = root;
  if (!root) return;
  topViewBeginRect_ = root->view()->frame();
  applyPopGestureRule();
  showLog("Saving " + KBDescription(*root) + " beginning Frame: " + describe(topViewBeginRect_));
}

void KBKeyboardManager::readDuration(const Notification* n) {
  if (!n) return;
  const double d = numberValue(*n, platform::kKeyboardAnimationDurationUserInfoKey).value_or(0);
  if (d != 0) animationDuration_ = d;
}

void KBKeyboardManager::textFieldViewDidBeginEditing(const Notification& n) {
  const LoggedScope logged(*this, "textFieldViewDidBeginEditing:");
  auto field = std::dynamic_pointer_cast<platform::View>(
      std::static_pointer_cast<platform::Object>(n.object));
  textFieldView_ = field;
  if (!field) return;
  if (overrideAppearance_) {
    auto appearance = keyboardAppearanceOf(*field);
    if (appearance && *appearance != appearance_) {
      setKeyboardAppearanceOf(*field, appearance_);
      field->reloadInputViews();
    }
  }
  if (!privateIsEnableAutoToolbar()) {
    removeToolbarIfRequired();
  } else if (isTextView(*field) && !field->inputAccessoryView()) {
    // A text view has already brought the keyboard up: once its toolbar is on, the keyboard
    // takes its height again.
    std::weak_ptr<platform::View> weakField = field;
    std::weak_ptr<KBKeyboardManager> weak = self<KBKeyboardManager>();
    platform::View::animate(
        0.00001, 0, animationCurve_ | platform::ViewAnimationOptionBeginFromCurrentState,
        [weak] {
          if (auto self = weak.lock()) self->addToolbarIfRequired();
        },
        [weakField](bool) {
          if (auto f = weakField.lock()) f->reloadInputViews();
        });
  } else {
    addToolbarIfRequired();
  }
  if (privateIsEnabled()) {
    if (auto window = field->window()) window->addGestureRecognizer(tapGesture_);
    if (isZero(topViewBeginRect_)) captureRootView();
    if (keyboardShowing_ && !isAlertViewTextField(*field)) adjustFrame();
  }
}

void KBKeyboardManager::restoreTextViewInsets() {
  auto text = std::dynamic_pointer_cast<platform::TextView>(textFieldView());
  if (!isTextViewContentInsetChanged_ || !text) return;
  isTextViewContentInsetChanged_ = false;
  showLog("Restoring " + KBDescription(*text) +
          " textView.contentInset to : " + describe(startingTextViewContentInsets_));
  const auto insets = startingTextViewContentInsets_;
  const auto indicators = startingTextViewScrollIndicatorInsets_;
  animate([text, insets, indicators] {
    text->setContentInset(insets);
    text->setScrollIndicatorInsets(indicators);
  });
}

void KBKeyboardManager::textFieldViewDidEndEditing(const Notification& /*n*/) {
  const LoggedScope logged(*this, "textFieldViewDidEndEditing:");
  if (auto window = tapGesture_->view()) window->removeGestureRecognizer(tapGesture_.get());
  restoreTextViewInsets();
  textFieldView_.reset();
}

void KBKeyboardManager::keyboardWillShow(const Notification* n) {
  const LoggedScope logged(*this, "keyboardWillShow:");
  if (n) kbShowNotification_ = *n;
  keyboardShowing_ = true;
  if (!privateIsEnabled()) return;
  if (textFieldView() && isZero(topViewBeginRect_)) captureRootView();
  if (n) {
    const auto curve = numberValue(*n, platform::kKeyboardAnimationCurveUserInfoKey).value_or(0);
    animationCurve_ = static_cast<unsigned>(curve) << 16;
  }
  readDuration(n);
  const platform::Size old = kbSize_;
  const Rect screen = platform::Screen::main().bounds();
  const Rect end =
      n ? rectValue(*n, platform::kKeyboardFrameEndUserInfoKey).value_or(platform::kRectNull)
        : platform::kRectNull;
  const Rect visible = platform::intersection(end, screen);
  kbSize_ = isNull(visible) ? platform::Size{width(screen), 0} : visible.size;
  auto field = textFieldView();
  if (!sameSize(kbSize_, old) && field && !isAlertViewTextField(*field)) adjustFrame();
}

void KBKeyboardManager::keyboardDidShow(const Notification* /*n*/) {
  const LoggedScope logged(*this, "keyboardDidShow:");
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
  const LoggedScope logged(*this, "keyboardWillHide:");
  if (n) kbShowNotification_.reset();
  // The keyboard is going whether or not this screen is handled.
  keyboardShowing_ = false;
  if (!privateIsEnabled()) return;
  readDuration(n);
  restoreOnHide();
}

void KBKeyboardManager::keyboardDidHide(const Notification* /*n*/) {
  const LoggedScope logged(*this, "keyboardDidHide:");
  topViewBeginRect_ = platform::kRectZero;
}

void KBKeyboardManager::willChangeStatusBarOrientation(const Notification& /*n*/) {
  const LoggedScope logged(*this, "willChangeStatusBarOrientation:");
  restoreTextViewInsets();
}

void KBKeyboardManager::didChangeStatusBarFrame(const Notification& n) {
  const LoggedScope logged(*this, "didChangeStatusBarFrame:");
  const platform::Size old = statusBarFrame_.size;
  statusBarFrame_ =
      rectValue(n, platform::kApplicationStatusBarFrameUserInfoKey).value_or(platform::kRectZero);
  if (privateIsEnabled()) {
    auto root = rootViewController();
    if (root && !(root->view()->frame() == topViewBeginRect_)) {
      // The place to restore to is where the view would be unmoved, not where it is now.
      Rect begin = root->view()->frame();
      begin.origin.y += movedDistance_;
      topViewBeginRect_ = begin;
      applyPopGestureRule();
      showLog("Saving " + KBDescription(*root) +
              " beginning Frame: " + describe(topViewBeginRect_));
    }
  }
  auto field = textFieldView();
  if (keyboardShowing_ && field && !sameSize(old, statusBarFrame_.size) &&
      !isAlertViewTextField(*field)) {
    adjustFrame();
  }
}

void KBKeyboardManager::reloadLayoutIfNeeded() {
  auto field = textFieldView();
  if (privateIsEnabled() && field && keyboardShowing_ && !isZero(topViewBeginRect_) &&
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
