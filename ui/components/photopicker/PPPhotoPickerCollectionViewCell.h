#pragma once

#include <memory>

#include "platform/graphics/Image.h"
#include "platform/ui/scroll/CollectionView.h"
#include "platform/ui/scroll/CollectionViewCell.h"

namespace sprout {

// A grid cell; its content view holds the thumbnail view and the tick button once filled.
class PPPhotoPickerCollectionViewCell : public platform::CollectionViewCell {
 public:
  static constexpr const char* kReuseIdentifier = "cell";
  static std::shared_ptr<PPPhotoPickerCollectionViewCell> create(const platform::Rect& frame = {});
  // A cell dequeued under "cell" (registered by the grid).
  static std::shared_ptr<PPPhotoPickerCollectionViewCell> cellWithCollectionView(
      platform::CollectionView& collectionView, const platform::IndexPath& indexPath);

  const std::shared_ptr<platform::Image>& cellImage() const { return cellImage_; }
  void setCellImage(std::shared_ptr<platform::Image> image) { cellImage_ = std::move(image); }

  explicit PPPhotoPickerCollectionViewCell(Key key, const platform::Rect& frame)
      : CollectionViewCell(std::move(key), frame) {}

 private:
  std::shared_ptr<platform::Image> cellImage_;
};

}  // namespace sprout
