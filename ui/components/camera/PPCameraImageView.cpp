#include "ui/components/camera/PPCameraImageView.h"

#include "platform/ui/Screen.h"

namespace sprout {

std::shared_ptr<PPCameraImageView> PPCameraImageView::create(const platform::Rect& frame) {
  return make<PPCameraImageView>(frame);
}

void PPCameraImageView::didInit() {
  ImageView::didInit();
  setUserInteractionEnabled(true);
  setBackgroundColor(platform::Color::black());
  setupBottomView();
}

void PPCameraImageView::setupBottomView() {
  const double w = frame().size.width, h = frame().size.height;
  photoDisplayView_ = platform::ImageView::create();
  addSubview(photoDisplayView_);
  auto bar = platform::View::create(platform::makeRect(0, h - 60, w, 60));
  bar->setBackgroundColor(platform::Color::clear());
  bar->setAutoresizingMask(platform::ViewAutoresizingFlexibleWidth |
                           platform::ViewAutoresizingFlexibleTopMargin);
  addSubview(bar);
  std::weak_ptr<PPCameraImageView> weak = self<PPCameraImageView>();
  retakeButton_ = platform::Button::create(platform::makeRect(20, 0, 80, 60));
  retakeButton_->setTitle("重拍", platform::ControlStateNormal);
  retakeButton_->addTarget(
      [weak](platform::Control&) {
        if (auto view = weak.lock()) view->cancel1();
      },
      platform::ControlEventTouchUpInside);
  bar->addSubview(retakeButton_);
  useButton_ = platform::Button::create(platform::makeRect(w - 20 - 80, 0, 80, 60));
  useButton_->setTitle("使用照片", platform::ControlStateNormal);
  useButton_->addTarget(
      [weak](platform::Control&) {
        if (auto view = weak.lock()) view->doneAction();
      },
      platform::ControlEventTouchUpInside);
  bar->addSubview(useButton_);
}

void PPCameraImageView::setImageToDisplay(std::shared_ptr<platform::Image> image) {
  imageToDisplay_ = std::move(image);
  if (!imageToDisplay_ || imageToDisplay_->size().width <= 0) return;
  const double s = platform::Screen::main().bounds().size.width;
  const platform::Size size = imageToDisplay_->size();
  const double h = s / size.width * size.height;
  photoDisplayView_->setFrame(
      platform::makeRect((frame().size.width - s) / 2, (frame().size.height - h) / 2, s, h));
  photoDisplayView_->setImage(imageToDisplay_);
}

void PPCameraImageView::cancel1() {
  // The delegate may let go of this view: keep it until it has removed itself.
  auto keep = self<PPCameraImageView>();
  if (auto d = delegate()) d->ppCameraImageViewCancleBtnTouched();
  removeFromSuperview();
}

void PPCameraImageView::doneAction() {
  if (auto d = delegate()) d->ppCameraImageViewSendBtnTouched();
}

}  // namespace sprout
