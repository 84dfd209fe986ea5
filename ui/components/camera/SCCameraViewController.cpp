#include "ui/components/camera/SCCameraViewController.h"

#include <cstdio>

#include "images/WIImageMultiFormat.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/BundleImages.h"
#include "platform/graphics/ImageEncoder.h"
#include "platform/media/ViewTransitionLog.h"
#include "platform/ui/controllers/AlertController.h"
#include "platform/ui/scroll/CollectionViewCell.h"
#include "platform/ui/scroll/CollectionViewFlowLayout.h"
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

// Taking a still and what follows it: the photo enters the list on the main thread.
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

// The camera's screen side: bars and buttons, the shot limit, the thumbnail strip and its browser.
namespace sprout {

namespace {
constexpr double kTopBarHeight = 40;
constexpr double kControlBarHeight = 60;
constexpr char kStripCell[] = "cell";

template <class Body>
platform::Control::Action weakAction(const std::shared_ptr<SCCameraViewController>& camera,
                                     Body body) {
  std::weak_ptr<SCCameraViewController> weak = camera;
  return [weak, body](platform::Control&) {
    if (auto me = weak.lock()) body(*me);
  };
}
}  // namespace

void SCCameraViewController::showPickerVc(const std::shared_ptr<platform::ViewController>& from) {
  if (from) from->presentViewController(self<SCCameraViewController>(), true);
}

std::shared_ptr<platform::Button> SCCameraViewController::setupButtonWithImageName(
    const std::string& name, double x) {
  auto button = platform::Button::create();
  button->setImage(platform::imageNamed(*platform::Bundle::main(), name),
                   platform::ControlStateNormal);
  button->setBackgroundColor(platform::Color::clear());
  button->setFrame(platform::makeRect(x, 0, 80, kTopBarHeight));
  view()->addSubview(button);
  return button;
}

void SCCameraViewController::setup() {
  const platform::Size size = view()->frame().size;
  const double w = size.width, h = size.height;
  auto me = self<SCCameraViewController>();
  auto top = platform::View::create(platform::makeRect(0, 0, w, kTopBarHeight));
  top->setBackgroundColor(platform::Color::black());
  view()->addSubview(top);
  topView_ = top;
  switchBtn_ = setupButtonWithImageName("xiang.png", w - 20 - 50);
  switchBtn_->addTarget(weakAction(me, [](auto& c) { c.changeCameraDevice(); }),
                        platform::ControlEventTouchUpInside);
  flashBtn_ = setupButtonWithImageName("shanguangdeng2.png", 10);
  flashBtn_->setTitle("关闭", platform::ControlStateNormal);
  flashBtn_->addTarget(weakAction(me, [](auto& c) { c.flashCameraDevice(); }),
                       platform::ControlEventTouchUpInside);

  auto control =
      platform::View::create(platform::makeRect(0, h - kControlBarHeight, w, kControlBarHeight));
  control->setBackgroundColor(platform::Color::black());
  control->setAutoresizingMask(platform::ViewAutoresizingFlexibleWidth |
                               platform::ViewAutoresizingFlexibleTopMargin);
  auto shade = platform::View::create(control->bounds());
  shade->setBackgroundColor(platform::Color::black());
  shade->setAlpha(0.3);
  control->addSubview(shade);
  const double b = (w - 50) / 3;
  cancelBtn_ = platform::Button::create(platform::makeRect(0, 0, b, kControlBarHeight));
  cancelBtn_->setTitle("取消", platform::ControlStateNormal);
  cancelBtn_->addTarget(weakAction(me, [](auto& c) { c.cancel(); }),
                        platform::ControlEventTouchUpInside);
  control->addSubview(cancelBtn_);
  shutterBtn_ = platform::Button::create(platform::makeRect(b + 20, 5, b, kControlBarHeight - 10));
  shutterBtn_->setImage(platform::imageNamed(*platform::Bundle::main(), "paizhao.png"),
                        platform::ControlStateNormal);
  shutterBtn_->imageView()->setContentMode(platform::ViewContentMode::ScaleAspectFit);
  shutterBtn_->addTarget(weakAction(me, [](auto& c) { c.stillImage(); }),
                         platform::ControlEventTouchUpInside);
  control->addSubview(shutterBtn_);
  if (cameraType_ == 1) {
    doneBtn_ = platform::Button::create(platform::makeRect(w - 40 - 50, 0, 50, kControlBarHeight));
    doneBtn_->setTitle("完成", platform::ControlStateNormal);
    doneBtn_->addTarget(weakAction(me, [](auto& c) { c.doneAction(); }),
                        platform::ControlEventTouchUpInside);
    control->addSubview(doneBtn_);
  }
  view()->addSubview(control);
  controlView_ = control;
}

void SCCameraViewController::stillImage() {
  // Shots on their way count: the limit holds however fast the shutter is pressed.
  const auto taken = static_cast<std::int64_t>(images_.size()) + pendingCaptures_;
  if (maxCount_ >= 1 && taken >= maxCount_) {
    char message[96];
    std::snprintf(message, sizeof message, "拍照的个数不能超过%ld", static_cast<long>(maxCount_));
    auto alert =
        platform::AlertController::create("提示", message, platform::AlertControllerStyle::Alert);
    alert->addAction(platform::AlertAction::create("好的", platform::AlertActionStyle::Cancel));
    presentViewController(alert, true);
    return;
  }
  Captureimage();
}

std::shared_ptr<platform::CollectionView> SCCameraViewController::collectionView() {
  if (collectionView_) return collectionView_;
  auto focus = caramView();
  if (!focus) return nullptr;
  auto layout = std::make_shared<platform::CollectionViewFlowLayout>();
  layout->scrollDirection = platform::CollectionViewScrollDirection::Horizontal;
  layout->itemSize = {80, 80};
  layout->minimumLineSpacing = 20;
  const double w = view()->frame().size.width;
  collectionView_ = platform::CollectionView::create(
      platform::makeRect(0, focus->frame().size.height - 80 - 10, w, 80), layout);
  collectionView_->setBackgroundColor(platform::Color::clear());
  collectionView_->registerCell(kStripCell, [] { return platform::CollectionViewCell::create(); });
  auto me = self<SCCameraViewController>();
  collectionView_->setDataSource(std::static_pointer_cast<platform::CollectionViewDataSource>(me));
  collectionView_->setDelegate(std::static_pointer_cast<platform::CollectionViewDelegate>(me));
  focus->addSubview(collectionView_);
  return collectionView_;
}

long SCCameraViewController::numberOfItemsInSection(platform::CollectionView&, long) {
  return static_cast<long>(images_.size());
}

std::shared_ptr<platform::CollectionViewCell> SCCameraViewController::cellForItemAtIndexPath(
    platform::CollectionView& cv, const platform::IndexPath& path) {
  auto cell = cv.dequeueReusableCellWithReuseIdentifier(kStripCell, path);
  if (path.item() < 0 || path.item() >= static_cast<long>(images_.size())) return cell;
  const auto& record = images_[static_cast<std::size_t>(path.item())];
  const auto& content = cell->contentView();
  auto thumb = content->subviews().empty()
                   ? nullptr
                   : std::dynamic_pointer_cast<SCCameraImageView>(content->subviews().back());
  if (thumb) {
    thumb->setImage(record->thumbImage());
    return cell;
  }
  thumb = SCCameraImageView::create();
  thumb->setDelegatge(self<SCCameraViewController>());
  thumb->setEdit(true);
  thumb->setImage(record->thumbImage());
  thumb->setFrame(cell->bounds());
  thumb->setContentMode(platform::ViewContentMode::ScaleAspectFill);
  content->addSubview(thumb);
  return cell;
}

void SCCameraViewController::didSelectItemAtIndexPath(platform::CollectionView&,
                                                      const platform::IndexPath& path) {
  auto browser = PPPhotoPickerBrowserViewController::create();
  browser->setDataSource(self<SCCameraViewController>());
  browser->setShowType(1);
  browser->setCurrentIndexPath({0, path.item()});
  presentViewController(browser, false);
}

long SCCameraViewController::photoBrowserNumberOfItemsInSection(PPPhotoPickerBrowserViewController&,
                                                                unsigned long) {
  return static_cast<long>(images_.size());
}

std::shared_ptr<PPPhotoPickerBrowserPhoto> SCCameraViewController::photoBrowserPhotoAtIndexPath(
    PPPhotoPickerBrowserViewController&, const platform::IndexPath& path) {
  const long row = path.item();
  if (row < 0 || row >= static_cast<long>(images_.size())) {
    return PPPhotoPickerBrowserPhoto::photoAnyImageObjWith(std::monostate{});
  }
  auto photo = PPPhotoPickerBrowserPhoto::photoAnyImageObjWith(
      images_[static_cast<std::size_t>(row)]->photoImage());
  if (collectionView_) {
    if (auto cell = collectionView_->cellForItemAtIndexPath({0, row})) {
      if (auto thumb = std::dynamic_pointer_cast<platform::ImageView>(
              cell->contentView()->subviews().empty() ? nullptr
                                                      : cell->contentView()->subviews().back())) {
        photo->setToView(thumb);
        photo->setThumbImage(thumb->image());
      }
    }
  }
  return photo;
}

// By identity of the thumbnail image: every record holding that very picture goes.
void SCCameraViewController::deleteImageView(SCCameraImageView& view) {
  const auto image = view.image();
  std::erase_if(images_, [&](const auto& record) { return record->thumbImage() == image; });
  if (collectionView_) collectionView_->reloadData();
}

}  // namespace sprout
