#pragma once

#include <memory>

#include "platform/ui/ImageView.h"

namespace platform {
class GestureRecognizer;
}

namespace sprout {

class SCCameraImageView;

class SCCameraImageViewDelegate {
 public:
  virtual ~SCCameraImageViewDelegate() = default;
  virtual void deleteImageView(SCCameraImageView& /*view*/) {}
};

// A thumbnail of the camera's strip with a delete badge ("X.png", 25 x 25 at (50, 0)) that shows
// once edit is set; tapping the badge tells the delegate.
class SCCameraImageView : public platform::ImageView {
 public:
  static std::shared_ptr<SCCameraImageView> create(const platform::Rect& frame = {});

  bool isEdit() const { return edit_; }
  // YES shows the badge (made on first use); NO hides it again.
  void setEdit(bool edit);
  std::shared_ptr<SCCameraImageViewDelegate> delegatge() const { return delegatge_.lock(); }
  void setDelegatge(const std::shared_ptr<SCCameraImageViewDelegate>& d) { delegatge_ = d; }
  const std::shared_ptr<platform::ImageView>& deleBjView();

  void deleImage(platform::GestureRecognizer& tap);

  explicit SCCameraImageView(Key key, const platform::Rect& frame)
      : ImageView(std::move(key), frame) {}

 protected:
  void didInit() override;

 private:
  bool edit_ = false;
  std::weak_ptr<SCCameraImageViewDelegate> delegatge_;
  std::shared_ptr<platform::ImageView> deleBjView_;
};

}  // namespace sprout
