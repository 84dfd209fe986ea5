#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/layout/LayoutConstraint.h"
#include "platform/ui/ClassRegistry.h"
#include "platform/ui/Font.h"
#include "platform/ui/GestureRecognizerDelegate.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/scroll/ScrollView.h"
#include "platform/ui/text/TextInputTypes.h"
#include "ui/support/keyboard/KBViewHierarchy.h"

namespace sprout {

// Keeps the field being edited visible above the keyboard, gives every field a previous / next /
// done toolbar and, when asked, ends editing on a tap outside the field — with no code in the
// screens: the app's start-up switches it on (setEnable(true) on the shared instance; linking
// this library turns nothing on by itself) and from then on it reacts to the keyboard, editing
// and status-bar notifications. One shared instance wires itself to them. Main thread only.
//
// The geometry (adjustFrame, setRootViewFrame, the restoration on hide) is in
// KBKeyboardManagerAvoidance.cpp, the automatic toolbars in KBKeyboardManagerToolbar.cpp.
class KBKeyboardManager : public platform::Object, public platform::GestureRecognizerDelegate {
 public:
  enum ToolbarManageBehaviour : long { BySubviews = 0, ByTag = 1, ByPosition = 2 };

  static std::shared_ptr<KBKeyboardManager> sharedManager();
  ~KBKeyboardManager() override;

  bool isEnabled() const { return enable_; }
  void setEnable(bool enable);
  double keyboardDistanceFromTextField() const { return keyboardDistance_; }
  void setKeyboardDistanceFromTextField(double distance);
  bool preventShowingBottomBlankSpace() const { return preventBlankSpace_; }
  void setPreventShowingBottomBlankSpace(bool v) { preventBlankSpace_ = v; }
  bool overrideKeyboardAppearance() const { return overrideAppearance_; }
  void setOverrideKeyboardAppearance(bool v) { overrideAppearance_ = v; }
  platform::KeyboardAppearance keyboardAppearance() const { return appearance_; }
  void setKeyboardAppearance(platform::KeyboardAppearance v) { appearance_ = v; }
  bool isEnableAutoToolbar() const { return enableAutoToolbar_; }
  void setEnableAutoToolbar(bool enable);
  long toolbarManageBehaviour() const { return manageBehaviour_; }
  void setToolbarManageBehaviour(long behaviour) { manageBehaviour_ = behaviour; }
  bool shouldToolbarUsesTextFieldTintColor() const { return useFieldTint_; }
  void setShouldToolbarUsesTextFieldTintColor(bool v) { useFieldTint_ = v; }
  std::optional<platform::Color> toolbarTintColor() const { return toolbarTint_; }
  void setToolbarTintColor(std::optional<platform::Color> color) { toolbarTint_ = color; }
  bool shouldHidePreviousNext() const { return hidePreviousNext_; }
  void setShouldHidePreviousNext(bool v) { hidePreviousNext_ = v; }
  std::shared_ptr<platform::Image> toolbarDoneBarButtonItemImage() const { return doneImage_; }
  void setToolbarDoneBarButtonItemImage(std::shared_ptr<platform::Image> image) {
    doneImage_ = std::move(image);
  }
  std::optional<std::string> toolbarDoneBarButtonItemText() const { return doneText_; }
  void setToolbarDoneBarButtonItemText(std::optional<std::string> text) {
    doneText_ = std::move(text);
  }
  bool shouldShowTextFieldPlaceholder() const { return showPlaceholder_; }
  void setShouldShowTextFieldPlaceholder(bool v) { showPlaceholder_ = v; }
  std::optional<platform::Font> placeholderFont() const { return placeholderFont_; }
  void setPlaceholderFont(std::optional<platform::Font> font) { placeholderFont_ = font; }
  bool shouldResignOnTouchOutside() const { return resignOnTouchOutside_; }
  void setShouldResignOnTouchOutside(bool resign);
  bool shouldPlayInputClicks() const { return playInputClicks_; }
  void setShouldPlayInputClicks(bool v) { playInputClicks_ = v; }
  bool layoutIfNeededOnUpdate() const { return layoutIfNeededOnUpdate_; }
  void setLayoutIfNeededOnUpdate(bool v) { layoutIfNeededOnUpdate_ = v; }
  bool shouldFixInteractivePopGestureRecognizer() const { return fixPopGesture_; }
  void setShouldFixInteractivePopGestureRecognizer(bool v) { fixPopGesture_ = v; }
  bool enableDebugging() const { return debugging_; }
  void setEnableDebugging(bool v) { debugging_ = v; }

  // Per-controller refinements of the switches (sets enumerate in insertion order).
  platform::ClassSet& disabledDistanceHandlingClasses() { return disabledDistance_; }
  platform::ClassSet& enabledDistanceHandlingClasses() { return enabledDistance_; }
  platform::ClassSet& disabledToolbarClasses() { return disabledToolbar_; }
  platform::ClassSet& enabledToolbarClasses() { return enabledToolbar_; }
  platform::ClassSet& toolbarPreviousNextAllowedClasses() { return previousNextAllowed_; }
  platform::ClassSet& disabledTouchResignedClasses() { return disabledTouchResign_; }
  platform::ClassSet& enabledTouchResignedClasses() { return enabledTouchResign_; }

