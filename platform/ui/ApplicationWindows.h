#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/graphics/Geometry.h"

namespace platform {

class Window;

enum class StatusBarStyle { Default = 0, LightContent = 1 };
enum class InterfaceOrientation {
  Unknown = 0,
  Portrait = 1,
  PortraitUpsideDown = 2,
  LandscapeLeft = 4,
  LandscapeRight = 3
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
  void setStatusBarHidden(bool hidden) { statusBarHidden_ = hidden; }
  InterfaceOrientation statusBarOrientation() const { return orientation_; }
  void setStatusBarOrientation(InterfaceOrientation o) { orientation_ = o; }
  // Zero when hidden; otherwise a 20-point strip across the top of the screen.
  Rect statusBarFrame() const;
  // Takes the style and visibility the key window's frontmost controller prefers.
  void updateStatusBarAppearance();

  // Forgets every window and setting (tests).
  void reset();

 private:
  friend class Window;
  ApplicationWindows() = default;
  void add(const std::shared_ptr<Window>& window);
  void shown(Window& window);
  void setKey(const std::shared_ptr<Window>& window);

  std::vector<std::weak_ptr<Window>> windows_;
  std::weak_ptr<Window> keyWindow_;
  std::shared_ptr<ApplicationDelegate> delegate_;
  StatusBarStyle statusBarStyle_ = StatusBarStyle::Default;
  bool statusBarHidden_ = false;
  InterfaceOrientation orientation_ = InterfaceOrientation::Portrait;
  std::uint64_t nextShownOrder_ = 1;
};

}  // namespace platform
