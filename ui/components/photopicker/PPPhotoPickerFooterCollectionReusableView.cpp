#include "ui/components/photopicker/PPPhotoPickerFooterCollectionReusableView.h"

#include <cstdio>

namespace sprout {

std::shared_ptr<PPPhotoPickerFooterCollectionReusableView>
PPPhotoPickerFooterCollectionReusableView::create(const platform::Rect& frame) {
  return make<PPPhotoPickerFooterCollectionReusableView>(frame);
}

std::shared_ptr<platform::Label> PPPhotoPickerFooterCollectionReusableView::footerLabel() {
  if (auto label = footerLabel_.lock()) return label;
  auto label = platform::Label::create(bounds());
  label->setTextAlignment(platform::TextAlignment::Center);
  addSubview(label);
  footerLabel_ = label;
  return label;
}

void PPPhotoPickerFooterCollectionReusableView::setCount(long count) {
  count_ = count;
  if (count < 1) return;
  char text[64];
  std::snprintf(text, sizeof text, "有 %ld 张图片", count);
  footerLabel()->setText(text);
}

void PPPhotoPickerFooterCollectionReusableView::layoutSubviews() {
  CollectionReusableView::layoutSubviews();
  if (auto label = footerLabel_.lock()) label->setFrame(bounds());
}

}  // namespace sprout
