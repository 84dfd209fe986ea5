#include "ui/support/keyboard/KBKeyboardManager.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "platform/foundation/Log.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Device.h"
#include "platform/ui/KeyboardSimulator.h"
#include "platform/ui/Screen.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/Toolbar.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextView.h"
#include "ui/support/keyboard/KBBarButtonItem.h"
#include "ui/support/keyboard/KBNotificationInfo.h"
#include "ui/support/keyboard/KBPreviousNextView.h"
#include "ui/support/keyboard/KBResources.h"
#include "ui/support/keyboard/KBTextInput.h"
#include "ui/support/keyboard/KBTextView.h"
#include "ui/support/keyboard/KBTitleBarButtonItem.h"
#include "ui/support/keyboard/KBToolbar.h"
#include "ui/support/keyboard/KBToolbarAddition.h"

namespace sprout {
namespace {

using platform::ClassRegistry;
using platform::Notification;

// Last known key window; held weakly, so a closed window is not kept alive by the cache.
std::weak_ptr<platform::Window>& keyWindowCache() {
  static std::weak_ptr<platform::Window> cache;  // main thread only
  return cache;
}

void registerKeyboardClasses() {
  auto& registry = ClassRegistry::shared();
  registry.add<KBPreviousNextView>("KBPreviousNextView");
  registry.add<KBToolbar>("KBToolbar");
  registry.add<KBBarButtonItem>("KBBarButtonItem");
  registry.add<KBTitleBarButtonItem>("KBTitleBarButtonItem");
  registry.add<KBTextView>("KBTextView");
}

double secondsNow() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

std::shared_ptr<KBKeyboardManager> KBKeyboardManager::sharedManager() {
  static const auto* const kShared =
      new std::shared_ptr<KBKeyboardManager>(make<KBKeyboardManager>());  // lives until exit
  return *kShared;
}

KBKeyboardManager::~KBKeyboardManager() {
  // Put back what was moved; the notification tokens end the observations.
  if (enable_) restoreOnHide();
}

void KBKeyboardManager::didInit() {
  Object::didInit();
  registerKeyboardClasses();
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
  tapGesture_->setEnabled(resignOnTouchOutside_);
  disabledDistance_ = {registry.named("TableViewController")};
  previousNextAllowed_ = {registry.named("TableView"), registry.named("CollectionView"),
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

std::string KBKeyboardManager::localized(const std::string& key) const {
  return keyboardManagerText(key);
}

void KBKeyboardManager::setEnable(bool enable) {
  if (!enable && enable_) {
    keyboardWillHide(nullptr);  // puts back what was moved while still counted as enabled
    // The editing cycle ends with it: enabling again captures the screen afresh, so the root
    // view is never restored to a frame taken while it was moved, nor left moved.
    topViewBeginRect_ = platform::kRectZero;
    enable_ = false;
    showLog(localized("disabled"));
  } else if (!enable) {
    showLog(localized("already disabled"));
  } else if (enable_) {
    showLog(localized("already enabled"));
  } else {
    enable_ = true;
    if (kbShowNotification_) {
      auto remembered = *kbShowNotification_;
      keyboardWillShow(&remembered);
    }
    showLog(localized("enabled"));
  }
}

void KBKeyboardManager::setKeyboardDistanceFromTextField(double distance) {
  keyboardDistance_ = std::max(distance, 0.0);
  char text[64];
  std::snprintf(text, sizeof text, "keyboardDistanceFromTextField: %.2f", keyboardDistance_);
  showLog(text);
}

void KBKeyboardManager::setShouldResignOnTouchOutside(bool resign) {
  showLog(std::string("shouldResignOnTouchOutside: ") + (resign ? "Yes" : "No"));
  resignOnTouchOutside_ = resign;
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
  return resolve(enable_, enabledDistance_, disabledDistance_);
}
bool KBKeyboardManager::privateIsEnableAutoToolbar() {
  return resolve(enableAutoToolbar_, enabledToolbar_, disabledToolbar_);
}
bool KBKeyboardManager::privateShouldResignOnTouchOutside() {
  return resolve(resignOnTouchOutside_, enabledTouchResign_, disabledTouchResign_);
}

std::shared_ptr<platform::Window> KBKeyboardManager::keyWindow() const {
  if (auto field = textFieldView()) {
    if (auto window = field->window()) return window;
  }
  auto key = platform::ApplicationWindows::shared().keyWindow();
  if (key && key != keyWindowCache().lock()) keyWindowCache() = key;
  return keyWindowCache().lock();
}

void KBKeyboardManager::showLog(const std::string& message) const {
  if (debugging_)
    platform::log(platform::LogLevel::Info, "KBKeyboardManager", "KBKeyboardManager: " + message);
}

KBKeyboardManager::LoggedScope::LoggedScope(const KBKeyboardManager& manager, const char* what)
    : manager_(manager), what_(what), started_(secondsNow()) {
  manager_.showLog(std::string("****** ") + what_ + " started ******");
}

KBKeyboardManager::LoggedScope::~LoggedScope() {
  if (!manager_.enableDebugging()) return;
  char text[160];
  std::snprintf(text, sizeof text, "****** %s ended: %g seconds ******", what_,
                secondsNow() - started_);
  manager_.showLog(text);
}

void KBKeyboardManager::animate(const std::function<void()>& changes) const {
  platform::View::animate(animationDuration_, 0,
                          animationCurve_ | platform::ViewAnimationOptionBeginFromCurrentState,
                          changes);
}

}  // namespace sprout
