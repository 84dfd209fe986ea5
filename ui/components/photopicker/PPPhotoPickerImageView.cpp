#include "ui/components/photopicker/PPPhotoPickerImageView.h"

#include "platform/foundation/Bundle.h"
#include "platform/graphics/BundleImages.h"

namespace sprout {

std::shared_ptr<PPPhotoPickerImageView> PPPhotoPickerImageView::create(
    const platform::Rect& frame) {
  return make<PPPhotoPickerImageView>(frame);
}

void PPPhotoPickerImageView::didInit() {
  ImageView::didInit();
  setContentMode(platform::ViewContentMode::ScaleAspectFill);
  setClipsToBounds(true);
}

std::shared_ptr<platform::ImageView> PPPhotoPickerImageView::tickImageView() {
  if (auto tick = tickImageView_.lock()) return tick;
  auto tick = platform::ImageView::create(platform::makeRect(bounds().size.width - 28, 5, 21, 21));
  tick->setImage(platform::imageNamed(*platform::Bundle::main(), "checkbox_pic_non"));
  tick->setAutoresizingMask(platform::ViewAutoresizingFlexibleLeftMargin);
  addSubview(tick);
  tickImageView_ = tick;
  return tick;
}

void PPPhotoPickerImageView::setMaskViewFlag(bool ticked) {
  maskViewFlag_ = ticked;
  tickImageView()->setImage(platform::imageNamed(*platform::Bundle::main(),
                                                 ticked ? "checkbox_pic" : "checkbox_pic_non"));
  animationRightTick_ = ticked;
}

std::shared_ptr<platform::View> PPPhotoPickerImageView::overlayView() {
  if (auto overlay = overlayView_.lock()) return overlay;
  auto overlay = platform::View::create(bounds());
  overlay->setAutoresizingMask(platform::ViewAutoresizingFlexibleWidth |
                               platform::ViewAutoresizingFlexibleHeight);
  overlay->setBackgroundColor(platform::Color::whiteColor());
  overlay->setAlpha(0.5);
  addSubview(overlay);
  overlayView_ = overlay;
  return overlay;
}

void PPPhotoPickerImageView::setMaskViewColor(const platform::Color& color) {
  overlayView()->setBackgroundColor(color);
}

void PPPhotoPickerImageView::setMaskViewAlpha(double alpha) { overlayView()->setAlpha(alpha); }

void PPPhotoPickerImageView::setIsVideoType(bool video) {
  isVideoType_ = video;
  if (auto v = videoView_.lock(); v && !video) v->setHidden(true);
}

}  // namespace sprout
