#pragma once

#include <memory>

#include "platform/ui/Label.h"
#include "platform/ui/scroll/CollectionViewCell.h"

namespace sprout {

// The grid's footer: "有 %ld 张图片" once the count is at least 1.
class PPPhotoPickerFooterCollectionReusableView : public platform::CollectionReusableView {
 public:
  static std::shared_ptr<PPPhotoPickerFooterCollectionReusableView> create(
      const platform::Rect& frame = {});

  std::shared_ptr<platform::Label> footerLabel();
  long count() const { return count_; }
  void setCount(long count);
  void layoutSubviews() override;

  explicit PPPhotoPickerFooterCollectionReusableView(Key key, const platform::Rect& frame)
      : CollectionReusableView(std::move(key), frame) {}

 private:
  std::weak_ptr<platform::Label> footerLabel_;
  long count_ = 0;
};

}  // namespace sprout
