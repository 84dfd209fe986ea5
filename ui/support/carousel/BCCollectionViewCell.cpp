#include "ui/support/carousel/BCCollectionViewCell.h"

namespace sprout {

std::shared_ptr<BCCollectionViewCell> BCCollectionViewCell::create(const platform::Rect& frame) {
  return platform::Object::make<BCCollectionViewCell>(frame);
}

void BCCollectionViewCell::didInit() {
  CollectionViewCell::didInit();
  imageView_ = platform::ImageView::create();
  contentView()->addSubview(imageView_);
  titleLabel_ = platform::Label::create();
  titleLabel_->setHidden(true);
  contentView()->addSubview(titleLabel_);
}

void BCCollectionViewCell::setTitle(std::optional<std::string> title) {
  title_ = std::move(title);
  if (!title_) {
    titleLabel_->setText("");
    titleLabel_->setHidden(true);
    return;
  }
  titleLabel_->setText("   " + *title_);
  if (titleLabel_->isHidden()) titleLabel_->setHidden(false);
}

void BCCollectionViewCell::setTitleLabelTextColor(const platform::Color& color) {
  titleLabel_->setTextColor(color);
}

void BCCollectionViewCell::setTitleLabelTextFont(const platform::Font& font) {
  titleLabel_->setFont(font);
}

void BCCollectionViewCell::setTitleLabelBackgroundColor(const platform::Color& color) {
  titleLabel_->setBackgroundColor(color);
}

void BCCollectionViewCell::layoutSubviews() {
  CollectionViewCell::layoutSubviews();
  const platform::Rect b = bounds();
  if (onlyDisplayText_) {
    titleLabel_->setFrame(b);
    return;
  }
  imageView_->setFrame(b);
  titleLabel_->setFrame(
      platform::makeRect(0, b.size.height - titleLabelHeight_, b.size.width, titleLabelHeight_));
}

}  // namespace sprout
