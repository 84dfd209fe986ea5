#pragma once

#include <memory>

#include "platform/foundation/Types.h"
#include "platform/media/CaptureSession.h"
#include "platform/ui/ViewController.h"

namespace platform {

enum class ImagePickerSourceType { PhotoLibrary = 0, Camera = 1, SavedPhotosAlbum = 2 };

inline constexpr char kImagePickerControllerOriginalImage[] =
    "UIImagePickerControllerOriginalImage";

class ImagePickerController;

class ImagePickerControllerDelegate {
 public:
  virtual ~ImagePickerControllerDelegate() = default;
  // `info` holds the picture (a std::shared_ptr<Image>) under kImagePickerControllerOriginalImage.
  virtual void didFinishPickingMediaWithInfo(ImagePickerController& /*picker*/,
                                             const Dictionary& /*info*/) {}
  // Not answered, the system takes its camera screen away by itself.
  virtual void imagePickerControllerDidCancel(ImagePickerController& picker);
};

// The system's camera screen, reduced to what the app asks of it: whether a source is there, and
// a shot from the back camera handed to the delegate as the camera took it (the sensor's pixels
// with their orientation). The photo sources are there while the library may be read.
class ImagePickerController : public ViewController {
 public:
  static std::shared_ptr<ImagePickerController> create();
  static bool isSourceTypeAvailable(ImagePickerSourceType type);

  ImagePickerSourceType sourceType() const { return sourceType_; }
  void setSourceType(ImagePickerSourceType type) { sourceType_ = type; }
  std::shared_ptr<ImagePickerControllerDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<ImagePickerControllerDelegate>& d) { delegate_ = d; }

  // The shutter: the picture reaches the delegate on the main thread; without a camera, or when
  // the camera gives no frame, the delegate hears nothing. One shot at a time.
  void takePicture();
  bool isTakingPicture() const { return taking_; }
  // The cancel button.
  void cancel();

  explicit ImagePickerController(Key key) : ViewController(std::move(key)) {}

 private:
  void deliver(const std::shared_ptr<SampleBuffer>& buffer);

  ImagePickerSourceType sourceType_ = ImagePickerSourceType::PhotoLibrary;
  std::weak_ptr<ImagePickerControllerDelegate> delegate_;
  std::shared_ptr<CaptureSession> session_;
  std::shared_ptr<CaptureStillImageOutput> output_;
  bool taking_ = false;
};

}  // namespace platform
