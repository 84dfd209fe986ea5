#include <gtest/gtest.h>

#include <fstream>
#include <mutex>

#include "platform/dispatch/RunLoop.h"
#include "platform/graphics/ImageSource.h"
#include "platform/media/AssetsLibrary.h"
#include "platform/media/CaptureSession.h"
#include "platform/media/CaptureVideoPreviewLayer.h"
#include "platform/media/ImagePickerController.h"
#include "platform/media/ScaledDecode.h"
#include "platform/render/Render.h"
#include "tests/platform/media_support.h"

using namespace platform;
using namespace platform::media_test;

namespace {

class CaptureTest : public ::testing::Test {
 protected:
  void SetUp() override { CaptureDevice::resetDevices(); }
  void TearDown() override { CaptureDevice::resetDevices(); }

  struct Shot {
    std::shared_ptr<SampleBuffer> buffer;
    std::optional<Error> error;
    bool onMain = true;
  };
  Shot capture(CaptureStillImageOutput& output, std::shared_ptr<CaptureConnection> connection) {
    Shot shot;
    std::mutex mutex;
    bool done = false;
    output.captureStillImageAsynchronously(connection, [&](auto buffer, auto error) {
      std::lock_guard lock(mutex);
      shot.buffer = buffer, shot.error = error, shot.onMain = RunLoop::isMainThread();
      done = true;
    });
    RunLoop::main().runUntil([&] {
      std::lock_guard lock(mutex);
      return done;
    });
    return shot;
  }

