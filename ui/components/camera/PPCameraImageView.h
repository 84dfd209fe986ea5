#pragma once

#include <memory>

#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"

namespace sprout {

class PPCameraImageViewDelegate {
 public:
  virtual ~PPCameraImageViewDelegate() = default;
  virtual void ppCameraImageViewSendBtnTouched() = 0;
  virtual void ppCameraImageViewCancleBtnTouched() = 0;
};

// The single-shot camera's preview of the photo just taken, on black, with "重拍" (retake: the
// preview goes) and "使用照片" (use it: the owner ends the screen) in a bar along the bottom.
class PPCameraImageView : public platform::ImageView {
 public:
  static std::shared_ptr<PPCameraImageView> create(const platform::Rect& frame);

  std::shared_ptr<PPCameraImageViewDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<PPCameraImageViewDelegate>& d) { delegate_ = d; }
  const std::shared_ptr<platform::Image>& imageToDisplay() const { return imageToDisplay_; }
  // Shown the screen's width across, centred; nullptr only clears the field.
  void setImageToDisplay(std::shared_ptr<platform::Image> image);
  const std::shared_ptr<platform::ImageView>& photoDisplayView() const { return photoDisplayView_; }
  const std::shared_ptr<platform::Button>& retakeButton() const { return retakeButton_; }
  const std::shared_ptr<platform::Button>& useButton() const { return useButton_; }

  void cancel1();
  void doneAction();

  explicit PPCameraImageView(Key key, const platform::Rect& frame)
      : ImageView(std::move(key), frame) {}

 protected:
  void didInit() override;

 private:
  void setupBottomView();

  std::weak_ptr<PPCameraImageViewDelegate> delegate_;
  std::shared_ptr<platform::Image> imageToDisplay_;
  std::shared_ptr<platform::ImageView> photoDisplayView_;
  std::shared_ptr<platform::Button> retakeButton_;
  std::shared_ptr<platform::Button> useButton_;
};

}  // namespace sprout
