#include "platform/ui/scroll/CollectionViewCell.h"

namespace platform {

std::shared_ptr<CollectionReusableView> CollectionReusableView::create(const Rect& frame) {
  return Object::make<CollectionReusableView>(frame);
}

CollectionReusableView::CollectionReusableView(Key key, const Rect& frame)
    : View(std::move(key), frame) {}

std::shared_ptr<CollectionViewCell> CollectionViewCell::create(const Rect& frame) {
  return Object::make<CollectionViewCell>(frame);
}

CollectionViewCell::CollectionViewCell(Key key, const Rect& frame)
    : CollectionReusableView(std::move(key), frame) {}

void CollectionViewCell::didInit() {
  CollectionReusableView::didInit();
  contentView_ = View::create(bounds());
  contentView_->setBackgroundColor(Color::clear());
  contentView_->setAutoresizingMask(ViewAutoresizingFlexibleWidth | ViewAutoresizingFlexibleHeight);
  addSubview(contentView_);
}

void CollectionViewCell::setBackgroundView(std::shared_ptr<View> view) {
  if (backgroundView_) backgroundView_->removeFromSuperview();
  backgroundView_ = std::move(view);
  if (backgroundView_) {
    backgroundView_->setFrame(bounds());
    insertSubview(backgroundView_, 0);
  }
  showSelection();
}

void CollectionViewCell::setSelectedBackgroundView(std::shared_ptr<View> view) {
  if (selectedBackgroundView_) selectedBackgroundView_->removeFromSuperview();
  selectedBackgroundView_ = std::move(view);
  if (selectedBackgroundView_) {
    selectedBackgroundView_->setFrame(bounds());
    insertSubview(selectedBackgroundView_, backgroundView_ ? 1 : 0);
  }
  showSelection();
}

void CollectionViewCell::setSelected(bool selected) {
  selected_ = selected;
  showSelection();
}

void CollectionViewCell::setHighlighted(bool highlighted) {
  highlighted_ = highlighted;
  showSelection();
}

void CollectionViewCell::showSelection() {
  if (selectedBackgroundView_) selectedBackgroundView_->setHidden(!(selected_ || highlighted_));
}

void CollectionViewCell::prepareForReuse() {
  setSelected(false);
  setHighlighted(false);
}

void CollectionViewCell::layoutSubviews() {
  for (const auto& v : {backgroundView_, selectedBackgroundView_}) {
    if (v) v->setFrame(bounds());
  }
}

}  // namespace platform
