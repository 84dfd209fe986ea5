#pragma once

#include <memory>

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

  // Delivers the touches of an event to the views they began in (hit testing has placed them).
  virtual void sendEvent(const Event& event);

  bool isWindow() const override { return true; }
  std::shared_ptr<Responder> nextResponder() const override { return nullptr; }

 protected:
  friend class Object;
  explicit Window(const Rect& frame);
  void didInit() override;  // joins the application's windows
  void layoutSubviews() override;

 private:
  friend class ApplicationWindows;
  WindowLevel level_ = kWindowLevelNormal;
  std::uint64_t shownOrder_ = 0;
  std::shared_ptr<ViewController> root_;
};

}  // namespace platform
