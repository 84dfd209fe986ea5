#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/ScopedVirtualClock.h"
#include "platform/graphics/Image.h"
#include "platform/media/CaptureDevice.h"
#include "platform/render/Render.h"
#include "platform/render/RenderView.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Device.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "tests/platform/media_support.h"

namespace sprout::components_test {

// A 320 x 568 portrait phone at scale 1 on the virtual clock: a key window with a root
// controller, the default cameras, and nothing left behind for the next test.
class ComponentsTest : public ::testing::Test {
 protected:
  static constexpr platform::Rect kScreen = platform::makeRect(0, 0, 320, 568);

  ComponentsTest()
      : savedBounds_(platform::Screen::main().bounds()),
        savedScale_(platform::Screen::main().scale()) {
    platform::Screen::main().setBounds(kScreen);
    platform::Screen::main().setScale(1);
    platform::CaptureDevice::resetDevices();
    platform::Device::current().resetForTesting();
    window = platform::Window::create(kScreen);
    root = platform::ViewController::create();
    window->setRootViewController(root);
    window->makeKeyAndVisible();
  }
  ~ComponentsTest() override {
    loop.runPending();
    platform::ApplicationWindows::shared().reset();
    platform::CaptureDevice::resetDevices();
    platform::Device::current().resetForTesting();
    platform::Screen::main().setBounds(savedBounds_);
    platform::Screen::main().setScale(savedScale_);
  }
  void advance(platform::TimeInterval dt) { loop.advance(dt); }
  // Runs the main loop until `pred` holds (work from other threads included).
  bool runUntil(const std::function<bool()>& pred) { return loop.runUntil(pred, 20.0); }

  platform::RunLoop& loop = platform::RunLoop::main();
  platform::ScopedVirtualClock clock;

 private:
  platform::Rect savedBounds_;
  double savedScale_;

 protected:
  std::shared_ptr<platform::Window> window;
  std::shared_ptr<platform::ViewController> root;
};

}  // namespace sprout::components_test
