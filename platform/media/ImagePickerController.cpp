#include "platform/media/ImagePickerController.h"

#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageSource.h"
#include "platform/media/AssetsLibrary.h"

namespace platform {

std::shared_ptr<ImagePickerController> ImagePickerController::create() {
  return make<ImagePickerController>();
}

bool ImagePickerController::isSourceTypeAvailable(ImagePickerSourceType type) {
  if (type == ImagePickerSourceType::Camera) {
    return !CaptureDevice::devicesWithMediaType(kMediaTypeVideo).empty();
  }
  return AssetsLibrary::authorizationStatus() == AuthorizationStatus::Authorized;
}

void ImagePickerController::takePicture() {
  if (taking_ || sourceType_ != ImagePickerSourceType::Camera) return;
  if (!session_) {
    session_ = CaptureSession::create();
    session_->addInput(CaptureDeviceInput::deviceInputWithDevice(
        CaptureDevice::defaultDeviceWithMediaType(kMediaTypeVideo)));
    output_ = CaptureStillImageOutput::create();
    session_->addOutput(output_);
  }
  session_->startRunning();
  taking_ = true;
  // Held until the picture is delivered; let go on the main thread, where view controllers die.
  auto self =
      std::make_shared<std::shared_ptr<ImagePickerController>>(this->self<ImagePickerController>());
  output_->captureStillImageAsynchronously(
      output_->connectionWithMediaType(kMediaTypeVideo),
      [self](std::shared_ptr<SampleBuffer> buffer, std::optional<Error>) {
        DispatchQueue::main()->async([self, buffer] {
          auto picker = std::move(*self);
          picker->deliver(buffer);
        });
      });
}

void ImagePickerController::deliver(const std::shared_ptr<SampleBuffer>& buffer) {
  taking_ = false;
  auto source = buffer ? ImageSource::create(buffer->jpegData()) : nullptr;
  if (!source || source->count() == 0) return;
  auto frame = source->frameAt(0);
  if (!frame) return;
  const auto props = source->propertiesAt(0);
  auto image = Image::create(frame.value(), 1,
                             orientationFromExif(props ? props->exifOrientation.value_or(1) : 1));
  if (auto d = delegate()) {
    d->didFinishPickingMediaWithInfo(*this,
                                     Dictionary{{kImagePickerControllerOriginalImage, image}});
  }
}

void ImagePickerControllerDelegate::imagePickerControllerDidCancel(ImagePickerController& picker) {
  picker.dismissViewControllerAnimated(true);
}

void ImagePickerController::cancel() {
  if (auto d = delegate()) {
    d->imagePickerControllerDidCancel(*this);
  } else {
    dismissViewControllerAnimated(true);
  }
}

}  // namespace platform
