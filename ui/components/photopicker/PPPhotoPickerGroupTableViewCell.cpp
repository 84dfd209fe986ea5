#include "ui/components/photopicker/PPPhotoPickerGroupTableViewCell.h"

namespace sprout {

std::shared_ptr<PPPhotoPickerGroupTableViewCell> PPPhotoPickerGroupTableViewCell::create(
    const std::string& identifier) {
  auto cell = make<PPPhotoPickerGroupTableViewCell>(identifier);
  cell->setFrame(platform::makeRect(0, 0, 320, kRowHeight));
  return cell;
}

void PPPhotoPickerGroupTableViewCell::setGroup(std::shared_ptr<PPPhotoPickerGroup> group) {
  group_ = std::move(group);
  if (!group_) return;
  groupNameLabel()->setText(group_->groupName());
  groupImageView()->setImage(group_->thumbImage());
  groupPicCountLabel()->setText("(" + std::to_string(group_->assetsCount()) + ")");
}

std::shared_ptr<platform::ImageView> PPPhotoPickerGroupTableViewCell::groupImageView() {
  if (auto view = groupImageView_.lock()) return view;
  auto view = platform::ImageView::create(platform::makeRect(15, 5, 70, 70));
  view->setContentMode(platform::ViewContentMode::ScaleAspectFit);
  contentView()->addSubview(view);
  groupImageView_ = view;
  return view;
}

std::shared_ptr<platform::Label> PPPhotoPickerGroupTableViewCell::groupNameLabel() {
  if (auto label = groupNameLabel_.lock()) return label;
  auto label = platform::Label::create(platform::makeRect(95, 15, frame().size.width - 100, 20));
  contentView()->addSubview(label);
  groupNameLabel_ = label;
  return label;
}

std::shared_ptr<platform::Label> PPPhotoPickerGroupTableViewCell::groupPicCountLabel() {
  if (auto label = groupPicCountLabel_.lock()) return label;
  auto label = platform::Label::create(platform::makeRect(95, 40, frame().size.width - 100, 20));
  label->setFont(platform::Font::systemFont(13));
  label->setTextColor(platform::Color::lightGray());
  contentView()->addSubview(label);
  groupPicCountLabel_ = label;
  return label;
}

}  // namespace sprout