  bool isKeyboardShowing() const { return keyboardShowing_; }
  double movedDistance() const { return movedDistance_; }

  void registerTextFieldViewClass(const platform::ObjectClass* cls,
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

  bool privateIsEnabled();
  bool privateIsEnableAutoToolbar();
  bool privateShouldResignOnTouchOutside();

  // Geometry (KBKeyboardManagerAvoidance.cpp).
  void adjustFrame();
  void setRootViewFrame(platform::Rect frame);
  // Automatic toolbars (KBKeyboardManagerToolbar.cpp).
  void addToolbarIfRequired();
  void removeToolbarIfRequired();
  void reloadInputViews();

  void showLog(const std::string& message) const;

  // The editing cycle, for tests and the catalog.
  std::shared_ptr<platform::View> textFieldView() const { return textFieldView_.lock(); }
  std::shared_ptr<platform::ViewController> rootViewController() const {
    return rootViewController_.lock();
  }
  platform::Rect topViewBeginRect() const { return topViewBeginRect_; }
  platform::Size keyboardSize() const { return kbSize_; }
  double animationDuration() const { return animationDuration_; }
  unsigned animationCurve() const { return animationCurve_; }
  std::shared_ptr<platform::ScrollView> lastScrollView() const { return lastScrollView_.lock(); }
  const std::shared_ptr<platform::TapGestureRecognizer>& tapGesture() const { return tapGesture_; }

 protected:
  friend class platform::Object;
  KBKeyboardManager() = default;
  void didInit() override;

 private:
  void startUp();
  void captureRootView();
  void applyPopGestureRule();
  bool resolve(bool flag, const platform::ClassSet& enabled, const platform::ClassSet& disabled);
  void readDuration(const platform::Notification* n);
  void animate(const std::function<void()>& changes) const;
  void restoreTextViewInsets();
  void restoreOnHide();
  void restoreLastScrollView(const std::shared_ptr<platform::ScrollView>& scroll);
  void scrollToShow(double& move, const platform::Window& window);
  void moveRootView(double move, platform::ViewController* root, const platform::Window& w,
                    double keyboardHeight, double statusBarHeight);
  void adjustTextView(platform::View& field, const platform::Window& window, double keyboardHeight,
                      double statusBarHeight);
  int guidePosition();
  void addPreviousNextToolbars(const ViewList& list);
  void addDoneToolbar(platform::View& field);
  void styleToolbar(platform::View& field);
  std::string localized(const std::string& key) const;
  // Brackets one handler's work with its "started" and "ended" lines, however it returns.
  class LoggedScope {
   public:
    LoggedScope(const KBKeyboardManager& manager, const char* what);
    ~LoggedScope();
    LoggedScope(const LoggedScope&) = delete;
    LoggedScope& operator=(const LoggedScope&) = delete;

   private:
    const KBKeyboardManager& manager_;
    const char* what_;
    double started_;
  };

  bool enable_ = false;
  double keyboardDistance_ = 10.0;
  bool preventBlankSpace_ = true;
  bool overrideAppearance_ = false;
  platform::KeyboardAppearance appearance_ = platform::KeyboardAppearanceDefault;
  bool enableAutoToolbar_ = true;
  long manageBehaviour_ = BySubviews;
  bool useFieldTint_ = false;
  std::optional<platform::Color> toolbarTint_;
  bool hidePreviousNext_ = false;
  std::shared_ptr<platform::Image> doneImage_;
  std::optional<std::string> doneText_;
  bool showPlaceholder_ = true;
  std::optional<platform::Font> placeholderFont_;
  bool resignOnTouchOutside_ = false;
  bool playInputClicks_ = true;
  bool layoutIfNeededOnUpdate_ = false;
  bool fixPopGesture_ = true;
  bool debugging_ = false;
  platform::ClassSet disabledDistance_, enabledDistance_, disabledToolbar_, enabledToolbar_;
  platform::ClassSet previousNextAllowed_, disabledTouchResign_, enabledTouchResign_;
  platform::ClassSet registeredClasses_;
  bool keyboardShowing_ = false;
  double movedDistance_ = 0;

  std::optional<platform::Notification> kbShowNotification_;
  platform::Size kbSize_;
  platform::Rect statusBarFrame_;
  std::weak_ptr<platform::View> textFieldView_;
  std::weak_ptr<platform::ViewController> rootViewController_;
  platform::Rect topViewBeginRect_;
  std::weak_ptr<platform::LayoutConstraint> layoutGuideConstraint_;
  double layoutGuideConstraintInitialConstant_ = 0;
  std::shared_ptr<platform::TapGestureRecognizer> tapGesture_;
  std::weak_ptr<platform::ScrollView> lastScrollView_;
  platform::EdgeInsets startingContentInsets_, startingScrollIndicatorInsets_;
  platform::Point startingContentOffset_;
  platform::EdgeInsets startingTextViewContentInsets_, startingTextViewScrollIndicatorInsets_;
  bool isTextViewContentInsetChanged_ = false;
  double animationDuration_ = 0.25;
  unsigned animationCurve_ = 0;
  std::vector<platform::ObserverToken> observers_;
};

}  // namespace sprout
