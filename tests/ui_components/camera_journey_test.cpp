// The still camera as a person uses it: fingers and the clock only.
#include "platform/foundation/FileManager.h"
#include "platform/graphics/ImageEncoder.h"
#include "tests/ui_components/components_support.h"
#include "tests/ui_components/journey_support.h"
#include "ui/components/camera/SCCameraViewController.h"

namespace sprout {
namespace {

using components_test::Finger;
using components_test::near255;
using platform::Color;
using Photos = std::vector<std::shared_ptr<SCCamera>>;

// On a 320 x 568 phone: the strip lies 10 points above the preview's lower edge (the preview
// box starts under the 40-point top bar and is 3:4), its cells 80 wide with 20 between them.
constexpr double kStripTop = 40 + 320.0 / 480 * 640 - 90;
constexpr platform::Point kShutter{155, 538};
constexpr platform::Point kDone{255, 538};

platform::Point thumbnail(int i) { return {100.0 * i + 30, kStripTop + 55}; }
platform::Point badge(int i) { return {100.0 * i + 62, kStripTop + 12}; }

class CameraJourney : public components_test::ComponentsTest {
 protected:
  CameraJourney() {
    // The sensor sees a red scene, then a blue one, then green ever after.
    std::vector<std::string> files;
    for (const auto& [name, color] : {std::pair{"red.jpg", kRed}, std::pair{"blue.jpg", kBlue},
                                      std::pair{"green.jpg", kGreen}}) {
      const std::string path = home.album("Scenes") + "/" + name;
      auto data = platform::encodeJPEG(*components_test::solidPicture(1920, 1080, color), 0.95);
      EXPECT_TRUE(platform::FileManager::defaultManager().writeFile(path, *data));
      files.push_back(path);
    }
    for (int i = 0; i < 8; ++i) files.push_back(files.back());
    platform::CaptureDevice::defaultDeviceWithMediaType(platform::kMediaTypeVideo)
        ->setImageFiles(files);
    camera->setMaxCount(0);
    camera->setCameraType(1);
    camera->setCallback([this](const Photos& photos) { delivered.push_back(photos); });
    camera->showPickerVc(root);
    advance(1);
  }
  void shutter() {
    finger.tap(kShutter);
    runUntil([&] { return camera->pendingCaptures() == 0; });
    advance(1);  // the strip scrolls to the new shot
  }

  static constexpr Color kRed = Color::rgba(0.9, 0.1, 0.1, 1);
  static constexpr Color kBlue = Color::rgba(0.1, 0.2, 0.9, 1);
  static constexpr Color kGreen = Color::rgba(0.1, 0.8, 0.2, 1);

  platform::media_test::ScopedPhotoHome home;
  std::shared_ptr<SCCameraViewController> camera = SCCameraViewController::create();
  std::vector<Photos> delivered;
  Finger finger{window};
};

TEST_F(CameraJourney, TwoShotsOneDeletedFromTheStripThenDone) {
  shutter();
  shutter();
  ASSERT_EQ(camera->images().size(), 2u);
  EXPECT_TRUE(near255(finger.seen(thumbnail(0)), kRed, 8));
  EXPECT_TRUE(near255(finger.seen(thumbnail(1)), kBlue, 8));
  EXPECT_FALSE(near255(finger.seen(badge(1)), kBlue, 40));  // each with its delete badge
  const auto blue = camera->images()[1];
  finger.tap(badge(0));
  ASSERT_EQ(camera->images().size(), 1u);
  EXPECT_EQ(camera->images()[0], blue);
  EXPECT_EQ(camera->presentedViewController(), nullptr);  // the badge opens nothing
  EXPECT_TRUE(near255(finger.seen(thumbnail(0)), kBlue, 8));
  // The second place shows the live preview (the last scene shot), its badge gone.
  EXPECT_TRUE(near255(finger.seen(badge(1)), kBlue, 8));
  finger.tap(kDone);
  advance(1);
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_EQ(delivered[0], Photos{blue});
  EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(CameraJourney, AThumbnailOpensTheBareBrowserOnItsShotAndATapClosesIt) {
  shutter();
  shutter();
  finger.tap(thumbnail(1));
  advance(1);
  auto browser = std::dynamic_pointer_cast<PPPhotoPickerBrowserViewController>(
      camera->presentedViewController());
  ASSERT_TRUE(browser);
  EXPECT_EQ(browser->currentPage(), 1);
  EXPECT_TRUE(near255(finger.seen({160, 284}), kBlue, 8));
  EXPECT_EQ(camera->images().size(), 2u);
  finger.drag({250, 284}, {-120, 0}, 4);  // nothing beyond the last shot
  advance(1);
  EXPECT_EQ(browser->currentPage(), 1);
  finger.drag({70, 284}, {120, 0}, 4);
  advance(1);
  EXPECT_EQ(browser->currentPage(), 0);
  EXPECT_TRUE(near255(finger.seen({160, 284}), kRed, 8));
  finger.tap({160, 284});
  advance(1);
  EXPECT_EQ(camera->presentedViewController(), nullptr);
  EXPECT_EQ(camera->images().size(), 2u);
  EXPECT_TRUE(near255(finger.seen(thumbnail(0)), kRed, 8));
}

}  // namespace
}  // namespace sprout
