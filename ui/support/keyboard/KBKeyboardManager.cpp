#include "ui/support/keyboard/KBKeyboardManager.h"

#include <algorithm>
#include <cstdio>

#include "platform/ui/KeyboardSimulator.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextView.h"
#include "ui/support/keyboard/KBKeyWindow.h"
#include "ui/support/keyboard/KBLoggedScope.h"
#include "ui/support/keyboard/KBResources.h"

namespace sprout {

using platform::ClassRegistry;
using platform::Notification;

std::shared_ptr<KBKeyboardManager> KBKeyboardManager::sharedManager() {
  static const auto* const kShared =
      new std::shared_ptr<KBKeyboardManager>(make<KBKeyboardManager>());  // lives until exit
  return *kShared;
}

KBKeyboardManager::~KBKeyboardManager() {
  // Put back what was moved; the notification tokens end the observations.
  if (enable_) avoidance_.restore();
}

void KBKeyboardManager::didInit() {
  Object::didInit();
  std::weak_ptr<KBKeyboardManager> weak = self<KBKeyboardManager>();
  auto action = [weak](void (KBKeyboardManager::*method)(platform::Object&)) {
    return [weak, method](platform::BarButtonItem& sender) {
      if (auto self = weak.lock()) ((*self).*method)(sender);
    };
  };
  toolbar_.setActions({action(&KBKeyboardManager::previousAction),
                       action(&KBKeyboardManager::nextAction),
                       action(&KBKeyboardManager::doneAction)});
  static bool wired = false;  // only the first manager ever made listens
  if (!wired) {
    wired = true;
    startUp();
  }
}

void KBKeyboardManager::startUp() {
  auto& center = platform::NotificationCenter::defaultCenter();
  std::weak_ptr<KBKeyboardManager> weak = self<KBKeyboardManager>();
  auto on = [&](const char* name, void (KBKeyboardManager::*handler)(const Notification*)) {
    observers_.push_back(center.addObserver(name, nullptr, [weak, handler](const Notification& n) {
      if (auto self = weak.lock()) ((*self).*handler)(&n);
    }));
  };
  on(platform::kKeyboardWillShowNotification, &KBKeyboardManager::keyboardWillShow);
  on(platform::kKeyboardDidShowNotification, &KBKeyboardManager::keyboardDidShow);
  on(platform::kKeyboardWillHideNotification, &KBKeyboardManager::keyboardWillHide);
  on(platform::kKeyboardDidHideNotification, &KBKeyboardManager::keyboardDidHide);
  registerTextFieldViewClass(ClassRegistry::of<platform::TextField>(),
                             platform::kTextFieldTextDidBeginEditingNotification,
                             platform::kTextFieldTextDidEndEditingNotification);
  registerTextFieldViewClass(ClassRegistry::of<platform::TextView>(),
                             platform::kTextViewTextDidBeginEditingNotification,
                             platform::kTextViewTextDidEndEditingNotification);
  auto onRef = [&](const char* name, void (KBKeyboardManager::*handler)(const Notification&)) {
    observers_.push_back(center.addObserver(name, nullptr, [weak, handler](const Notification& n) {
      if (auto self = weak.lock()) ((*self).*handler)(n);
    }));
  };
  onRef(platform::kApplicationWillChangeStatusBarOrientationNotification,
        &KBKeyboardManager::willChangeStatusBarOrientation);
  onRef(platform::kApplicationDidChangeStatusBarFrameNotification,
        &KBKeyboardManager::didChangeStatusBarFrame);
  tapGesture_ = platform::TapGestureRecognizer::create([weak](platform::GestureRecognizer& r) {
    if (auto self = weak.lock()) self->tapRecognized(r);
  });
  tapGesture_->setCancelsTouchesInView(false);
  tapGesture_->setDelegate(self<KBKeyboardManager>());
  tapGesture_->setEnabled(shouldResignOnTouchOutside_);
}

void KBKeyboardManager::registerTextFieldViewClass(const platform::ObjectClass& cls,
                                                   const std::string& didBegin,
                                                   const std::string& didEnd) {
  registeredClasses_.insert(cls);
  auto& center = platform::NotificationCenter::defaultCenter();
  std::weak_ptr<KBKeyboardManager> weak = self<KBKeyboardManager>();
  observers_.push_back(center.addObserver(didBegin, nullptr, [weak](const Notification& n) {
    if (auto self = weak.lock()) self->textFieldViewDidBeginEditing(n);
  }));
  observers_.push_back(center.addObserver(didEnd, nullptr, [weak](const Notification& n) {
    if (auto self = weak.lock()) self->textFieldViewDidEndEditing(n);
  }));
}

void KBKeyboardManager::setEnable(bool enable) {
  if (!enable && enable_) {
    keyboardWillHide(nullptr);  // puts back what was moved while still counted as enabled
    // The editing cycle ends with it: enabling again captures the screen afresh, so the root
    // view is never restored to a frame taken while it was moved, nor left moved.
    avoidance_.endCycle();
    enable_ = false;
    showLog(keyboardManagerText("disabled"));
  } else if (!enable) {
    showLog(keyboardManagerText("already disabled"));
  } else if (enable_) {
    showLog(keyboardManagerText("already enabled"));
  } else {
    enable_ = true;
    if (kbShowNotification_) {
      auto remembered = *kbShowNotification_;
      keyboardWillShow(&remembered);
    }
    showLog(keyboardManagerText("enabled"));
  }
}

void KBKeyboardManager::setKeyboardDistanceFromTextField(double distance) {
  keyboardDistanceFromTextField_ = std::max(distance, 0.0);
  char text[64];
  std::snprintf(text, sizeof text, "keyboardDistanceFromTextField: %.2f",
                keyboardDistanceFromTextField_);
  showLog(text);
}

void KBKeyboardManager::setShouldResignOnTouchOutside(bool resign) {
  showLog(std::string("shouldResignOnTouchOutside: ") + (resign ? "Yes" : "No"));
  shouldResignOnTouchOutside_ = resign;
  if (tapGesture_) tapGesture_->setEnabled(privateShouldResignOnTouchOutside());
}

void KBKeyboardManager::setEnableAutoToolbar(bool enable) {
  enableAutoToolbar_ = enable;
  showLog(std::string("enableAutoToolbar: ") + (enable ? "Yes" : "No"));
  if (privateIsEnableAutoToolbar()) {
    addToolbarIfRequired();
  } else {
    removeToolbarIfRequired();
  }
}

bool KBKeyboardManager::resolve(bool flag, const platform::ClassSet& enabled,
                                const platform::ClassSet& disabled) {
  auto field = textFieldView();
  auto controller = field ? viewController(*field) : nullptr;
  if (!controller) return flag;
  bool r = flag;
  if (!r && enabled.matches(*controller)) r = true;
  if (r && disabled.matches(*controller)) r = false;
  return r;
}

bool KBKeyboardManager::privateIsEnabled() {
  return resolve(enable_, settings_.enabledDistanceHandlingClasses,
                 settings_.disabledDistanceHandlingClasses);
}
bool KBKeyboardManager::privateIsEnableAutoToolbar() {
  return resolve(enableAutoToolbar_, settings_.enabledToolbarClasses,
                 settings_.disabledToolbarClasses);
}
bool KBKeyboardManager::privateShouldResignOnTouchOutside() {
  return resolve(shouldResignOnTouchOutside_, settings_.enabledTouchResignedClasses,
                 settings_.disabledTouchResignedClasses);
}

std::shared_ptr<platform::Window> KBKeyboardManager::keyWindow() const {
  return keyboardKeyWindow(textFieldView().get());
}

void KBKeyboardManager::showLog(const std::string& message) const {
  keyboardShowLog(settings_, message);
}

}  // namespace sprout
