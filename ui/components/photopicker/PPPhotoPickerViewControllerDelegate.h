#pragma once

#include <memory>
#include <vector>

#include "ui/components/photos/PPPhotoAssets.h"

namespace sprout {

// Receives the picker's result: the selection in the order it was made, and whether the
// original size was chosen.
class PPPhotoPickerViewControllerDelegate {
 public:
  virtual ~PPPhotoPickerViewControllerDelegate() = default;
  virtual void pickerViewControllerDoneAsstes(
      const std::vector<std::shared_ptr<PPPhotoAssets>>& assets, bool isOriginal) = 0;
};

}  // namespace sprout
