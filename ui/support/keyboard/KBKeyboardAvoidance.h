#pragma once

#include <functional>
#include <memory>

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Geometry.h"
#include "platform/layout/LayoutConstraint.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/scroll/ScrollView.h"
#include "ui/support/keyboard/KBKeyboardSettings.h"

namespace sprout {

// Moves what the keyboard would cover out of its way and puts it back: scroll views first, then
// a layout-guide constraint, then the root controller's view. It owns everything it saves to
// restore later — the root view's frame at the start of the editing cycle, the scroll view's and
// the text view's insets and offset, the constraint's constant, the distance moved — and the
// keyboard's size and motion, which its animations follow. Main thread only.
class KBKeyboardAvoidance {
 public:
  explicit KBKeyboardAvoidance(const KBKeyboardSettings& settings) : settings_(settings) {}
  KBKeyboardAvoidance(const KBKeyboardAvoidance&) = delete;
  KBKeyboardAvoidance& operator=(const KBKeyboardAvoidance&) = delete;

  // The keyboard about to show: its curve, duration and visible size. True when the size changed.
  bool readKeyboardWillShow(const platform::Notification* n);
  // The keyboard's duration, when the notification carries a non-zero one.
  void readDuration(const platform::Notification* n);

  // An editing cycle is open from the capture until endCycle.
  bool inCycle() const;
  // Saves the root view's frame and the layout-guide constant for the field's screen.
  void capture(const std::shared_ptr<platform::View>& field);
  // The status bar changed: where the root view would be unmoved is the place to restore to.
  void recaptureRootFrame(const std::shared_ptr<platform::View>& field);
  void endCycle();

  // Keeps the field `managerDistance` above the keyboard unless it has a distance of its own.
  void adjust(const std::shared_ptr<platform::View>& field, double managerDistance);
  void setRootViewFrame(const std::shared_ptr<platform::View>& field, platform::Rect frame);
  // Puts back the scroll view, the constraint and the root view, and forgets the keyboard.
  void restore();
  // Puts back the text view's insets, when they were changed.
  void restoreTextView(const std::shared_ptr<platform::View>& field);

  // One animation with the keyboard's duration and curve.
  void animate(const std::function<void()>& changes) const;

  std::shared_ptr<platform::ViewController> rootViewController() const {
    return rootViewController_.lock();
  }
  platform::Rect topViewBeginRect() const { return topViewBeginRect_; }
  platform::Size keyboardSize() const { return kbSize_; }
  double animationDuration() const { return animationDuration_; }
  unsigned animationCurve() const { return animationCurve_; }
  std::shared_ptr<platform::ScrollView> lastScrollView() const { return lastScrollView_.lock(); }
  double movedDistance() const { return movedDistance_; }

 private:
  void log(const std::string& message) const;
  void applyPopGestureRule(const std::shared_ptr<platform::View>& field);
  int guidePosition(const platform::View& field) const;
  void followScrollView(const platform::View& field);
  void restoreLastScrollView(const std::shared_ptr<platform::ScrollView>& scroll);
  void restoreScrollView();
  void restoreRootView();
  void scrollToShow(const platform::View& field, double& move, const platform::Window& window);
  void moveRootView(const std::shared_ptr<platform::View>& field, double move,
                    platform::ViewController* root, const platform::Window& window,
                    double statusBarHeight);
  void adjustTextView(platform::View& field, const platform::Window& window, double keyboardHeight,
                      double statusBarHeight);

  const KBKeyboardSettings& settings_;
  platform::Size kbSize_;
  double animationDuration_ = 0.25;
  unsigned animationCurve_ = 0;
  std::weak_ptr<platform::ViewController> rootViewController_;
  platform::Rect topViewBeginRect_;
  double movedDistance_ = 0;
  std::weak_ptr<platform::LayoutConstraint> layoutGuideConstraint_;
  double layoutGuideConstraintInitialConstant_ = 0;
  std::weak_ptr<platform::ScrollView> lastScrollView_;
  platform::EdgeInsets startingContentInsets_, startingScrollIndicatorInsets_;
  platform::Point startingContentOffset_;
  platform::EdgeInsets startingTextViewContentInsets_, startingTextViewScrollIndicatorInsets_;
  bool isTextViewContentInsetChanged_ = false;
};

}  // namespace sprout
