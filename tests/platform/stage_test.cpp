// The stage every interface test stands on: whatever a test changes of the process-wide state is
// back as it was once the stage ends, and homes nest.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/TimeZone.h"
#include "platform/media/CaptureDevice.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Device.h"
#include "platform/ui/KeyboardSimulator.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/controllers/AlertController.h"
#include "tests/support/Stage.h"

namespace platform {
namespace {

TEST(Stage, PutsBackEverythingATestChanged) {
  const Rect bounds = Screen::main().bounds();
  const double scale = Screen::main().scale();
  const std::string zone = TimeZone::defaultTimeZone().identifier();
  const std::string home = FileManager::homeDirectory();
  const auto cameras = CaptureDevice::devicesWithMediaType(kMediaTypeVideo).size();
  std::string stageHome;
  bool fired = false;
  {
    test::Stage stage(makeRect(0, 0, 100, 200), 3, 1000);
    EXPECT_EQ(Screen::main().bounds(), makeRect(0, 0, 100, 200));
    EXPECT_EQ(Screen::main().scale(), 3);
    EXPECT_EQ(Clock::current().now(), 1000);
    stage.setTimeZone(zone == "Asia/Tokyo" ? "Europe/Paris" : "Asia/Tokyo");
    stageHome = stage.makeHome();
    EXPECT_EQ(FileManager::homeDirectory(), stageHome);
    {
      test::TemporaryHome inner;
      EXPECT_EQ(FileManager::homeDirectory(), inner.path());
    }
    EXPECT_EQ(FileManager::homeDirectory(), stageHome);
    Screen::main().setScale(1);

    auto window = Window::create(makeRect(0, 0, 100, 200));
    auto root = ViewController::create();
    window->setRootViewController(root);
    window->makeKeyAndVisible();
    root->presentViewController(AlertController::create("t", "m", AlertControllerStyle::Alert),
                                false);
    KeyboardSimulator::shared().show();
    Device::current().setOrientation(DeviceOrientation::LandscapeLeft);
    CaptureDevice::setDevices({});
    stage.loop.post([&] { fired = true; });
    stage.advance(0);
    fired = false;
    stage.loop.post([&] { fired = true; });  // left queued: the stage runs it
  }
  EXPECT_TRUE(fired);
  EXPECT_EQ(Screen::main().bounds(), bounds);
  EXPECT_EQ(Screen::main().scale(), scale);
  EXPECT_EQ(TimeZone::defaultTimeZone().identifier(), zone);
  EXPECT_EQ(FileManager::homeDirectory(), home);
  EXPECT_FALSE(std::filesystem::exists(stageHome));
  EXPECT_TRUE(ApplicationWindows::shared().windows().empty());
  EXPECT_TRUE(AlertController::presentations().empty());
  EXPECT_FALSE(KeyboardSimulator::shared().isVisible());
  EXPECT_EQ(Device::current().orientation(), DeviceOrientation::Portrait);
  EXPECT_EQ(CaptureDevice::devicesWithMediaType(kMediaTypeVideo).size(), cameras);
  EXPECT_FALSE(Clock::isVirtual());
}

}  // namespace
}  // namespace platform
