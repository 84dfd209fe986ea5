#include "ui/components/camera/SCCameraViewController.h"

#include "images/WIImageMultiFormat.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/ImageEncoder.h"
#include "platform/media/ViewTransitionLog.h"
#include "ui/components/camera/SCCameraImageSteps.h"

namespace sprout {

using platform::CaptureDevicePosition;

std::shared_ptr<SCCameraViewController> SCCameraViewController::create() {
  return make<SCCameraViewController>();
}

void SCCameraViewController::viewDidLoad() {
  ViewController::viewDidLoad();
  initialize();
  setup();
  if (session_) session_->startRunning();
}

void SCCameraViewController::initialize() {
  device_ = platform::CaptureDevice::defaultDeviceWithMediaType(platform::kMediaTypeVideo);
  input_ = platform::CaptureDeviceInput::deviceInputWithDevice(device_);
  captureOutput_ = platform::CaptureStillImageOutput::create();
  captureOutput_->setOutputSettings({{platform::kVideoCodecKey, platform::kVideoCodecJPEG}});
  session_ = platform::CaptureSession::create();
  session_->setSessionPreset(platform::kCaptureSessionPresetHigh);
  if (session_->canAddInput(input_)) session_->addInput(input_);
  if (session_->canAddOutput(captureOutput_)) session_->addOutput(captureOutput_);

  const double w = view()->frame().size.width;
  const platform::Rect box = platform::makeRect(0, 40, w, w / 480 * 640);
  preview_ = platform::CaptureVideoPreviewLayer::layerWithSession(session_);
  preview_->setVideoGravity(platform::VideoGravity::ResizeAspectFill);
  preview_->setFrame(box);
  auto focus = SCCameraView::create(box);
  focus->setBackgroundColor(platform::Color::clear());
  focus->setDelegate(self<SCCameraViewController>());
  view()->addSubview(focus);
  caramView_ = focus;
  view()->layer()->insertSublayer(preview_, 0);
}

std::shared_ptr<platform::CaptureDevice> SCCameraViewController::cameraWithPosition(
    CaptureDevicePosition position) {
  for (const auto& device :
       platform::CaptureDevice::devicesWithMediaType(platform::kMediaTypeVideo)) {
    if (device->position() == position) return device;
  }
  return nullptr;
}

void SCCameraViewController::changeCameraDevice() {
  platform::ViewTransitionLog::record({view(), platform::ViewAnimationTransition::FlipFromRight,
                                       0.5, platform::ViewAnimationCurve::EaseInOut, true});
  if (!session_) return;
  for (const auto& old : session_->inputs()) {
    if (!old->device()->hasMediaType(platform::kMediaTypeVideo)) continue;
    const auto other = old->device()->position() == CaptureDevicePosition::Front
                           ? CaptureDevicePosition::Back
                           : CaptureDevicePosition::Front;
    auto replacement =
        platform::CaptureDeviceInput::deviceInputWithDevice(cameraWithPosition(other));
    if (!replacement) return;  // no camera on the other side: keep this one
    auto keep = old;           // removing it from the session must not end it
    session_->beginConfiguration();
    session_->removeInput(keep);
    const bool switched = session_->addInput(replacement);
    if (!switched) session_->addInput(keep);
    session_->commitConfiguration();
    // Flash and focus follow the camera now in use.
    if (switched) device_ = replacement->device(), input_ = replacement;
    return;
  }
}

void SCCameraViewController::flashLightModel(const std::function<void()>& block) {
  if (!block || !session_ || !device_) return;
  session_->beginConfiguration();
  if (auto locked = device_->lockForConfiguration(); !locked) {
    // Refused: end the configuration, change nothing.
    platform::log(platform::LogLevel::Warning, "SCCamera",
                  "flash unchanged: " + locked.error().localizedDescription());
    session_->commitConfiguration();
    return;
  }
  block();
  device_->unlockForConfiguration();
  session_->commitConfiguration();
  session_->startRunning();
}

void SCCameraViewController::flashCameraDevice() {
  using platform::CaptureFlashMode;
  CaptureFlashMode mode = CaptureFlashMode::Off;
  const char* title = "关闭";
  if (flashCameraState_ <= 0) {
    flashCameraState_ = 1, mode = CaptureFlashMode::On, title = "打开";
  } else if (flashCameraState_ == 1) {
    flashCameraState_ = 2, mode = CaptureFlashMode::Auto, title = "自动";
  } else if (flashCameraState_ == 2) {
    flashCameraState_ = 3;
  } else {
    flashCameraState_ = 0;
  }
  if (flashBtn_) flashBtn_->setTitle(title, platform::ControlStateNormal);
  if (device_ && device_->isFlashModeSupported(mode)) {
    auto device = device_;
    flashLightModel([device, mode] { device->setFlashMode(mode); });
  }
}

void SCCameraViewController::cameraDidSelected(SCCameraView& focusView) {
  if (!device_) return;
  if (auto locked = device_->lockForConfiguration(); !locked) {
    platform::log(platform::LogLevel::Warning, "SCCamera",
                  "focus unchanged: " + locked.error().localizedDescription());
    return;
  }
  if (device_->isFocusModeSupported(platform::CaptureFocusMode::AutoFocus)) {
    device_->setFocusMode(platform::CaptureFocusMode::AutoFocus);
  }
  if (device_->isFocusPointOfInterestSupported() && preview_) {
    // The tap, from the focus view into the preview layer, into the camera's 0...1 space.
    const platform::Point inView = focusView.convertPointTo(focusView.point(), view().get());
    const platform::Point inLayer = preview_->convertPointFrom(inView, view()->layer().get());
    device_->setFocusPointOfInterest(preview_->captureDevicePointOfInterestForPoint(inLayer));
  }
  device_->unlockForConfiguration();
}

std::shared_ptr<platform::Image> SCCameraViewController::cutImage(
    const std::shared_ptr<platform::Image>& image) {
  return SCCameraCutImage(image.get(), view()->frame().size.height);
}

std::shared_ptr<platform::Image> SCCameraViewController::fixOrientation(
    const std::shared_ptr<platform::Image>& image) {
  return SCCameraFixOrientation(image.get(), platform::Device::current().orientation());
}

}  // namespace sprout
