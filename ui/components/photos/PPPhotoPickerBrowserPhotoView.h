#pragma once

#include <memory>

#include "platform/ui/View.h"
#include "ui/components/photos/PPPhotoPickerBrowserPhotoViewDelegate.h"

namespace sprout {

// A plain view that turns single and double taps into calls on its weak delegate; a single tap
// waits until a double tap has failed, so a double tap never also counts as a single one.
class PPPhotoPickerBrowserPhotoView : public platform::View {
 public:
  static std::shared_ptr<PPPhotoPickerBrowserPhotoView> create(const platform::Rect& frame = {});

  std::shared_ptr<PPPhotoPickerBrowserPhotoViewDelegate> tapDelegate() const {
    return tapDelegate_.lock();
  }
  void setTapDelegate(const std::shared_ptr<PPPhotoPickerBrowserPhotoViewDelegate>& d) {
    tapDelegate_ = d;
  }

  void handleSingleTap(platform::GestureRecognizer& tap);
  void handleDoubleTap(platform::GestureRecognizer& tap);

  explicit PPPhotoPickerBrowserPhotoView(Key key, const platform::Rect& frame)
      : View(std::move(key), frame) {}

 protected:
  void didInit() override;

 private:
  void addGesture();

  std::weak_ptr<PPPhotoPickerBrowserPhotoViewDelegate> tapDelegate_;
};

}  // namespace sprout
