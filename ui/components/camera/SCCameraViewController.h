#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/media/CaptureSession.h"
#include "platform/media/CaptureVideoPreviewLayer.h"
#include "platform/ui/Button.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/scroll/CollectionView.h"
#include "platform/ui/scroll/CollectionViewDelegate.h"
#include "ui/components/browser/PPPhotoPickerBrowserViewController.h"
#include "ui/components/camera/PPCameraImageView.h"
#include "ui/components/camera/SCCamera.h"
#include "ui/components/camera/SCCameraImageView.h"
#include "ui/components/camera/SCCameraView.h"

namespace sprout {

// The app's own still camera: a live preview in a 3:4 box under a 40-point top bar, a focus
// square where the preview is touched, flash and camera switches, and the photos taken, upright
// and cut to what the box showed. Single-shot mode (cameraType 0) previews each photo with
// retake / use; multi-shot mode (1) adds it to a strip.
class SCCameraViewController : public platform::ViewController,
                               public SCCameraViewDelegate,
                               public SCCameraImageViewDelegate,
                               public PPCameraImageViewDelegate,
                               public platform::CollectionViewDataSource,
                               public platform::CollectionViewDelegate,
                               public PPPhotoPickerBrowserViewControllerDataSource {
 public:
  using Callback = std::function<void(const std::vector<std::shared_ptr<SCCamera>>&)>;

  static std::shared_ptr<SCCameraViewController> create();

  std::shared_ptr<SCCameraView> caramView() const { return caramView_.lock(); }
  std::vector<std::shared_ptr<SCCamera>>& images() { return images_; }
  const std::shared_ptr<platform::CaptureSession>& session() const { return session_; }
  const std::shared_ptr<platform::CaptureStillImageOutput>& captureOutput() const {
    return captureOutput_;
  }
  const std::shared_ptr<platform::CaptureDevice>& device() const { return device_; }
  const std::shared_ptr<platform::CaptureDeviceInput>& input() const { return input_; }
  const std::shared_ptr<platform::CaptureVideoPreviewLayer>& preview() const { return preview_; }
  std::int64_t flashCameraState() const { return flashCameraState_; }
  const std::shared_ptr<platform::Button>& flashBtn() const { return flashBtn_; }
  std::int64_t maxCount() const { return maxCount_; }
  void setMaxCount(std::int64_t n) { maxCount_ = n; }
  std::int64_t cameraType() const { return cameraType_; }
  void setCameraType(std::int64_t type) { cameraType_ = type; }
  const Callback& callback() const { return callback_; }
  void setCallback(Callback callback) { callback_ = std::move(callback); }
  // Shots taken but not yet back from the camera.
  int pendingCaptures() const { return pendingCaptures_; }
  std::shared_ptr<PPCameraImageView> previewView() const { return previewView_.lock(); }

  void viewDidLoad() override;
  // The status bar is hidden while the camera is up.
  bool prefersStatusBarHidden() const override { return true; }
  // The camera turns to every orientation and is presented upright.
  bool shouldAutorotate() const override { return true; }
  platform::InterfaceOrientationMask supportedInterfaceOrientations() const override {
    return platform::InterfaceOrientationMaskAll;
  }
  platform::InterfaceOrientation preferredInterfaceOrientationForPresentation() const override {
    return platform::InterfaceOrientation::Portrait;
  }
  bool shouldAutorotateToInterfaceOrientation(platform::InterfaceOrientation) const override {
    return true;
  }
  // Presents the camera from `from`, animated; nothing for no controller.
  void showPickerVc(const std::shared_ptr<platform::ViewController>& from);
  std::shared_ptr<platform::Button> setupButtonWithImageName(const std::string& name, double x);
  // The thumbnail strip of multi-shot mode, made on first use.
  std::shared_ptr<platform::CollectionView> collectionView();
  std::shared_ptr<platform::View> topView() const { return topView_.lock(); }
  std::shared_ptr<platform::View> controlView() const { return controlView_.lock(); }
  const std::shared_ptr<platform::Button>& shutterBtn() const { return shutterBtn_; }
  const std::shared_ptr<platform::Button>& cancelBtn() const { return cancelBtn_; }
  const std::shared_ptr<platform::Button>& doneBtn() const { return doneBtn_; }
  const std::shared_ptr<platform::Button>& switchBtn() const { return switchBtn_; }
  // The shutter: refused with an alert once the photos taken and on their way reach the limit.
  void stillImage();
  void deleteImageView(SCCameraImageView& view) override;
  long numberOfItemsInSection(platform::CollectionView&, long section) override;
  std::shared_ptr<platform::CollectionViewCell> cellForItemAtIndexPath(
      platform::CollectionView& cv, const platform::IndexPath& path) override;
  void didSelectItemAtIndexPath(platform::CollectionView& cv,
                                const platform::IndexPath& path) override;
  long photoBrowserNumberOfItemsInSection(PPPhotoPickerBrowserViewController&,
                                          unsigned long section) override;
  std::shared_ptr<PPPhotoPickerBrowserPhoto> photoBrowserPhotoAtIndexPath(
      PPPhotoPickerBrowserViewController&, const platform::IndexPath& path) override;
  void initialize();
  static std::shared_ptr<platform::CaptureDevice> cameraWithPosition(
      platform::CaptureDevicePosition position);
  void changeCameraDevice();
  // Runs `block` with the device locked inside a session configuration; nothing for a null block
  // or when the lock fails.
  void flashLightModel(const std::function<void()>& block);
  void flashCameraDevice();
  void cameraDidSelected(SCCameraView& view) override;
  void Captureimage();
  std::shared_ptr<platform::Image> cutImage(const std::shared_ptr<platform::Image>& image);
  std::shared_ptr<platform::Image> fixOrientation(const std::shared_ptr<platform::Image>& image);
  void displayImage(const std::shared_ptr<platform::Image>& image);

  void ppCameraImageViewSendBtnTouched() override;
  void ppCameraImageViewCancleBtnTouched() override;
  // Hands the photos over and goes; shots still on their way are waited for.
  void doneAction();
  void cancel();

  explicit SCCameraViewController(Key key) : platform::ViewController(std::move(key)) {}

 protected:
  // The screen around the preview; here the flash button the capture side titles.
  virtual void setup();

 private:
  void addPhoto(const std::shared_ptr<SCCamera>& record);

  std::weak_ptr<SCCameraView> caramView_;
  std::shared_ptr<platform::CollectionView> collectionView_;
  std::vector<std::shared_ptr<SCCamera>> images_;
  std::shared_ptr<platform::CaptureSession> session_;
  std::shared_ptr<platform::CaptureStillImageOutput> captureOutput_;
  std::shared_ptr<platform::CaptureDevice> device_;
  std::shared_ptr<platform::CaptureDeviceInput> input_;
  std::shared_ptr<platform::CaptureVideoPreviewLayer> preview_;
  std::int64_t flashCameraState_ = 0;
  std::shared_ptr<platform::Button> flashBtn_;
  std::int64_t maxCount_ = 0;
  std::int64_t cameraType_ = 0;
  Callback callback_;
  int pendingCaptures_ = 0;
  bool doneWhenCaptured_ = false;  // done was tapped while shots were on their way
  std::weak_ptr<PPCameraImageView> previewView_;
  std::weak_ptr<platform::View> topView_, controlView_;
  std::shared_ptr<platform::Button> shutterBtn_, cancelBtn_, doneBtn_, switchBtn_;
};

}  // namespace sprout
