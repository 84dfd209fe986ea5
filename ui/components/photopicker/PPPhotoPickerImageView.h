#pragma once

#include <memory>

#include "platform/ui/ImageView.h"

namespace sprout {

// A grid thumbnail with its tick in the top right corner ("checkbox_pic" / "checkbox_pic_non").
// The optional overlay is named overlayView, so the platform never takes it for a layer mask; it
// is built only when its colour or alpha is set.
class PPPhotoPickerImageView : public platform::ImageView {
 public:
  static std::shared_ptr<PPPhotoPickerImageView> create(const platform::Rect& frame = {});

  bool isMaskViewFlag() const { return maskViewFlag_; }
  void setMaskViewFlag(bool ticked);
  bool animationRightTick() const { return animationRightTick_; }
  bool isVideoType() const { return isVideoType_; }
  void setIsVideoType(bool video);
  void setMaskViewColor(const platform::Color& color);
  void setMaskViewAlpha(double alpha);
  std::shared_ptr<platform::View> overlayView();
  std::shared_ptr<platform::ImageView> tickImageView();
  std::shared_ptr<platform::ImageView> videoView() const { return videoView_.lock(); }

  explicit PPPhotoPickerImageView(Key key, const platform::Rect& frame)
      : ImageView(std::move(key), frame) {}

 protected:
  void didInit() override;

 private:
  bool maskViewFlag_ = false;
  bool animationRightTick_ = false;
  bool isVideoType_ = false;
  std::weak_ptr<platform::View> overlayView_;
  std::weak_ptr<platform::ImageView> tickImageView_;
  std::weak_ptr<platform::ImageView> videoView_;
};

}  // namespace sprout
