#include "ui/components/browser/PPPhotoPickerBrowserPhotoImageView.h"

namespace sprout {

std::shared_ptr<PPPhotoPickerBrowserPhotoImageView> PPPhotoPickerBrowserPhotoImageView::create(
    const platform::Rect& frame) {
  return make<PPPhotoPickerBrowserPhotoImageView>(frame);
}

void PPPhotoPickerBrowserPhotoImageView::didInit() {
  ImageView::didInit();
  setUserInteractionEnabled(true);
  addGesture();
}

void PPPhotoPickerBrowserPhotoImageView::addGesture() {
  setContentMode(platform::ViewContentMode::ScaleAspectFit);
  scaleBigTap_ = platform::TapGestureRecognizer::create();
  scaleBigTap_->setNumberOfTapsRequired(2);
  scaleBigTap_->setNumberOfTouchesRequired(1);
  addScaleBigTap();
  addGestureRecognizer(scaleBigTap_);
  std::weak_ptr<PPPhotoPickerBrowserPhotoImageView> weak =
      self<PPPhotoPickerBrowserPhotoImageView>();
  auto single = platform::TapGestureRecognizer::create([weak](platform::GestureRecognizer& g) {
    if (auto view = weak.lock()) view->handleSingleTap(g);
  });
  single->requireGestureRecognizerToFail(scaleBigTap_);
  addGestureRecognizer(single);
}

void PPPhotoPickerBrowserPhotoImageView::addScaleBigTap() {
  if (doubleTapTarget_ != 0) return;
  std::weak_ptr<PPPhotoPickerBrowserPhotoImageView> weak =
      self<PPPhotoPickerBrowserPhotoImageView>();
  doubleTapTarget_ = scaleBigTap_->addTarget([weak](platform::GestureRecognizer& g) {
    if (auto view = weak.lock()) view->handleDoubleTap(g);
  });
}

void PPPhotoPickerBrowserPhotoImageView::removeScaleBigTap() {
  if (doubleTapTarget_ == 0) return;
  scaleBigTap_->removeTarget(doubleTapTarget_);
  doubleTapTarget_ = 0;
}

void PPPhotoPickerBrowserPhotoImageView::handleSingleTap(platform::GestureRecognizer& tap) {
  if (auto d = tapDelegate()) d->imageViewSingleTapDetected(*this, tap);
}

void PPPhotoPickerBrowserPhotoImageView::handleDoubleTap(platform::GestureRecognizer& tap) {
  if (auto d = tapDelegate()) d->imageViewDoubleTapDetected(*this, tap);
}

}  // namespace sprout
