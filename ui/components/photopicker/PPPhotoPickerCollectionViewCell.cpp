#include "ui/components/photopicker/PPPhotoPickerCollectionViewCell.h"

namespace sprout {

std::shared_ptr<PPPhotoPickerCollectionViewCell> PPPhotoPickerCollectionViewCell::create(
    const platform::Rect& frame) {
  return make<PPPhotoPickerCollectionViewCell>(frame);
}

std::shared_ptr<PPPhotoPickerCollectionViewCell>
PPPhotoPickerCollectionViewCell::cellWithCollectionView(platform::CollectionView& collectionView,
                                                        const platform::IndexPath& indexPath) {
  return std::dynamic_pointer_cast<PPPhotoPickerCollectionViewCell>(
      collectionView.dequeueReusableCellWithReuseIdentifier(kReuseIdentifier, indexPath));
}

}  // namespace sprout
