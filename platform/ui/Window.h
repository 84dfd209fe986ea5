#pragma once

#include <memory>

#include "platform/dispatch/RunLoopModeScope.h"
#include "platform/ui/View.h"

namespace platform {

class ViewController;

using WindowLevel = double;
inline constexpr WindowLevel kWindowLevelNormal = 0;
inline constexpr WindowLevel kWindowLevelStatusBar = 1000;
inline constexpr WindowLevel kWindowLevelAlert = 2000;

// The root of a view tree on the screen. A window starts hidden; makeKeyAndVisible shows it and
// makes it the key window. Windows are stacked by level (and among equals by the order they were
// shown).
class Window : public View {
 public:
  static std::shared_ptr<Window> create();  // the screen's bounds
  static std::shared_ptr<Window> create(const Rect& frame);
  ~Window() override;

  WindowLevel windowLevel() const { return level_; }
  void setWindowLevel(WindowLevel level);
  void setHidden(bool hidden) override;
  void makeKeyAndVisible();
  void makeKeyWindow();
  bool isKeyWindow() const;
  virtual void becomeKeyWindow() {}
  virtual void resignKeyWindow() {}

  // Setting one installs its view filling the window; the old one's view leaves.
  std::shared_ptr<ViewController> rootViewController() const { return root_; }
  void setRootViewController(std::shared_ptr<ViewController> controller);

  // The one router of touches. A touch that begins is hit-tested (unless it already has a view)
  // and takes the enabled recognizers of that view and its ancestors that accept it. Each event
  // goes first to those recognizers, then to the views, one call per view and phase, views in the
  // order their first touch came down. While any finger is down the main run loop is held in
  // tracking mode.
  virtual void sendEvent(const Event& event);
  // The fingers down on this window, in the order they came down.
  const TouchSet& activeTouches() const { return activeTouches_; }

  // The window's first responder (nullptr: none). Responder keeps it; one per window.
  std::shared_ptr<Responder> firstResponder() const { return firstResponder_.lock(); }

  bool isWindow() const override { return true; }
  std::shared_ptr<Responder> nextResponder() const override { return nullptr; }

  explicit Window(Key key, const Rect& frame);

 protected:
  void didInit() override;  // joins the application's windows
  void layoutSubviews() override;

 private:
  friend class ApplicationWindows;
  friend class Responder;
  void beginTouches(const Event& event);
  void deliverToRecognizers(const Event& event);
  void deliverToViews(const Event& event);
  void sizeRootView(const std::shared_ptr<View>& view);

  WindowLevel level_ = kWindowLevelNormal;
  std::uint64_t shownOrder_ = 0;
  std::shared_ptr<ViewController> root_;
  // The root view and the bounds it was last sized to.
  std::weak_ptr<View> sizedRoot_;
  Rect sizedBounds_ = kRectZero;
  TouchSet activeTouches_;
  std::unique_ptr<RunLoopModeScope> tracking_;
  std::weak_ptr<Responder> firstResponder_;
};

}  // namespace platform
