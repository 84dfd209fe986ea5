// Taking a still and what follows it: the photo enters the list on the main thread.
#include "images/WIImageMultiFormat.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/graphics/ImageEncoder.h"
#include "ui/components/camera/SCCameraImageSteps.h"
#include "ui/components/camera/SCCameraViewController.h"

namespace sprout {
namespace {

// The record for one capture's bytes; nullptr when they give no photo.
std::shared_ptr<SCCamera> makeRecord(const std::optional<platform::Data>& jpeg, double viewHeight,
                                     platform::DeviceOrientation orientation) {
  if (!jpeg) return nullptr;
  auto image = wi_imageWithData(*jpeg);
  auto photo = SCCameraFixOrientation(SCCameraCutImage(image.get(), viewHeight).get(), orientation);
  if (!photo) return nullptr;
  auto small = platform::encodeJPEG(*photo, 0.3);
  auto record = SCCamera::create();
  record->setPhotoImage(photo);
  record->setThumbImage(small ? platform::Image::fromData(*small) : nullptr);
  return record;
}

// What the capture queue holds of the controller is let go on the main thread: views die there.
class MainThreadHandle {
 public:
  explicit MainThreadHandle(std::shared_ptr<SCCameraViewController> controller)
      : controller_(std::move(controller)) {}
  MainThreadHandle(const MainThreadHandle&) = default;
  MainThreadHandle& operator=(const MainThreadHandle&) = delete;
  ~MainThreadHandle() {
    if (controller_ && !platform::RunLoop::isMainThread()) {
      platform::DispatchQueue::main()->async([last = std::move(controller_)] {});
    }
  }
  const std::shared_ptr<SCCameraViewController>& get() const { return controller_; }

 private:
  std::shared_ptr<SCCameraViewController> controller_;
};

}  // namespace

void SCCameraViewController::Captureimage() {
  // One shot at a time, and none while a photo waits for retake or use.
  auto shown = previewView();
  if (!captureOutput_ || pendingCaptures_ > 0 || (shown && shown->superview())) return;
  std::shared_ptr<platform::CaptureConnection> videoConnection;
  for (const auto& connection : captureOutput_->connections()) {
    for (const auto& port : connection->inputPorts()) {
      if (port.mediaType == platform::kMediaTypeVideo) {
        videoConnection = connection;
        break;
      }
    }
    if (videoConnection) break;
  }
  // Read at the shutter: the view and the way the device is held then, not at completion.
  const double viewHeight = view()->frame().size.height;
  const auto orientation = platform::Device::current().orientation();
  ++pendingCaptures_;
  MainThreadHandle self(this->self<SCCameraViewController>());
  captureOutput_->captureStillImageAsynchronously(
      videoConnection,
      [self, viewHeight, orientation](std::shared_ptr<platform::SampleBuffer> buffer,
                                      std::optional<platform::Error>) {
        auto record = makeRecord(
            platform::CaptureStillImageOutput::jpegStillImageNSDataRepresentation(buffer),
            viewHeight, orientation);
        platform::DispatchQueue::main()->async([camera = self.get(), record] {
          --camera->pendingCaptures_;
          if (record) camera->addPhoto(record);
          if (camera->pendingCaptures_ == 0 && camera->doneWhenCaptured_) camera->doneAction();
        });
      });
}

void SCCameraViewController::addPhoto(const std::shared_ptr<SCCamera>& record) {
  if (cameraType_ == 0) {
    images_.clear();
    images_.push_back(record);
    displayImage(record->photoImage());
  } else if (cameraType_ == 1) {
    images_.push_back(record);
    if (auto strip = collectionView()) {
      strip->reloadData();
      const long count = strip->numberOfItemsInSection(0);
      if (count > 0) {
        strip->selectItemAtIndexPath(platform::IndexPath{0, count - 1}, true,
                                     platform::CollectionViewScrollPositionRight);
      }
    }
  }
}

void SCCameraViewController::displayImage(const std::shared_ptr<platform::Image>& image) {
  auto preview = PPCameraImageView::create(view()->frame());
  preview->setDelegate(self<SCCameraViewController>());
  preview->setImageToDisplay(image);
  view()->addSubview(preview);
  previewView_ = preview;
}

void SCCameraViewController::ppCameraImageViewSendBtnTouched() { doneAction(); }

void SCCameraViewController::ppCameraImageViewCancleBtnTouched() { images_.clear(); }

void SCCameraViewController::doneAction() {
  // A shot taken just before done belongs to what is handed over.
  if (pendingCaptures_ > 0) {
    doneWhenCaptured_ = true;
    return;
  }
  if (callback_) callback_(images_);
  cancel();
}

void SCCameraViewController::cancel() {
  doneWhenCaptured_ = false;
  if (device_ && device_->isFlashModeSupported(platform::CaptureFlashMode::Off)) {
    auto device = device_;
    flashLightModel([device] { device->setFlashMode(platform::CaptureFlashMode::Off); });
  }
  dismissViewControllerAnimated(true);
}

}  // namespace sprout
