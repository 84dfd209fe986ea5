#include "ui/support/keyboard/KBKeyboardManager.h"

#include <algorithm>
#include <cstdio>

#include "platform/ui/KeyboardSimulator.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextView.h"
#include "ui/support/keyboard/KBBarButtonItem.h"
#include "ui/support/keyboard/KBKeyWindow.h"
#include "ui/support/keyboard/KBLoggedScope.h"
#include "ui/support/keyboard/KBPreviousNextView.h"
#include "ui/support/keyboard/KBResources.h"
#include "ui/support/keyboard/KBTextView.h"
#include "ui/support/keyboard/KBTitleBarButtonItem.h"
#include "ui/support/keyboard/KBToolbar.h"

namespace sprout {
namespace {

using platform::ClassRegistry;
using platform::Notification;

void registerKeyboardClasses() {
  auto& registry = ClassRegistry::shared();
  registry.add<KBPreviousNextView>("KBPreviousNextView");
  registry.add<KBToolbar>("KBToolbar");
  registry.add<KBBarButtonItem>("KBBarButtonItem");
  registry.add<KBTitleBarButtonItem>("KBTitleBarButtonItem");
  registry.add<KBTextView>("KBTextView");
}

}  // namespace

std::shared_ptr<KBKeyboardManager> KBKeyboardManager::sharedManager() {
  static const auto* const kShared =
      new std::shared_ptr<KBKeyboardManager>(make<KBKeyboardManager>());  // lives until exit
  return *kShared;
}

KBKeyboardManager::~KBKeyboardManager() {
  // Put back what was moved; the notification tokens end the observations.
  if (settings_.enable) avoidance_.restore();
}

void KBKeyboardManager::didInit() {
  Object::didInit();
  registerKeyboardClasses();
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
  auto& registry = ClassRegistry::shared();
  registerTextFieldViewClass(registry.named("TextField"),
                             platform::kTextFieldTextDidBeginEditingNotification,
                             platform::kTextFieldTextDidEndEditingNotification);
  registerTextFieldViewClass(registry.named("TextView"),
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
  tapGesture_->setEnabled(settings_.shouldResignOnTouchOutside);
  settings_.disabledDistanceHandlingClasses = {registry.named("TableViewController")};
  settings_.toolbarPreviousNextAllowedClasses = {registry.named("TableView"),
                                                 registry.named("CollectionView"),
                                                 registry.named("KBPreviousNextView")};
}

void KBKeyboardManager::registerTextFieldViewClass(const platform::ObjectClass* cls,
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
  if (!enable && settings_.enable) {
    keyboardWillHide(nullptr);  // puts back what was moved while still counted as enabled
    // The editing cycle ends with it: enabling again captures the screen afresh, so the root
    // view is never restored to a frame taken while it was moved, nor left moved.
    avoidance_.endCycle();
    settings_.enable = false;
    showLog(keyboardManagerText("disabled"));
  } else if (!enable) {
    showLog(keyboardManagerText("already disabled"));
  } else if (settings_.enable) {
    showLog(keyboardManagerText("already enabled"));
  } else {
    settings_.enable = true;
    if (kbShowNotification_) {
      auto remembered = *kbShowNotification_;
      keyboardWillShow(&remembered);
    }
    showLog(keyboardManagerText("enabled"));
  }
}

void KBKeyboardManager::setKeyboardDistanceFromTextField(double distance) {
  settings_.keyboardDistanceFromTextField = std::max(distance, 0.0);
  char text[64];
  std::snprintf(text, sizeof text, "keyboardDistanceFromTextField: %.2f",
                settings_.keyboardDistanceFromTextField);
  showLog(text);
}

void KBKeyboardManager::setShouldResignOnTouchOutside(bool resign) {
  showLog(std::string("shouldResignOnTouchOutside: ") + (resign ? "Yes" : "No"));
  settings_.shouldResignOnTouchOutside = resign;
  if (tapGesture_) tapGesture_->setEnabled(privateShouldResignOnTouchOutside());
}

void KBKeyboardManager::setEnableAutoToolbar(bool enable) {
  settings_.enableAutoToolbar = enable;
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
  return resolve(settings_.enable, settings_.enabledDistanceHandlingClasses,
                 settings_.disabledDistanceHandlingClasses);
}
bool KBKeyboardManager::privateIsEnableAutoToolbar() {
  return resolve(settings_.enableAutoToolbar, settings_.enabledToolbarClasses,
                 settings_.disabledToolbarClasses);
}
bool KBKeyboardManager::privateShouldResignOnTouchOutside() {
  return resolve(settings_.shouldResignOnTouchOutside, settings_.enabledTouchResignedClasses,
                 settings_.disabledTouchResignedClasses);
}

std::shared_ptr<platform::Window> KBKeyboardManager::keyWindow() const {
  return keyboardKeyWindow(textFieldView().get());
}

void KBKeyboardManager::showLog(const std::string& message) const {
  keyboardShowLog(settings_, message);
}

}  // namespace sprout
