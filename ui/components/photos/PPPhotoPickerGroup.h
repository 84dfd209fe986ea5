#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/Image.h"
#include "platform/media/AssetsGroup.h"

namespace sprout {

// One album as the picker's screens show it: the library's album with the filter it was listed
// under, and what was read of it then.
class PPPhotoPickerGroup {
 public:
  static std::shared_ptr<PPPhotoPickerGroup> create() {
    return std::make_shared<PPPhotoPickerGroup>();
  }

  const std::string& groupName() const { return groupName_; }
  void setGroupName(std::string name) { groupName_ = std::move(name); }
  const std::shared_ptr<platform::Image>& thumbImage() const { return thumbImage_; }
  void setThumbImage(std::shared_ptr<platform::Image> image) { thumbImage_ = std::move(image); }
  long assetsCount() const { return assetsCount_; }
  void setAssetsCount(long count) { assetsCount_ = count; }
  const std::optional<std::string>& type() const { return type_; }
  void setType(std::optional<std::string> type) { type_ = std::move(type); }
  const std::shared_ptr<platform::AssetsGroup>& group() const { return group_; }
  void setGroup(std::shared_ptr<platform::AssetsGroup> group) { group_ = std::move(group); }

 private:
  std::string groupName_;
  std::shared_ptr<platform::Image> thumbImage_;
  long assetsCount_ = 0;
  std::optional<std::string> type_;
  std::shared_ptr<platform::AssetsGroup> group_;
};

}  // namespace sprout
