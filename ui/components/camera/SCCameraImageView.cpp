#include "ui/components/camera/SCCameraImageView.h"

#include "platform/foundation/Bundle.h"
#include "platform/graphics/BundleImages.h"
#include "platform/ui/TapGestureRecognizer.h"

namespace sprout {

std::shared_ptr<SCCameraImageView> SCCameraImageView::create(const platform::Rect& frame) {
  return make<SCCameraImageView>(frame);
}

void SCCameraImageView::didInit() {
  ImageView::didInit();
  setUserInteractionEnabled(true);
}

const std::shared_ptr<platform::ImageView>& SCCameraImageView::deleBjView() {
  if (deleBjView_) return deleBjView_;
  deleBjView_ =
      platform::ImageView::create(platform::imageNamed(*platform::Bundle::main(), "X.png"));
  deleBjView_->setFrame(platform::makeRect(50, 0, 25, 25));
  deleBjView_->setHidden(true);
  deleBjView_->setUserInteractionEnabled(true);
  std::weak_ptr<SCCameraImageView> weak = self<SCCameraImageView>();
  deleBjView_->addGestureRecognizer(
      platform::TapGestureRecognizer::create([weak](platform::GestureRecognizer& tap) {
        if (auto view = weak.lock()) view->deleImage(tap);
      }));
  addSubview(deleBjView_);
  return deleBjView_;
}

void SCCameraImageView::setEdit(bool edit) {
  edit_ = edit;
  if (edit || deleBjView_) deleBjView()->setHidden(!edit);
}

void SCCameraImageView::deleImage(platform::GestureRecognizer&) {
  if (auto d = delegatge()) d->deleteImageView(*this);
}

}  // namespace sprout
