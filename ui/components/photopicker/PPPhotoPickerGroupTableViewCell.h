#pragma once

#include <memory>
#include <string>

#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/scroll/TableViewCell.h"
#include "ui/components/photos/PPPhotoPickerGroup.h"

namespace sprout {

// One album in the picker's list: poster, name and "(count)", 80 points high.
class PPPhotoPickerGroupTableViewCell : public platform::TableViewCell {
 public:
  static constexpr char kReuseIdentifier[] = "PPPhotoPickerGroupTableViewCell";
  static constexpr double kRowHeight = 80;

  static std::shared_ptr<PPPhotoPickerGroupTableViewCell> create(const std::string& identifier);

  const std::shared_ptr<PPPhotoPickerGroup>& group() const { return group_; }
  void setGroup(std::shared_ptr<PPPhotoPickerGroup> group);
  std::shared_ptr<platform::ImageView> groupImageView();
  std::shared_ptr<platform::Label> groupNameLabel();
  std::shared_ptr<platform::Label> groupPicCountLabel();

  explicit PPPhotoPickerGroupTableViewCell(Key key, const std::string& identifier)
      : TableViewCell(std::move(key), platform::TableViewCellStyle::Default, identifier) {}

 private:
  std::shared_ptr<PPPhotoPickerGroup> group_;
  std::weak_ptr<platform::ImageView> groupImageView_;
  std::weak_ptr<platform::Label> groupNameLabel_;
  std::weak_ptr<platform::Label> groupPicCountLabel_;
};

}  // namespace sprout
