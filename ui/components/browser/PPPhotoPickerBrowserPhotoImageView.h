#pragma once

#include <memory>

#include "platform/ui/ImageView.h"
#include "platform/ui/TapGestureRecognizer.h"

namespace sprout {

class PPPhotoPickerBrowserPhotoImageView;

class PPPhotoPickerBrowserPhotoImageViewDelegate {
 public:
  virtual ~PPPhotoPickerBrowserPhotoImageViewDelegate() = default;
  virtual void imageViewSingleTapDetected(PPPhotoPickerBrowserPhotoImageView& /*view*/,
                                          platform::GestureRecognizer& /*tap*/) {}
  virtual void imageViewDoubleTapDetected(PPPhotoPickerBrowserPhotoImageView& /*view*/,
                                          platform::GestureRecognizer& /*tap*/) {}
};

// The browser page's picture: single and double taps on it go to the tap delegate; the double
// tap's target can be taken away (a picture that failed to load does not zoom).
class PPPhotoPickerBrowserPhotoImageView : public platform::ImageView {
 public:
  static std::shared_ptr<PPPhotoPickerBrowserPhotoImageView> create(
      const platform::Rect& frame = {});

  std::shared_ptr<PPPhotoPickerBrowserPhotoImageViewDelegate> tapDelegate() const {
    return tapDelegate_.lock();
  }
  void setTapDelegate(const std::shared_ptr<PPPhotoPickerBrowserPhotoImageViewDelegate>& d) {
    tapDelegate_ = d;
  }
  const std::shared_ptr<platform::TapGestureRecognizer>& scaleBigTap() const {
    return scaleBigTap_;
  }
  void addScaleBigTap();
  void removeScaleBigTap();
  void handleSingleTap(platform::GestureRecognizer& tap);
  void handleDoubleTap(platform::GestureRecognizer& tap);

  explicit PPPhotoPickerBrowserPhotoImageView(Key key, const platform::Rect& frame)
      : ImageView(std::move(key), frame) {}

 protected:
  void didInit() override;

 private:
  void addGesture();

  std::weak_ptr<PPPhotoPickerBrowserPhotoImageViewDelegate> tapDelegate_;
  std::shared_ptr<platform::TapGestureRecognizer> scaleBigTap_;
  std::uint64_t doubleTapTarget_ = 0;
};

}  // namespace sprout
