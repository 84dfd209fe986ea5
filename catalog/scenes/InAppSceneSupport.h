#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Clock.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Screen.h"

namespace catalog {

// The scene's own virtual clock and screen size; the real clock, the screen and the app's
// windows are as before afterwards.
class InAppScene {
 public:
  explicit InAppScene(platform::Size screen)
      : clock_(std::make_shared<platform::VirtualClock>()),
        start_(clock_->now()),
        savedScreen_(platform::Screen::main().bounds()) {
    platform::Clock::setCurrent(clock_);
    platform::Screen::main().setBounds(platform::makeRect(0, 0, screen.width, screen.height));
  }
  ~InAppScene() {
    auto& loop = platform::RunLoop::main();
    loop.runPending();
    loop.invalidateAllTimers();
    platform::ApplicationWindows::shared().reset();
    platform::Clock::setCurrent(nullptr);
    platform::Screen::main().setBounds(savedScreen_);
  }
  InAppScene(const InAppScene&) = delete;
  InAppScene& operator=(const InAppScene&) = delete;

  double elapsed() const { return clock_->now() - start_; }
  double now() const { return clock_->now(); }
  // Moves the clock to `seconds` after the scene began, running what falls due on the way.
  void runTo(double seconds) {
    auto& loop = platform::RunLoop::main();
    loop.runPending();
    const double dt = start_ + seconds - clock_->now();
    if (dt > 0) loop.advance(dt);
  }

  static std::string caption(const std::string& what, double seconds) {
    char text[48];
    std::snprintf(text, sizeof text, "\nt = %.2f s", seconds);
    return what + text;
  }

 private:
  std::shared_ptr<platform::VirtualClock> clock_;
  double start_;
  platform::Rect savedScreen_;
};

}  // namespace catalog
