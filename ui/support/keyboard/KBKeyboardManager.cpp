#include "ui/support/keyboard/KBKeyboardManager.h"

#include <algorithm>
#include <cstdio>

#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Control.h"
#include "platform/ui/Device.h"
#include "platform/ui/KeyboardSimulator.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/scroll/ScrollView.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextView.h"
#include "ui/support/keyboard/KBKeyWindow.h"
#include "ui/support/keyboard/KBLoggedScope.h"
#include "ui/support/keyboard/KBNotificationInfo.h"
#include "ui/support/keyboard/KBResources.h"
#include "ui/support/keyboard/KBTextInput.h"
#include "ui/support/keyboard/KBToolbarAddition.h"
#include "ui/support/keyboard/KBViewAdditions.h"

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

// The keyboard manager's reactions to notifications, taps and toolbar buttons.
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

// Moving between fields, ending editing, and the operations handed to the parts for the current
// field.
namespace sprout {
namespace {

std::optional<std::size_t> indexOf(const ViewList& list, const platform::View* view) {
  auto it = std::find_if(list.begin(), list.end(), [&](const auto& v) { return v.get() == view; });
  if (it == list.end()) return std::nullopt;
  return static_cast<std::size_t>(it - list.begin());
}

std::string countLine(std::size_t n) {
  char text[64];
  std::snprintf(text, sizeof text, "Found %zu responder sibling(s)", n);
  return text;
}

}  // namespace

bool KBKeyboardManager::resignFirstResponder() {
  auto field = textFieldView();
  if (!field) return false;
  const bool resigned = field->resignFirstResponder();
  if (!resigned) {
    field->becomeFirstResponder();
    showLog("Refuses to Resign first responder: " + KBDescription(*field));
  }
  return resigned;
}

ViewList KBKeyboardManager::responderViews() {
  auto field = textFieldView();
  if (!field) return {};
  for (const auto* cls : settings_.toolbarPreviousNextAllowedClasses) {
    if (auto container = superviewOfClassType(*field, *cls)) return deepResponderViews(*container);
  }
  auto siblings = responderSiblings(*field);
  switch (settings_.toolbarManageBehaviour) {
    case BySubviews:
      return siblings;
    case ByTag:
      return sortedArrayByTag(std::move(siblings));
    case ByPosition:
      return sortedArrayByPosition(std::move(siblings));
    default:
      return {};
  }
}

bool KBKeyboardManager::canGoPrevious() {
  auto index = indexOf(responderViews(), textFieldView().get());
  return index && *index > 0;
}

bool KBKeyboardManager::canGoNext() {
  const auto list = responderViews();
  auto index = indexOf(list, textFieldView().get());
  return index && *index + 1 < list.size();
}

namespace {

// Moves the focus to the neighbour `step` away; the focus stays put when it refuses.
bool goBy(const KBKeyboardSettings& settings, const std::shared_ptr<platform::View>& field,
          const ViewList& list, long step) {
  auto index = indexOf(list, field.get());
  if (!index) return false;
  const long target = static_cast<long>(*index) + step;
  if (target < 0 || target >= static_cast<long>(list.size())) return false;
  const auto& neighbour = list[static_cast<std::size_t>(target)];
  const bool moved = neighbour->becomeFirstResponder();
  if (!moved) {
    field->becomeFirstResponder();
    keyboardShowLog(settings, "Refuses to become first responder: " + KBDescription(*neighbour));
  }
  return moved;
}

}  // namespace

bool KBKeyboardManager::goPrevious() {
  auto field = textFieldView();
  return field && goBy(settings_, field, responderViews(), -1);
}

bool KBKeyboardManager::goNext() {
  auto field = textFieldView();
  return field && goBy(settings_, field, responderViews(), +1);
}

void KBKeyboardManager::previousAction(platform::Object& /*sender*/) {
  if (settings_.shouldPlayInputClicks) platform::Device::current().playInputClick();
  if (!canGoPrevious()) return;
  auto field = textFieldView();
  if (goPrevious() && field) {
    if (auto after = previousInvocation(*field)) after(*field);
  }
}

void KBKeyboardManager::nextAction(platform::Object& /*sender*/) {
  if (settings_.shouldPlayInputClicks) platform::Device::current().playInputClick();
  if (!canGoNext()) return;
  auto field = textFieldView();
  if (goNext() && field) {
    if (auto after = nextInvocation(*field)) after(*field);
  }
}

void KBKeyboardManager::doneAction(platform::Object& /*sender*/) {
  if (settings_.shouldPlayInputClicks) platform::Device::current().playInputClick();
  auto field = textFieldView();
  if (resignFirstResponder() && field) {
    if (auto after = doneInvocation(*field)) after(*field);
  }
}

void KBKeyboardManager::adjustFrame() {
  auto field = textFieldView();
  avoidance_.adjust(field, keyboardDistanceFromTextField_);
  if (!field) return;
  // Scrolling the field into sight can bring further fields on screen (the rows of a table that
  // were below it): its arrows follow the list as it is once the scroll view has placed them.
  toolbar_.refreshArrows(*field, [this] {
    if (auto scroll = avoidance_.lastScrollView()) scroll->layoutIfNeeded();
    return responderViews();
  });
}

void KBKeyboardManager::setRootViewFrame(platform::Rect frame) {
  avoidance_.setRootViewFrame(textFieldView(), frame);
}

void KBKeyboardManager::addToolbarIfRequired() {
  const KBLoggedScope logged(settings_, "addToolbarIfRequired");
  const auto list = responderViews();
  showLog(countLine(list.size()));
  toolbar_.add(list, textFieldView().get());
}

void KBKeyboardManager::removeToolbarIfRequired() {
  const KBLoggedScope logged(settings_, "removeToolbarIfRequired");
  const auto list = responderViews();
  showLog(countLine(list.size()));
  toolbar_.remove(list);
}

void KBKeyboardManager::reloadInputViews() {
  const KBLoggedScope logged(settings_, "reloadInputViews");
  toolbar_.reload(responderViews());
}

}  // namespace sprout
