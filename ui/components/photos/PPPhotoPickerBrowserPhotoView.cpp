#include "ui/components/photos/PPPhotoPickerBrowserPhotoView.h"

#include "platform/ui/TapGestureRecognizer.h"

namespace sprout {

std::shared_ptr<PPPhotoPickerBrowserPhotoView> PPPhotoPickerBrowserPhotoView::create(
    const platform::Rect& frame) {
  return make<PPPhotoPickerBrowserPhotoView>(frame);
}

void PPPhotoPickerBrowserPhotoView::didInit() {
  View::didInit();
  setUserInteractionEnabled(true);
  addGesture();
}

void PPPhotoPickerBrowserPhotoView::addGesture() {
  // The recognizers belong to this view, so their actions hold it weakly.
  std::weak_ptr<PPPhotoPickerBrowserPhotoView> weak = self<PPPhotoPickerBrowserPhotoView>();
  auto doubleTap = platform::TapGestureRecognizer::create([weak](platform::GestureRecognizer& g) {
    if (auto view = weak.lock()) view->handleDoubleTap(g);
  });
  doubleTap->setNumberOfTapsRequired(2);
  doubleTap->setNumberOfTouchesRequired(1);
  addGestureRecognizer(doubleTap);
  auto singleTap = platform::TapGestureRecognizer::create([weak](platform::GestureRecognizer& g) {
    if (auto view = weak.lock()) view->handleSingleTap(g);
  });
  singleTap->setNumberOfTapsRequired(1);
  singleTap->setNumberOfTouchesRequired(1);
  singleTap->requireGestureRecognizerToFail(doubleTap);
  addGestureRecognizer(singleTap);
}

void PPPhotoPickerBrowserPhotoView::handleSingleTap(platform::GestureRecognizer& tap) {
  if (auto d = tapDelegate()) d->singleTapDetected(*this, tap);
}

void PPPhotoPickerBrowserPhotoView::handleDoubleTap(platform::GestureRecognizer& tap) {
  if (auto d = tapDelegate()) d->doubleTapDetected(*this, tap);
}

}  // namespace sprout
