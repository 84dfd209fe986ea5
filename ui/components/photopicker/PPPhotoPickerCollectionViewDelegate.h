#pragma once

#include <memory>

#include "platform/ui/scroll/IndexPath.h"

namespace sprout {

class PPPhotoPickerCollectionView;
class PPPhotoAssets;

// What the thumbnail grid tells its owner (the album grid screen).
class PPPhotoPickerCollectionViewDelegate {
 public:
  virtual ~PPPhotoPickerCollectionViewDelegate() = default;
  // After a tick changed: `deleteAsset` is the record unticked, nullptr for one ticked.
  virtual void pickerCollectionViewDidSelected(
      PPPhotoPickerCollectionView& grid, const std::shared_ptr<PPPhotoAssets>& deleteAsset) = 0;
  // A tap on a picture (not on its tick).
  virtual void pickerCollectionCellTouchedIndexPath(const platform::IndexPath& indexPath) = 0;
  // A tap on the camera item's tick area.
  virtual void pickerCollectionViewDidCameraSelect(PPPhotoPickerCollectionView& grid) = 0;
};

}  // namespace sprout
