#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/GestureRecognizerDelegate.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/Window.h"
#include "ui/support/keyboard/KBAutoToolbar.h"
#include "ui/support/keyboard/KBKeyboardAvoidance.h"
#include "ui/support/keyboard/KBKeyboardSettings.h"
#include "ui/support/keyboard/KBViewHierarchy.h"

namespace sprout {

// Keeps the field being edited visible above the keyboard, gives every field a previous / next /
// done toolbar and, when asked, ends editing on a tap outside the field — with no code in the
// screens: the app's start-up switches it on (setEnable(true) on the shared instance; linking
// this library turns nothing on by itself) and from then on it reacts to the keyboard, editing
// and status-bar notifications. One shared instance wires itself to them. Main thread only.
//
// This class is the front: it reacts to the notifications and decides what happens. The state
// lives in three parts that share nothing but the settings value: KBKeyboardSettings (what it is
// told, save the four switches whose change acts at once, which are the manager's own),
// KBKeyboardAvoidance (moving views out of the keyboard's way and everything saved to put them
// back) and KBAutoToolbar (the toolbars it puts on fields).
class KBKeyboardManager : public platform::Object, public platform::GestureRecognizerDelegate {
 public:
  enum ToolbarManageBehaviour : long { BySubviews = 0, ByTag = 1, ByPosition = 2 };

  static std::shared_ptr<KBKeyboardManager> sharedManager();
  ~KBKeyboardManager() override;

  // The settings that act at the manager's next reaction, under their own names:
  // settings().toolbarTintColor = ..., settings().disabledToolbarClasses.insert<MyScreen>().
  KBKeyboardSettings& settings() { return settings_; }
  const KBKeyboardSettings& settings() const { return settings_; }

  // The switches whose change acts at once.
  bool isEnabled() const { return enable_; }
  // Off puts back what was moved; on takes up a keyboard that is already showing.
  void setEnable(bool enable);
  double keyboardDistanceFromTextField() const { return keyboardDistanceFromTextField_; }
  // Stores at least 0.
  void setKeyboardDistanceFromTextField(double distance);
  bool shouldResignOnTouchOutside() const { return shouldResignOnTouchOutside_; }
  // Turns the tap-outside recogniser on or off for the current field's screen.
  void setShouldResignOnTouchOutside(bool resign);
  bool isEnableAutoToolbar() const { return enableAutoToolbar_; }
  // Adds or removes the automatic toolbars of the current field's list.
  void setEnableAutoToolbar(bool enable);

  bool isKeyboardShowing() const { return keyboardShowing_; }
  double movedDistance() const { return avoidance_.movedDistance(); }

  void registerTextFieldViewClass(const platform::ObjectClass& cls,
                                  const std::string& didBeginEditingNotificationName,
                                  const std::string& didEndEditingNotificationName);
  const platform::ClassSet& registeredClasses() const { return registeredClasses_; }

  // Notification handlers; a null notification stands for "none" where the manager calls them.
  void keyboardWillShow(const platform::Notification* n);
  void keyboardDidShow(const platform::Notification* n);
  void keyboardWillHide(const platform::Notification* n);
  void keyboardDidHide(const platform::Notification* n);
  void textFieldViewDidBeginEditing(const platform::Notification& n);
  void textFieldViewDidEndEditing(const platform::Notification& n);
  void willChangeStatusBarOrientation(const platform::Notification& n);
  void didChangeStatusBarFrame(const platform::Notification& n);

  void reloadLayoutIfNeeded();
  // The field's window, else the key window, remembered (weakly) for a moment without one.
  std::shared_ptr<platform::Window> keyWindow() const;

  bool resignFirstResponder();
  bool canGoPrevious();
  bool canGoNext();
  bool goPrevious();
  bool goNext();
  void previousAction(platform::Object& sender);
  void nextAction(platform::Object& sender);
  void doneAction(platform::Object& sender);
  ViewList responderViews();

  void tapRecognized(platform::GestureRecognizer& recognizer);
  bool gestureRecognizerShouldRecognizeSimultaneously(platform::GestureRecognizer& recognizer,
                                                      platform::GestureRecognizer& other) override;
  bool gestureRecognizerShouldReceiveTouch(platform::GestureRecognizer& recognizer,
                                           const platform::Touch& touch) override;

  // Moving out of the keyboard's way, and the automatic toolbars: each for the current field.
  void adjustFrame();
  void setRootViewFrame(platform::Rect frame);
  void addToolbarIfRequired();
  void removeToolbarIfRequired();
  void reloadInputViews();

  // What the editing cycle saved and the keyboard's size and motion, for tests and the catalog.
  const KBKeyboardAvoidance& avoidance() const { return avoidance_; }
  const std::shared_ptr<platform::TapGestureRecognizer>& tapGesture() const { return tapGesture_; }

  explicit KBKeyboardManager(Key key) : platform::Object(std::move(key)) {}

 protected:
  void didInit() override;

 private:
  void startUp();
  std::shared_ptr<platform::View> textFieldView() const { return textFieldView_.lock(); }
  // The switches as they hold for the current field's controller.
  bool privateIsEnabled();
  bool privateIsEnableAutoToolbar();
  bool privateShouldResignOnTouchOutside();
  bool resolve(bool flag, const platform::ClassSet& enabled, const platform::ClassSet& disabled);
  void addToolbarForBeginEditing(const std::shared_ptr<platform::View>& field);
  void showLog(const std::string& message) const;

  KBKeyboardSettings settings_;
  bool enable_ = false;
  double keyboardDistanceFromTextField_ = 10.0;
  bool shouldResignOnTouchOutside_ = false;
  bool enableAutoToolbar_ = true;
  KBKeyboardAvoidance avoidance_{settings_};
  KBAutoToolbar toolbar_{settings_};
  bool keyboardShowing_ = false;
  std::optional<platform::Notification> kbShowNotification_;
  platform::Rect statusBarFrame_;
  std::weak_ptr<platform::View> textFieldView_;
  std::shared_ptr<platform::TapGestureRecognizer> tapGesture_;
  platform::ClassSet registeredClasses_;
  std::vector<platform::ObserverToken> observers_;
};

}  // namespace sprout