  std::shared_ptr<CaptureSession> runningSession(std::shared_ptr<CaptureStillImageOutput> output) {
    auto session = CaptureSession::create();
    EXPECT_TRUE(session->addInput(CaptureDeviceInput::deviceInputWithDevice(
        CaptureDevice::defaultDeviceWithMediaType(kMediaTypeVideo))));
    EXPECT_TRUE(session->addOutput(output));
    session->startRunning();
    return session;
  }
};

TEST_F(CaptureTest, SettingsChangeOnlyWhileLockedAndWhereSupported) {
  auto back = CaptureDevice::defaultDeviceWithMediaType(kMediaTypeVideo);
  EXPECT_FALSE(back->setFlashMode(CaptureFlashMode::On));  // not locked
  ASSERT_TRUE(back->lockForConfiguration());
  EXPECT_FALSE(back->lockForConfiguration());  // a second lock is refused
  EXPECT_TRUE(back->setFlashMode(CaptureFlashMode::On));
  EXPECT_TRUE(back->setFocusMode(CaptureFocusMode::AutoFocus));
  EXPECT_TRUE(back->setFocusPointOfInterest({0.25, 0.75}));
  EXPECT_FALSE(back->setFocusPointOfInterest({50, 50}));
  EXPECT_EQ(back->focusPointOfInterest().x, 0.25);
  back->unlockForConfiguration();

  auto front = CaptureDevice::devicesWithMediaType(kMediaTypeVideo)[1];
  EXPECT_EQ(front->position(), CaptureDevicePosition::Front);
  front->setFocusSupported(false);
  front->setLockFails(true);
  EXPECT_EQ(front->lockForConfiguration().error().code, kCaptureDeviceLockedError);
  front->setLockFails(false);
  ASSERT_TRUE(front->lockForConfiguration());
  EXPECT_FALSE(front->setFlashMode(CaptureFlashMode::Auto));  // the front camera has no flash
  EXPECT_FALSE(front->setFocusMode(CaptureFocusMode::AutoFocus));
  EXPECT_FALSE(front->isFocusPointOfInterestSupported());

  CaptureDevice::setDevices({});
  EXPECT_EQ(CaptureDevice::defaultDeviceWithMediaType(kMediaTypeVideo), nullptr);
  std::optional<Error> error;
  EXPECT_EQ(CaptureDeviceInput::deviceInputWithDevice(nullptr, &error), nullptr);
  EXPECT_TRUE(error);
}

TEST_F(CaptureTest, ASessionTakesOneCameraAndOutputsOnce) {
  auto devices = CaptureDevice::devicesWithMediaType(kMediaTypeVideo);
  auto session = CaptureSession::create();
  auto back = CaptureDeviceInput::deviceInputWithDevice(devices[0]);
  auto front = CaptureDeviceInput::deviceInputWithDevice(devices[1]);
  EXPECT_FALSE(session->canAddInput(nullptr));
  EXPECT_TRUE(session->addInput(back));
  EXPECT_FALSE(session->canAddInput(back));
  EXPECT_FALSE(session->canAddInput(front));
  session->beginConfiguration();
  session->removeInput(back);
  EXPECT_TRUE(session->addInput(front));
  session->commitConfiguration();
  EXPECT_EQ(session->videoDevice(), devices[1]);
  EXPECT_EQ(session->commitCount(), 1);

  auto output = CaptureStillImageOutput::create();
  EXPECT_TRUE(output->connections().empty());
  EXPECT_TRUE(session->addOutput(output));
  EXPECT_FALSE(session->canAddOutput(output));
  EXPECT_FALSE(CaptureSession::create()->canAddOutput(output));
  ASSERT_EQ(output->connections().size(), 1u);
  EXPECT_EQ(output->connections()[0]->inputPorts()[0].mediaType, kMediaTypeVideo);
}

TEST_F(CaptureTest, AStillIsALandscapeJpegTaggedToTurnClockwiseDeliveredOffTheMainThread) {
  auto output = CaptureStillImageOutput::create();
  auto session = runningSession(output);
  CaptureDevice::defaultDeviceWithMediaType(kMediaTypeVideo)->setTestPattern(1920, 1080);
  auto shot = capture(*output, output->connectionWithMediaType(kMediaTypeVideo));
  ASSERT_TRUE(shot.buffer) << (shot.error ? shot.error->localizedDescription() : "");
  EXPECT_FALSE(shot.onMain);
  auto jpeg = CaptureStillImageOutput::jpegStillImageNSDataRepresentation(shot.buffer);
  ASSERT_TRUE(jpeg);
  EXPECT_EQ(jpegExifOrientation(*jpeg), 6);
  auto source = ImageSource::create(*jpeg);
  ASSERT_TRUE(source);
  EXPECT_EQ(source->propertiesAt(0)->width, 1920);
  EXPECT_EQ(source->propertiesAt(0)->height, 1080);
  EXPECT_FALSE(CaptureStillImageOutput::jpegStillImageNSDataRepresentation(nullptr));
}

TEST_F(CaptureTest, PortraitFilesAreLaidOnTheirSideAndBadOnesGiveNoFrame) {
  ScopedPhotoHome home;
  const std::string dir = home.album("camera");
  writePhoto(dir + "/p.jpg", 300, 400);
  std::ofstream(dir + "/bad.jpg") << "junk";
  auto output = CaptureStillImageOutput::create();
  auto session = runningSession(output);
  session->videoDevice()->setImageFiles({dir + "/p.jpg", dir + "/bad.jpg"});
  auto shot = capture(*output, output->connectionWithMediaType(kMediaTypeVideo));
  ASSERT_TRUE(shot.buffer);
  auto shown = decodeImageFitting(shot.buffer->jpegData(), 4000, false);
  EXPECT_EQ(shown->bitmap()->width(), 300);
  EXPECT_EQ(shown->bitmap()->height(), 400);
  EXPECT_TRUE(near(shown->bitmap()->pixel(60, 80), 0xE03020));  // the block stays top left

  auto broken = capture(*output, output->connectionWithMediaType(kMediaTypeVideo));
  EXPECT_FALSE(broken.buffer);
  EXPECT_TRUE(broken.error);
}

TEST_F(CaptureTest, WithoutAConnectionOrARunningSessionACaptureEndsInAnError) {
  auto output = CaptureStillImageOutput::create();
  auto shot = capture(*output, nullptr);
  EXPECT_FALSE(shot.buffer);
  ASSERT_TRUE(shot.error);
  EXPECT_EQ(shot.error->code, kCaptureNoConnectionError);
  auto session = runningSession(output);
  session->stopRunning();
  EXPECT_FALSE(capture(*output, output->connectionWithMediaType(kMediaTypeVideo)).buffer);
}

TEST_F(CaptureTest, ThePreviewFillsItsBoxAndMapsPointsIntoTheSensorFrame) {
  auto output = CaptureStillImageOutput::create();
  auto session = runningSession(output);
  session->videoDevice()->setTestPattern(1920, 1080);
  auto layer = CaptureVideoPreviewLayer::layerWithSession(session);
  layer->setVideoGravity(VideoGravity::ResizeAspectFill);
  layer->setFrame(makeRect(0, 0, 90, 120));  // 3:4, wider than the 9:16 picture: fills width
  RenderOptions options;
  options.scale = 1;
  auto image = renderLayer(*layer, options);
  const auto& px = *image->bitmap();
  // The picture is 90 x 160, 20 points cut off above and below: the pattern's disc in the middle,
  // its first and last bars at the sides; its dark band (at 8 % of the height) is cut off.
  EXPECT_TRUE(near(px.pixel(45, 60), 0xF2F2F2));
  EXPECT_TRUE(near(px.pixel(2, 100), 0xBFBFBF)) << std::hex << px.pixel(2, 100);
  EXPECT_TRUE(near(px.pixel(88, 100), 0x0000BF)) << std::hex << px.pixel(88, 100);
  EXPECT_FALSE(near(px.pixel(45, 2), 0x1A1A1A));

  // Centre → centre; the sensor's x runs down the picture, its y from right to left.
  const Point centre = layer->captureDevicePointOfInterestForPoint({45, 60});
  EXPECT_NEAR(centre.x, 0.5, 1e-9);
  EXPECT_NEAR(centre.y, 0.5, 1e-9);
  const Point top = layer->captureDevicePointOfInterestForPoint({45, 0});
  EXPECT_NEAR(top.x, 20.0 / 160, 1e-9);  // the box's top edge is 20 points into the picture
  EXPECT_NEAR(top.y, 0.5, 1e-9);
  const Point right = layer->captureDevicePointOfInterestForPoint({90, 60});
  EXPECT_NEAR(right.x, 0.5, 1e-9);
  EXPECT_NEAR(right.y, 0.0, 1e-9);
  const Point outside = layer->captureDevicePointOfInterestForPoint({-50, 500});
  EXPECT_EQ(outside.x, 1.0);
  EXPECT_EQ(outside.y, 1.0);
}

class PickerRecorder : public ImagePickerControllerDelegate {
 public:
  void didFinishPickingMediaWithInfo(ImagePickerController&, const Dictionary& info) override {
    auto it = info.find(kImagePickerControllerOriginalImage);
    if (it != info.end()) images.push_back(std::any_cast<std::shared_ptr<Image>>(it->second));
  }
  void imagePickerControllerDidCancel(ImagePickerController&) override { ++cancels; }
  std::vector<std::shared_ptr<Image>> images;
  int cancels = 0;
};

TEST_F(CaptureTest, TheSystemCameraPickerIsThereOnlyWithACameraAndHandsOverItsShot) {
  EXPECT_TRUE(ImagePickerController::isSourceTypeAvailable(ImagePickerSourceType::Camera));
  EXPECT_TRUE(
      ImagePickerController::isSourceTypeAvailable(ImagePickerSourceType::SavedPhotosAlbum));
  AssetsLibrary::setAuthorizationStatus(AuthorizationStatus::Denied);
  EXPECT_FALSE(
      ImagePickerController::isSourceTypeAvailable(ImagePickerSourceType::SavedPhotosAlbum));
  AssetsLibrary::setAuthorizationStatus(AuthorizationStatus::Authorized);

  auto recorder = std::make_shared<PickerRecorder>();
  std::weak_ptr<ImagePickerController> weak;
  {
    auto picker = ImagePickerController::create();
    weak = picker;
    picker->setSourceType(ImagePickerSourceType::Camera);
    picker->setDelegate(recorder);
    picker->takePicture();
    picker->takePicture();  // one at a time
    EXPECT_TRUE(picker->isTakingPicture());
    picker->cancel();
  }
  EXPECT_TRUE(weak.lock());  // kept until the shot is delivered
  RunLoop::main().runUntil([&] { return !recorder->images.empty() && !weak.lock(); });
  ASSERT_EQ(recorder->images.size(), 1u);
  EXPECT_EQ(recorder->images[0]->orientation(), ImageOrientation::Right);
  EXPECT_EQ(recorder->images[0]->size().width, 1080);
  EXPECT_EQ(recorder->cancels, 1);
  EXPECT_FALSE(weak.lock());

  CaptureDevice::setDevices({});
  EXPECT_FALSE(ImagePickerController::isSourceTypeAvailable(ImagePickerSourceType::Camera));
  auto none = ImagePickerController::create();
  none->setSourceType(ImagePickerSourceType::Camera);
  none->setDelegate(recorder);
  none->takePicture();
  RunLoop::main().runUntil([&] { return !none->isTakingPicture(); });
  EXPECT_EQ(recorder->images.size(), 1u);
}

}  // namespace
