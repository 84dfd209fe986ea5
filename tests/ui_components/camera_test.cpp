// The still camera: its devices, flash and focus, and the screen as a person uses it, the shutter,
// the strip of shots and the buttons under a finger.
#include "platform/foundation/FileManager.h"
#include "platform/graphics/ImageEncoder.h"
#include "platform/media/ViewTransitionLog.h"
#include "platform/ui/controllers/AlertController.h"
#include "tests/ui_components/fixtures.h"
#include "ui/components/camera/SCCameraViewController.h"

namespace sprout {
namespace {

using components_test::near255;
using platform::CaptureDevicePosition;
using platform::CaptureFlashMode;
using platform::Color;
using Photos = std::vector<std::shared_ptr<SCCamera>>;

// On a 320 x 568 phone: the preview box starts under the 40-point top bar and is 3:4; the strip
// lies 10 points above its lower edge, its cells 80 wide with 20 between them.
constexpr double kStripTop = 40 + 320.0 / 480 * 640 - 90;
constexpr platform::Point kCancel{45, 538};
constexpr platform::Point kShutter{155, 538};
constexpr platform::Point kDone{255, 538};
constexpr platform::Point kRetake{60, 538};
constexpr platform::Point kUse{260, 538};

platform::Point thumbnail(int i) { return {100.0 * i + 30, kStripTop + 55}; }
platform::Point badge(int i) { return {100.0 * i + 62, kStripTop + 12}; }

class Camera : public components_test::ComponentsTest {
 protected:
  void open(std::int64_t type = 0, std::int64_t max = 0) {
    camera->setMaxCount(max);
    camera->setCameraType(type);
    camera->setCallback([this](const Photos& photos) { delivered.push_back(photos); });
    camera->showPickerVc(root);
    advance(1);
  }
  // The sensor sees a red scene, then a blue one, then green ever after.
  void useScenes() {
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
  }
  void shutter() {
    finger.tap(kShutter);
    runUntil([&] { return camera->pendingCaptures() == 0; });
    advance(1);  // the strip scrolls to the new shot
  }
  std::string flashTitle() {
    return camera->flashBtn()->titleForState(platform::ControlStateNormal).value_or("");
  }

  static constexpr Color kRed = Color::rgba(0.9, 0.1, 0.1, 1);
  static constexpr Color kBlue = Color::rgba(0.1, 0.2, 0.9, 1);
  static constexpr Color kGreen = Color::rgba(0.1, 0.8, 0.2, 1);

