#include "app/SPReplaceViewController.h"

#include "platform/foundation/Bundle.h"
#include "platform/graphics/BundleImages.h"

namespace sprout {

using platform::makeRect;

std::shared_ptr<SPReplaceViewController> SPReplaceViewController::create() {
  return platform::Object::make<SPReplaceViewController>();
}

void SPReplaceViewController::viewDidLoad() {
  ViewController::viewDidLoad();
  setTitle("代接");
  view()->setBackgroundColor(platform::Color::white(0.95));
  const double width = view()->bounds().size.width;
  headButton_ =
      platform::Button::create(makeRect((width - kHeadSide) / 2, 90, kHeadSide, kHeadSide));
  headButton_->setBackgroundColor(platform::Color::lightGray());
  headButton_->layer()->setCornerRadius(kHeadSide / 2);
  headButton_->setClipsToBounds(true);
  std::weak_ptr<SPReplaceViewController> weak = self<SPReplaceViewController>();
  headButton_->addTarget(
      [weak](platform::Control&) {
        if (auto form = weak.lock()) form->choosePhoto();
      },
      platform::ControlEventTouchUpInside);
  view()->addSubview(headButton_);
  // The white shutter picture on a dark disc, so it shows on the light form.
  cameraButton_ = platform::Button::create(makeRect((width - 56) / 2, 230, 56, 56));
  cameraButton_->setBackgroundColor(platform::Color::darkGray());
  cameraButton_->layer()->setCornerRadius(28);
  cameraButton_->setImage(platform::imageNamed(*platform::Bundle::main(), "paizhao.png"),
                          platform::ControlStateNormal);
  cameraButton_->imageView()->setContentMode(platform::ViewContentMode::ScaleAspectFit);
  cameraButton_->addTarget(
      [weak](platform::Control&) {
        if (auto form = weak.lock()) form->takePhoto();
      },
      platform::ControlEventTouchUpInside);
  view()->addSubview(cameraButton_);
}

std::shared_ptr<PPPhotoPickerViewController> SPReplaceViewController::choosePhoto() {
  auto picker = PPPhotoPickerViewController::create(0);
  picker->setStatus(1);
  picker->setMaxCount(1);
  picker->setDelegate(self<SPReplaceViewController>());
  picker->showPickerVc(self<platform::ViewController>());
  return picker;
}

std::shared_ptr<SCCameraViewController> SPReplaceViewController::takePhoto() {
  auto camera = SCCameraViewController::create();
  camera->setMaxCount(1);
  camera->setCameraType(0);
  std::weak_ptr<SPReplaceViewController> weak = self<SPReplaceViewController>();
  camera->setCallback([weak](const std::vector<std::shared_ptr<SCCamera>>& photos) {
    if (auto form = weak.lock()) form->cameraDidTake(photos);
  });
  camera->showPickerVc(self<platform::ViewController>());
  return camera;
}

// Records without a picture (none should come) are skipped rather than shown blank.
void SPReplaceViewController::pickerViewControllerDoneAsstes(
    const std::vector<std::shared_ptr<PPPhotoAssets>>& assets, bool) {
  std::vector<std::shared_ptr<platform::Image>> images;
  for (const auto& record : assets) {
    if (!record) continue;
    record->thumbImage();
    if (auto image = record->originImage()) images.push_back(std::move(image));
  }
  if (images.empty()) return;
  photos_ = std::move(images);
  showHead(photos_.front());
}

void SPReplaceViewController::cameraDidTake(const std::vector<std::shared_ptr<SCCamera>>& photos) {
  if (photos.empty() || !photos[0] || !photos[0]->photoImage()) return;
  photos_ = {photos[0]->photoImage()};
  showHead(photos_.front());
}

void SPReplaceViewController::showHead(const std::shared_ptr<platform::Image>& image) {
  headButton_->setBackgroundImage(image, platform::ControlStateNormal);
  headButton_->layer()->setCornerRadius(kHeadSide / 2);
  headButton_->setClipsToBounds(true);
  headButton_->setTitle(std::string(), platform::ControlStateNormal);
}

}  // namespace sprout
