#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "app/AppDelegate.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/ScopedVirtualClock.h"
#include "platform/foundation/TimeZone.h"
#include "platform/media/CaptureDevice.h"
#include "platform/render/RenderView.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Device.h"
#include "platform/ui/KeyboardSimulator.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/Window.h"
#include "tests/support/Stage.h"
#include "ui/support/hud/HDProgressHUD.h"
#include "ui/support/hud/HDProgressHUDCenter.h"

namespace sprout::app_test {

constexpr platform::Rect kPhone = platform::makeRect(0, 0, 320, 568);

// The app launched on a phone of `screen` at scale 1 in Shanghai, on the virtual clock
// (2027-01-15 16:00 there), with a finger on its window; nothing shown or scheduled is left
// behind for the next test.
class AppTest : public ::testing::Test, protected platform::test::Stage {
 protected:
  explicit AppTest(const platform::Rect& screen = kPhone) : Stage(screen, 1) {
    setTimeZone("Asia/Shanghai");
    app->applicationDidFinishLaunching();
    window = app->window();
    finger = std::make_unique<platform::TouchDriver>(window);
  }
  ~AppTest() override {
    ownHUD_.reset();
    drain();  // while the app still stands
  }
  void show(const std::shared_ptr<platform::ViewController>& screen) {
    window->setRootViewController(screen);
    window->layoutIfNeeded();
  }
  // Taps a point of a view (its own points; its middle if none is given).
  void tap(const platform::View& view, std::optional<platform::Point> at = std::nullopt) {
    const auto b = view.bounds();
    finger->tap(view.convertPointTo(
        at.value_or(platform::Point{b.size.width / 2, b.size.height / 2}), nullptr));
  }
  // Every window on the screen, as a person sees it, over white.
  static std::shared_ptr<platform::Image> screenShot() {
    platform::RenderOptions options;
    options.scale = 1;
    options.background = platform::Color::whiteColor();
    return platform::renderScreen(options);
  }
  // Pixels of an image inside `r` (points, scale 1) darker than `level` in every channel: ink.
  static int inked(const platform::Image& image, const platform::Rect& r, unsigned level = 0xA0) {
    const auto& bitmap = *image.bitmap();
    int ink = 0;
    for (int y = static_cast<int>(minY(r)); y < static_cast<int>(maxY(r)); ++y) {
      for (int x = static_cast<int>(minX(r)); x < static_cast<int>(maxX(r)); ++x) {
        const auto p = bitmap.pixel(x, y);
        ink += ((p >> 16) & 0xFF) < level && ((p >> 8) & 0xFF) < level && (p & 0xFF) < level;
      }
    }
    return ink;
  }

 private:
  std::unique_ptr<HDProgressHUDCenter::Scope> ownHUD_ =
      std::make_unique<HDProgressHUDCenter::Scope>();

 protected:
  std::shared_ptr<AppDelegate> app = AppDelegate::create();
  std::shared_ptr<platform::Window> window;
  std::unique_ptr<platform::TouchDriver> finger;
};

}  // namespace sprout::app_test