  platform::media_test::ScopedPhotoHome home;
  std::shared_ptr<SCCameraViewController> camera = SCCameraViewController::create();
  std::vector<Photos> delivered;
};

TEST_F(Camera, SetUpPutsThePreviewInA34BoxUnderTheTopBarAndTheButtonsBelow) {
  open(1);
  EXPECT_TRUE(camera->session()->isRunning());
  EXPECT_EQ(camera->session()->inputs().size(), 1u);
  EXPECT_EQ(camera->captureOutput()->outputSettings().at(platform::kVideoCodecKey),
            platform::kVideoCodecJPEG);
  EXPECT_EQ(camera->device()->position(), CaptureDevicePosition::Back);
  EXPECT_EQ(camera->preview()->frame(), platform::makeRect(0, 40, 320, 320.0 / 480 * 640));
  EXPECT_EQ(camera->caramView()->frame(), camera->preview()->frame());
  EXPECT_EQ(camera->view()->layer()->sublayers().front(), camera->preview());
  EXPECT_EQ(flashTitle(), "关闭");

  EXPECT_EQ(camera->topView()->frame(), platform::makeRect(0, 0, 320, 40));
  EXPECT_EQ(camera->switchBtn()->frame(), platform::makeRect(250, 0, 80, 40));
  EXPECT_EQ(camera->flashBtn()->frame(), platform::makeRect(10, 0, 80, 40));
  EXPECT_EQ(camera->controlView()->frame(), platform::makeRect(0, 508, 320, 60));
  const double b = (320 - 50) / 3.0;
  EXPECT_EQ(camera->cancelBtn()->frame(), platform::makeRect(0, 0, b, 60));
  EXPECT_EQ(camera->shutterBtn()->frame(), platform::makeRect(b + 20, 5, b, 50));
  ASSERT_TRUE(camera->doneBtn());
  EXPECT_EQ(camera->doneBtn()->frame(), platform::makeRect(230, 0, 50, 60));
  EXPECT_EQ(camera->doneBtn()->titleForState(platform::ControlStateNormal), "完成");
  EXPECT_EQ(camera->cancelBtn()->titleForState(platform::ControlStateNormal), "取消");
  EXPECT_EQ(camera->view()->subviews().back(), camera->controlView());
}

TEST_F(Camera, TurnsEveryWayButComesUpUpright) {
  const platform::ViewController& asked = *camera;  // the system asks through the base
  EXPECT_TRUE(asked.shouldAutorotate());
  EXPECT_EQ(asked.supportedInterfaceOrientations(), 30u);
  for (int o = 1; o <= 4; ++o) {
    EXPECT_TRUE(asked.shouldAutorotateToInterfaceOrientation(
        static_cast<platform::InterfaceOrientation>(o)));
  }
  // Upright even when the interface lies on its side as it comes up.
  platform::ApplicationWindows::shared().setStatusBarOrientation(
      platform::InterfaceOrientation::LandscapeLeft);
  EXPECT_EQ(asked.preferredInterfaceOrientationForPresentation(),
            platform::InterfaceOrientation::Portrait);
  EXPECT_NE(root->preferredInterfaceOrientationForPresentation(),
            asked.preferredInterfaceOrientationForPresentation());
}

TEST_F(Camera, FlashCyclesOnAutoOffWhereTheDeviceCanAndARefusedLockChangesNothing) {
  open();
  const std::vector<std::pair<const char*, CaptureFlashMode>> expected = {
      {"打开", CaptureFlashMode::On},
      {"自动", CaptureFlashMode::Auto},
      {"关闭", CaptureFlashMode::Off},
      {"关闭", CaptureFlashMode::Off}};
  for (const auto& [title, mode] : expected) {
    finger.tap(components_test::centreOf(*camera->flashBtn()));
    EXPECT_EQ(flashTitle(), title);
    EXPECT_EQ(camera->device()->flashMode(), mode);
  }
  EXPECT_FALSE(camera->device()->isLockedForConfiguration());
  EXPECT_FALSE(camera->session()->isConfiguring());

  camera->device()->setLockFails(true);
  camera->flashCameraDevice();
  EXPECT_EQ(flashTitle(), "打开");
  EXPECT_EQ(camera->device()->flashMode(), CaptureFlashMode::Off);
  EXPECT_FALSE(camera->session()->isConfiguring());
  camera->flashLightModel(nullptr);
  EXPECT_FALSE(camera->session()->isConfiguring());
  camera->device()->setLockFails(false);

  // The front camera has no flash: the titles move, the mode stays off, nothing is configured.
  camera->changeCameraDevice();
  ASSERT_EQ(camera->device()->position(), CaptureDevicePosition::Front);
  const int commits = camera->session()->commitCount();
  camera->flashCameraDevice();
  EXPECT_EQ(flashTitle(), "自动");
  EXPECT_EQ(camera->device()->flashMode(), CaptureFlashMode::Off);
  EXPECT_EQ(camera->session()->commitCount(), commits);
}

TEST_F(Camera, SwitchingFlipsAndMovesToTheOtherCamera) {
  open();
  platform::ViewTransitionLog::clear();
  finger.tap(components_test::centreOf(*camera->switchBtn()));
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

TEST_F(Camera, WithOneCameraTheSwitchKeepsIt) {
  platform::CaptureDevice::setDevices(
      {platform::CaptureDevice::create("only", CaptureDevicePosition::Back, true)});
  open();
  auto input = camera->session()->inputs().at(0);
  camera->changeCameraDevice();
  EXPECT_EQ(camera->session()->inputs().at(0), input);
  EXPECT_EQ(camera->device()->uniqueID(), "only");
}

TEST_F(Camera, WithoutACameraTheScreenStillShowsAndShotsChangeNothing) {
  platform::CaptureDevice::setDevices({});
  open();
  EXPECT_TRUE(camera->session()->inputs().empty());
  camera->changeCameraDevice();
  camera->flashCameraDevice();
  shutter();
  EXPECT_TRUE(camera->images().empty());
  EXPECT_FALSE(camera->previewView());
}

TEST_F(Camera, ATapFocusesWhereItLandsWhereTheCameraCan) {
  open();
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

TEST_F(Camera, OneShotPreviewsThePhotoThenRetakeEmptiesAndUseDeliversIt) {
  open(0, 1);
  EXPECT_FALSE(camera->doneBtn());
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
  camera->Captureimage();  // refused while the photo waits for retake or use
  EXPECT_EQ(camera->pendingCaptures(), 0);
  EXPECT_EQ(camera->images(), Photos{photo});

  finger.tap(kRetake);
  EXPECT_TRUE(camera->images().empty());
  EXPECT_FALSE(camera->previewView());
  shutter();
  ASSERT_TRUE(camera->previewView());
  finger.tap(kUse);
  ASSERT_EQ(delivered.size(), 1u);
  ASSERT_EQ(delivered[0].size(), 1u);
  EXPECT_TRUE(delivered[0][0]->photoImage());
  advance(1);
  EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(Camera, MultiShotGrowsOtherModesDropAndTheOrientationIsTheShutters) {
  open(1);
  shutter();
  shutter();
  EXPECT_EQ(camera->images().size(), 2u);
  EXPECT_FALSE(camera->previewView());

  camera->setCameraType(2);
  shutter();
  EXPECT_EQ(camera->images().size(), 2u);

  camera->setCameraType(1);
  platform::Device::current().setOrientation(platform::DeviceOrientation::LandscapeLeft);
  camera->Captureimage();
  platform::Device::current().setOrientation(platform::DeviceOrientation::Portrait);
  runUntil([&] { return camera->pendingCaptures() == 0; });
  ASSERT_EQ(camera->images().size(), 3u);
  EXPECT_EQ(camera->images()[2]->photoImage()->bitmap()->width(), 1438);
  EXPECT_EQ(camera->images()[2]->photoImage()->bitmap()->height(), 1080);
}

TEST_F(Camera, TheLimitCountsShotsAndADeletedShotFreesAPlace) {
  open(1, 3);
  for (int i = 0; i < 3; ++i) shutter();
  ASSERT_EQ(camera->images().size(), 3u);
  EXPECT_TRUE(platform::AlertController::presentations().empty());
  shutter();
  EXPECT_EQ(camera->images().size(), 3u);
  ASSERT_EQ(platform::AlertController::presentations().size(), 1u);
  const auto& alert = platform::AlertController::presentations()[0];
  EXPECT_EQ(alert.title, "提示");
  EXPECT_EQ(alert.message, "拍照的个数不能超过3");
  EXPECT_EQ(alert.actionTitles, std::vector<std::string>{"好的"});
  auto shown =
      std::dynamic_pointer_cast<platform::AlertController>(camera->presentedViewController());
  ASSERT_TRUE(shown);
  shown->dismissViewControllerAnimated(false);
  advance(1);
  ASSERT_EQ(root->presentedViewController(), camera);
  const auto middle = camera->images()[1];
  camera->collectionView()->setContentOffset({0, 0});
  finger.tap(badge(1));
  ASSERT_EQ(camera->images().size(), 2u);
  EXPECT_NE(camera->images()[0], middle);
  EXPECT_NE(camera->images()[1], middle);
  shutter();
  EXPECT_EQ(camera->images().size(), 3u);
}

TEST_F(Camera, DoneWithNothingTakenCallsBackEmptyAndCancelTurnsTheFlashOffWithoutCallingBack) {
  open(1, 2);
  finger.tap(kDone);
  advance(1);
  EXPECT_EQ(delivered, std::vector<Photos>{Photos{}});
  auto other = SCCameraViewController::create();
  other->setCallback([this](const Photos& photos) { delivered.push_back(photos); });
  other->showPickerVc(root);
  advance(1);
  other->flashCameraDevice();
  ASSERT_EQ(other->device()->flashMode(), CaptureFlashMode::On);
  finger.tap(kCancel);
  EXPECT_EQ(other->device()->flashMode(), CaptureFlashMode::Off);
  advance(1);
  EXPECT_EQ(delivered.size(), 1u);
  EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(Camera, DoneRightAfterTheShutterWaitsForThatShotAndCancelDropsTheWait) {
  open(1);
  finger.tap(kShutter);
  finger.tap(kDone);
  ASSERT_TRUE(runUntil([&] { return !delivered.empty(); }));
  advance(1);
  EXPECT_EQ(delivered[0].size(), 1u);
  EXPECT_EQ(root->presentedViewController(), nullptr);

  auto other = SCCameraViewController::create();
  other->setCameraType(1);
  other->setCallback([this](const Photos& photos) { delivered.push_back(photos); });
  other->showPickerVc(root);
  advance(1);
  finger.tap(kShutter);
  finger.tap(kDone);
  finger.tap(kCancel);
  ASSERT_TRUE(runUntil([&] { return other->pendingCaptures() == 0; }));
  advance(1);
  EXPECT_EQ(delivered.size(), 1u);  // cancelled: no callback
  EXPECT_EQ(root->presentedViewController(), nullptr);
}

// --- what a person sees

TEST_F(Camera, TwoShotsOneDeletedFromTheStripThenDone) {
  useScenes();
  open(1);
  shutter();
  shutter();
  ASSERT_EQ(camera->images().size(), 2u);
  EXPECT_TRUE(near255(seen(thumbnail(0)), kRed, 8));
  EXPECT_TRUE(near255(seen(thumbnail(1)), kBlue, 8));
  EXPECT_FALSE(near255(seen(badge(1)), kBlue, 40));                 // each with its delete badge
  EXPECT_TRUE(platform::AlertController::presentations().empty());  // no limit below one
  const auto blue = camera->images()[1];
  finger.tap(badge(0));
  EXPECT_EQ(camera->images(), Photos{blue});
  EXPECT_EQ(camera->presentedViewController(), nullptr);  // the badge opens nothing
  EXPECT_TRUE(near255(seen(thumbnail(0)), kBlue, 8));
  // The second place shows the live preview (the last scene shot), its badge gone.
  EXPECT_TRUE(near255(seen(badge(1)), kBlue, 8));
  finger.tap(kDone);
  advance(1);
  EXPECT_EQ(delivered, std::vector<Photos>{Photos{blue}});
  EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(Camera, DeletingTheLastShotsOfAScrolledStripLeavesTheOthersInSight) {
  useScenes();
  open(1);
  for (int i = 0; i < 7; ++i) shutter();
  auto strip = camera->collectionView();
  ASSERT_GT(strip->contentOffset().x, 0);  // scrolled to the newest shot
  while (camera->images().size() > 2) {
    auto newest =
        strip->cellForItemAtIndexPath({0, static_cast<long>(camera->images().size()) - 1});
    ASSERT_TRUE(newest);
    finger.tap(newest->convertPointTo({62, 12}, nullptr));
    advance(1);
  }
  EXPECT_TRUE(near255(seen(thumbnail(0)), kRed, 8));
  EXPECT_TRUE(near255(seen(thumbnail(1)), kBlue, 8));
}

TEST_F(Camera, AThumbnailOpensTheBareBrowserOnItsShotAndATapClosesIt) {
  useScenes();
  open(1);
  shutter();
  shutter();
  finger.tap(thumbnail(1));
  advance(1);
  auto browser = std::dynamic_pointer_cast<PPPhotoPickerBrowserViewController>(
      camera->presentedViewController());
  ASSERT_TRUE(browser);
  EXPECT_TRUE(browser->needHidenBar());
  EXPECT_EQ(browser->currentPage(), 1);
  EXPECT_EQ(browser->photos()[1]->photoImage(), camera->images()[1]->photoImage());
  EXPECT_TRUE(browser->photos()[1]->toView());
  EXPECT_TRUE(near255(seen({160, 284}), kBlue, 8));
  drag({250, 284}, {-120, 0}, 4);  // nothing beyond the last shot
  advance(1);
  EXPECT_EQ(browser->currentPage(), 1);
  drag({70, 284}, {120, 0}, 4);
  advance(1);
  EXPECT_EQ(browser->currentPage(), 0);
  EXPECT_TRUE(near255(seen({160, 284}), kRed, 8));
  finger.tap({160, 284});
  advance(1);
  EXPECT_EQ(camera->presentedViewController(), nullptr);
  EXPECT_EQ(camera->images().size(), 2u);
  EXPECT_TRUE(near255(seen(thumbnail(0)), kRed, 8));
}

}  // namespace
}  // namespace sprout
