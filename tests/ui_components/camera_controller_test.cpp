#include "platform/media/ViewTransitionLog.h"
#include "tests/ui_components/components_support.h"
#include "ui/components/camera/SCCameraViewController.h"

namespace sprout {
namespace {

using platform::CaptureDevicePosition;
using platform::CaptureFlashMode;
using platform::DeviceOrientation;

class CameraController : public components_test::ComponentsTest {
 protected:
  void open() {
    camera->setCallback([this](const std::vector<std::shared_ptr<SCCamera>>& photos) {
      delivered.push_back(photos);
    });
    root->presentViewController(camera, false);
    camera->view();
  }
  void shoot() {
    const auto before = camera->images().size();
    camera->Captureimage();
    runUntil([&] { return camera->pendingCaptures() == 0; });
    (void)before;
  }
  std::string flashTitle() {
    return camera->flashBtn()->titleForState(platform::ControlStateNormal).value_or("");
  }

  std::shared_ptr<SCCameraViewController> camera = SCCameraViewController::create();
  std::vector<std::vector<std::shared_ptr<SCCamera>>> delivered;
};

TEST_F(CameraController, SetUpPutsThePreviewInA34BoxUnderTheTopBar) {
  open();
  EXPECT_TRUE(camera->session()->isRunning());
  EXPECT_EQ(camera->session()->inputs().size(), 1u);
  EXPECT_EQ(camera->captureOutput()->outputSettings().at(platform::kVideoCodecKey),
            platform::kVideoCodecJPEG);
  EXPECT_EQ(camera->device()->position(), CaptureDevicePosition::Back);
  EXPECT_EQ(camera->preview()->frame(), platform::makeRect(0, 40, 320, 320.0 / 480 * 640));
  EXPECT_EQ(camera->caramView()->frame(), camera->preview()->frame());
  EXPECT_EQ(camera->view()->layer()->sublayers().front(), camera->preview());
  EXPECT_EQ(flashTitle(), "关闭");
}

TEST_F(CameraController, FlashCyclesOnAutoOffOffWhereTheDeviceCan) {
  open();
  const std::vector<std::pair<const char*, CaptureFlashMode>> expected = {
      {"打开", CaptureFlashMode::On},
      {"自动", CaptureFlashMode::Auto},
      {"关闭", CaptureFlashMode::Off},
      {"关闭", CaptureFlashMode::Off},
      {"打开", CaptureFlashMode::On}};
  for (const auto& [title, mode] : expected) {
    camera->flashCameraDevice();
    EXPECT_EQ(flashTitle(), title);
    EXPECT_EQ(camera->device()->flashMode(), mode);
  }
  EXPECT_FALSE(camera->device()->isLockedForConfiguration());
  EXPECT_FALSE(camera->session()->isConfiguring());

  // The front camera has no flash: the titles move, the mode stays off, nothing is configured.
  camera->changeCameraDevice();
  ASSERT_EQ(camera->device()->position(), CaptureDevicePosition::Front);
  const int commits = camera->session()->commitCount();
  camera->flashCameraDevice();
  EXPECT_EQ(flashTitle(), "自动");
  EXPECT_EQ(camera->device()->flashMode(), CaptureFlashMode::Off);
  EXPECT_EQ(camera->session()->commitCount(), commits);
}

TEST_F(CameraController, ARefusedLockEndsTheConfigurationAndChangesNothing) {
  open();
  camera->device()->setLockFails(true);
  camera->flashCameraDevice();
  EXPECT_EQ(flashTitle(), "打开");
  EXPECT_EQ(camera->device()->flashMode(), CaptureFlashMode::Off);
  EXPECT_FALSE(camera->session()->isConfiguring());
  camera->flashLightModel(nullptr);
  EXPECT_FALSE(camera->session()->isConfiguring());
}

TEST_F(CameraController, SwitchingFlipsAndMovesFlashAndFocusToTheOtherCamera) {
  open();
  platform::ViewTransitionLog::clear();
  camera->changeCameraDevice();
  ASSERT_EQ(platform::ViewTransitionLog::entries().size(), 1u);
  const auto& flip = platform::ViewTransitionLog::entries()[0];
  EXPECT_EQ(flip.transition, platform::ViewAnimationTransition::FlipFromRight);
  EXPECT_EQ(flip.duration, 0.5);
  EXPECT_EQ(flip.view.lock(), camera->view());
  EXPECT_EQ(camera->session()->videoDevice()->position(), CaptureDevicePosition::Front);
  EXPECT_EQ(camera->input()->device(), camera->device());
  camera->changeCameraDevice();
  EXPECT_EQ(camera->device()->position(), CaptureDevicePosition::Back);
  EXPECT_EQ(camera->session()->inputs().size(), 1u);
}

TEST_F(CameraController, WithOneCameraTheSwitchKeepsIt) {
  platform::CaptureDevice::setDevices(
      {platform::CaptureDevice::create("only", CaptureDevicePosition::Back, true)});
  open();
  auto input = camera->session()->inputs().at(0);
  camera->changeCameraDevice();
  EXPECT_EQ(camera->session()->inputs().at(0), input);
  EXPECT_EQ(camera->device()->uniqueID(), "only");
}

TEST_F(CameraController, WithoutACameraTheScreenStillShowsAndShotsChangeNothing) {
  platform::CaptureDevice::setDevices({});
  open();
  EXPECT_TRUE(camera->session()->inputs().empty());
  camera->changeCameraDevice();
  camera->flashCameraDevice();
  shoot();
  EXPECT_TRUE(camera->images().empty());
  EXPECT_FALSE(camera->previewView());
}

TEST_F(CameraController, ATapFocusesWhereItLandsWhereTheCameraCan) {
  open();
  platform::TouchDriver finger(window);
  finger.tap({160, 40 + 213.5});  // the middle of the preview box
  EXPECT_EQ(camera->device()->focusMode(), platform::CaptureFocusMode::AutoFocus);
  EXPECT_NEAR(camera->device()->focusPointOfInterest().x, 0.5, 0.01);
  EXPECT_NEAR(camera->device()->focusPointOfInterest().y, 0.5, 0.01);
  EXPECT_FALSE(camera->device()->isLockedForConfiguration());

  for (int i = 0; i < 40; ++i) advance(platform::DisplayLink::kFrameDuration);
  finger.tap({300, 60});  // near the top right: the sensor's origin side
  EXPECT_LT(camera->device()->focusPointOfInterest().x, 0.3);
  EXPECT_LT(camera->device()->focusPointOfInterest().y, 0.2);

  for (int i = 0; i < 40; ++i) advance(platform::DisplayLink::kFrameDuration);
  camera->device()->setFocusSupported(false);
  const auto before = camera->device()->focusPointOfInterest();
  finger.tap({160, 250});
  EXPECT_EQ(camera->device()->focusPointOfInterest(), before);
}

TEST_F(CameraController, OneShotPreviewsThePhotoThenUseDeliversItAndDismisses) {
  open();
  camera->Captureimage();
  camera->Captureimage();  // ignored: one is on its way
  EXPECT_EQ(camera->pendingCaptures(), 1);
  runUntil([&] { return camera->pendingCaptures() == 0; });
  ASSERT_EQ(camera->images().size(), 1u);
  const auto& photo = camera->images()[0];
  EXPECT_EQ(photo->photoImage()->bitmap()->width(), 1080);
  EXPECT_EQ(photo->photoImage()->bitmap()->height(), 1438);
  EXPECT_EQ(photo->thumbImage()->bitmap()->width(), 1080);
  ASSERT_TRUE(camera->previewView());
  EXPECT_EQ(camera->previewView()->imageToDisplay(), photo->photoImage());
  shoot();  // ignored while the photo waits for retake or use
  EXPECT_EQ(camera->images()[0], photo);

  platform::TouchDriver finger(window);
  finger.tap({60, 538});  // 重拍
  EXPECT_TRUE(camera->images().empty());
  EXPECT_FALSE(camera->previewView());
  shoot();
  ASSERT_TRUE(camera->previewView());
  finger.tap({260, 538});  // 使用照片
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_EQ(delivered[0].size(), 1u);
  advance(1);
  EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(CameraController, MultiShotGrowsOtherModesDropAndTheOrientationIsTheShutters) {
  open();
  camera->setCameraType(1);
  shoot();
  shoot();
  EXPECT_EQ(camera->images().size(), 2u);
  EXPECT_FALSE(camera->previewView());

  camera->setCameraType(2);
  shoot();
  EXPECT_EQ(camera->images().size(), 2u);

  camera->setCameraType(1);
  platform::Device::current().setOrientation(DeviceOrientation::LandscapeLeft);
  camera->Captureimage();
  platform::Device::current().setOrientation(DeviceOrientation::Portrait);
  runUntil([&] { return camera->pendingCaptures() == 0; });
  ASSERT_EQ(camera->images().size(), 3u);
  EXPECT_EQ(camera->images()[2]->photoImage()->bitmap()->width(), 1438);
  EXPECT_EQ(camera->images()[2]->photoImage()->bitmap()->height(), 1080);
}

TEST_F(CameraController, CancelTurnsTheFlashOffAndDismissesWithoutCallingBack) {
  open();
  camera->flashCameraDevice();
  ASSERT_EQ(camera->device()->flashMode(), CaptureFlashMode::On);
  camera->cancel();
  EXPECT_EQ(camera->device()->flashMode(), CaptureFlashMode::Off);
  advance(1);
  EXPECT_EQ(root->presentedViewController(), nullptr);
  EXPECT_TRUE(delivered.empty());
}

}  // namespace
}  // namespace sprout
