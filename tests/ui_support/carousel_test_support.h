#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/ScopedVirtualClock.h"
#include "platform/graphics/Context.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/Window.h"

namespace sprout::carousel_test {

inline std::shared_ptr<platform::Image> solidImage(platform::Size size, platform::Color color) {
  auto context = platform::Context::create(size, 1, false);
  context->fillRect(platform::makeRect(0, 0, size.width, size.height), color);
  return context->makeImage();
}

// A 375 x 667 window on the virtual clock; nothing scheduled outlives the test.
class CarouselTest : public ::testing::Test {
 protected:
  CarouselTest() {
    platform::Screen::main().setBounds(platform::makeRect(0, 0, 375, 667));
    window->makeKeyAndVisible();
  }
  ~CarouselTest() override {
    loop.runPending();
    loop.invalidateAllTimers();
    platform::ApplicationWindows::shared().reset();
    platform::Screen::main().setBounds(savedBounds);
  }
  void advance(double seconds) { loop.advance(seconds); }

  platform::RunLoop& loop = platform::RunLoop::main();
  platform::ScopedVirtualClock clock;
  const platform::Rect savedBounds = platform::Screen::main().bounds();
  std::shared_ptr<platform::Window> window =
      platform::Window::create(platform::makeRect(0, 0, 375, 667));
  platform::TouchDriver fingers{window};
};

}  // namespace sprout::carousel_test
