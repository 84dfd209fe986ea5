#pragma once

#include <memory>
#include <vector>

#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/ViewController.h"
#include "ui/components/camera/SCCameraViewController.h"
#include "ui/components/photopicker/PPPhotoPickerViewController.h"

namespace sprout {

// The proxy pick-up form, as far as photos concern it: the head-photo button opens the photo
// picker for one photo, the camera button takes one; the photo then shows, round, on the
// head-photo button.
class SPReplaceViewController : public platform::ViewController,
                                public PPPhotoPickerViewControllerDelegate {
 public:
  static std::shared_ptr<SPReplaceViewController> create();

  const std::shared_ptr<platform::Button>& headButton() const { return headButton_; }
  const std::shared_ptr<platform::Button>& cameraButton() const { return cameraButton_; }
  const std::vector<std::shared_ptr<platform::Image>>& photos() const { return photos_; }
  // Each presents its screen over the form and returns it.
  std::shared_ptr<PPPhotoPickerViewController> choosePhoto();
  std::shared_ptr<SCCameraViewController> takePhoto();

  void viewDidLoad() override;
  void pickerViewControllerDoneAsstes(const std::vector<std::shared_ptr<PPPhotoAssets>>& assets,
                                      bool isOriginal) override;
  void cameraDidTake(const std::vector<std::shared_ptr<SCCamera>>& photos);

  static constexpr double kHeadSide = 120;

  explicit SPReplaceViewController(Key key) : platform::ViewController(std::move(key)) {}

 private:
  void showHead(const std::shared_ptr<platform::Image>& image);

  std::shared_ptr<platform::Button> headButton_;
  std::shared_ptr<platform::Button> cameraButton_;
  std::vector<std::shared_ptr<platform::Image>> photos_;
};

}  // namespace sprout
