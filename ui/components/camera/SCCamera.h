#pragma once

#include <memory>

#include "platform/graphics/Image.h"

namespace sprout {

// One photo the camera took: the upright photo and its small-file copy (a JPEG round trip at
// quality 0.3, same pixel size).
class SCCamera {
 public:
  static std::shared_ptr<SCCamera> create() { return std::make_shared<SCCamera>(); }

  const std::shared_ptr<platform::Image>& thumbImage() const { return thumbImage_; }
  void setThumbImage(std::shared_ptr<platform::Image> image) { thumbImage_ = std::move(image); }
  const std::shared_ptr<platform::Image>& photoImage() const { return photoImage_; }
  void setPhotoImage(std::shared_ptr<platform::Image> image) { photoImage_ = std::move(image); }

 private:
  std::shared_ptr<platform::Image> thumbImage_;
  std::shared_ptr<platform::Image> photoImage_;
};

}  // namespace sprout
