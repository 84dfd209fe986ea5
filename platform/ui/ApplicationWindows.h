#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/foundation/Clock.h"
#include "platform/graphics/Geometry.h"

namespace platform {

class Window;

inline constexpr char kApplicationWillChangeStatusBarOrientationNotification[] =
    "UIApplicationWillChangeStatusBarOrientationNotification";
inline constexpr char kApplicationDidChangeStatusBarOrientationNotification[] =
    "UIApplicationDidChangeStatusBarOrientationNotification";
inline constexpr char kApplicationWillChangeStatusBarFrameNotification[] =
    "UIApplicationWillChangeStatusBarFrameNotification";
inline constexpr char kApplicationDidChangeStatusBarFrameNotification[] =
    "UIApplicationDidChangeStatusBarFrameNotification";
// InterfaceOrientation: the new one in the will-change notification, the old one in the did.
inline constexpr char kApplicationStatusBarOrientationUserInfoKey[] =
    "UIApplicationStatusBarOrientationUserInfoKey";
// Rect: the new frame in the will-change notification, the old one in the did.
inline constexpr char kApplicationStatusBarFrameUserInfoKey[] =
    "UIApplicationStatusBarFrameUserInfoKey";

enum class StatusBarStyle { Default = 0, LightContent = 1 };
enum class InterfaceOrientation {
  Unknown = 0,
  Portrait = 1,
  PortraitUpsideDown = 2,
  LandscapeLeft = 4,
  LandscapeRight = 3
};
// The orientations a controller accepts, one bit per InterfaceOrientation value.
enum InterfaceOrientationMask : unsigned {
  InterfaceOrientationMaskPortrait = 1u << 1,
  InterfaceOrientationMaskPortraitUpsideDown = 1u << 2,
  InterfaceOrientationMaskLandscapeRight = 1u << 3,
  InterfaceOrientationMaskLandscapeLeft = 1u << 4,
  InterfaceOrientationMaskLandscape =
      InterfaceOrientationMaskLandscapeLeft | InterfaceOrientationMaskLandscapeRight,
  InterfaceOrientationMaskAll = InterfaceOrientationMaskPortrait |
                                InterfaceOrientationMaskPortraitUpsideDown |
                                InterfaceOrientationMaskLandscape,
  InterfaceOrientationMaskAllButUpsideDown =
      InterfaceOrientationMaskPortrait | InterfaceOrientationMaskLandscape,
};

// What the app's delegate offers the interface: its main window.
class ApplicationDelegate {
 public:
  virtual ~ApplicationDelegate() = default;
  virtual std::shared_ptr<Window> window() const { return nullptr; }
};

// The application's side of the interface: its windows, the key window, the delegate and the
// status bar. Main thread only.
class ApplicationWindows {
 public:
  static ApplicationWindows& shared();

  // Every live window, back to front: by level, then by the order they were shown.
  std::vector<std::shared_ptr<Window>> windows() const;
  std::vector<std::shared_ptr<Window>> visibleWindows() const;
  std::shared_ptr<Window> keyWindow() const { return keyWindow_.lock(); }

  std::shared_ptr<ApplicationDelegate> delegate() const { return delegate_; }
  void setDelegate(std::shared_ptr<ApplicationDelegate> delegate) {
    delegate_ = std::move(delegate);
  }

  StatusBarStyle statusBarStyle() const { return statusBarStyle_; }
  void setStatusBarStyle(StatusBarStyle style) { statusBarStyle_ = style; }
  bool isStatusBarHidden() const { return statusBarHidden_; }
  // Changes post the will/did frame notifications around the change.
  void setStatusBarHidden(bool hidden);
  InterfaceOrientation statusBarOrientation() const { return orientation_; }
  // A change posts the will/did orientation notifications around it, and the frame ones inside
  // them when the frame changes with it.
  void setStatusBarOrientation(InterfaceOrientation o);
  // Zero when hidden; otherwise a 20-point strip across the top of the screen as the interface
  // is turned (in landscape, as wide as the screen is high).
  Rect statusBarFrame() const;
  // Takes the style and visibility the key window's frontmost controller prefers.
  void updateStatusBarAppearance();

  // While an animated push, pop, presentation or dismissal plays, fingers that come down touch
  // nothing (the second tap of a quick double tap must not land on the screen just shown).
  // Transitions here are instant; the time they would take is kept on the clock instead.
  static constexpr TimeInterval kTransitionDuration = 0.35;
  void ignoreTouchesForTransition();
  bool isIgnoringTouches() const;

  // Forgets every window and setting (tests).
  void reset();

 private:
  friend class Window;
  ApplicationWindows() = default;
  void add(const std::shared_ptr<Window>& window);
  void shown(Window& window);
  void setKey(const std::shared_ptr<Window>& window);
  Rect frameFor(bool hidden, InterfaceOrientation orientation) const;
  // Applies a change of visibility and orientation with its notifications.
  void changeStatusBar(bool hidden, InterfaceOrientation orientation);

  std::vector<std::weak_ptr<Window>> windows_;
  std::weak_ptr<Window> keyWindow_;
  std::shared_ptr<ApplicationDelegate> delegate_;
  StatusBarStyle statusBarStyle_ = StatusBarStyle::Default;
  bool statusBarHidden_ = false;
  InterfaceOrientation orientation_ = InterfaceOrientation::Portrait;
  std::uint64_t nextShownOrder_ = 1;
  const Clock* transitionClock_ = nullptr;  // a later clock (the next test's) owes it nothing
  TimeInterval transitionEnds_ = 0;
};

}  // namespace platform
