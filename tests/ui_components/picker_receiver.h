#pragma once

#include <vector>

#include "ui/components/photopicker/PPPhotoPickerViewController.h"
#include "ui/components/photopicker/PPPhotoPickerViewControllerDelegate.h"

namespace sprout::components_test {

// A picker delegate that keeps what each send delivered.
class PickerReceiver : public PPPhotoPickerViewControllerDelegate {
 public:
  using Records = PPPhotoPickerViewController::Records;
  void pickerViewControllerDoneAsstes(const Records& assets, bool isOriginal) override {
    results.push_back(assets);
    originals.push_back(isOriginal);
  }
  std::vector<Records> results;
  std::vector<bool> originals;
};

}  // namespace sprout::components_test
