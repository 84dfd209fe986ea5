#include "ui/components/photopicker/PPPhotoPickerCollectionView.h"

#include <algorithm>
#include <cstdio>

#include "platform/foundation/Log.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/Touch.h"
#include "ui/components/photopicker/PPPhotoPickerFooterCollectionReusableView.h"

namespace sprout {
namespace {

constexpr long kDefaultLimit = 9;  // what a negative limit stands for

}  // namespace

std::shared_ptr<PPPhotoPickerCollectionView> PPPhotoPickerCollectionView::create(
    const platform::Rect& frame, std::shared_ptr<platform::CollectionViewFlowLayout> layout) {
  return make<PPPhotoPickerCollectionView>(frame, std::move(layout));
}

void PPPhotoPickerCollectionView::didInit() {
  CollectionView::didInit();
  setBackgroundColor(platform::Color::clear());
  auto me = self<PPPhotoPickerCollectionView>();
  setDataSource(me);
  setDelegate(me);
  registerCell(PPPhotoPickerCollectionViewCell::kReuseIdentifier,
               [] { return PPPhotoPickerCollectionViewCell::create(); });
  registerSupplementaryView(platform::kCollectionElementKindSectionFooter, kFooterIdentifier,
                            [] { return PPPhotoPickerFooterCollectionReusableView::create(); });
  for (const auto& recognizer : gestureRecognizers()) {
    if (std::dynamic_pointer_cast<platform::TapGestureRecognizer>(recognizer)) {
      recognizer->setDelegate(me);
    }
  }
}

void PPPhotoPickerCollectionView::setDataArray(std::vector<std::shared_ptr<PPPhotoAssets>> items) {
  if (isRecoderSelectPicker_) {
    std::vector<std::shared_ptr<PPPhotoAssets>> kept;
    for (const auto& selected : selectAssets_) {
      auto match = std::find_if(items.begin(), items.end(),
                                [&](const auto& item) { return isSamePhoto(item, selected); });
      if (match != items.end()) kept.push_back(*match);
    }
    selectAssets_ = std::move(kept);
  }
  dataArray_ = std::move(items);
  reloadData();
}

void PPPhotoPickerCollectionView::setSelectAssets(
    std::vector<std::shared_ptr<PPPhotoAssets>> records) {
  selectAssets_.clear();
  for (auto& record : records) {
    if (record && !isSelected(*record)) selectAssets_.push_back(std::move(record));
  }
}

bool PPPhotoPickerCollectionView::isSelected(const PPPhotoAssets& item) const {
  return std::any_of(selectAssets_.begin(), selectAssets_.end(),
                     [&](const auto& s) { return isSamePhoto(s.get(), &item); });
}

long PPPhotoPickerCollectionView::numberOfItemsInSection(platform::CollectionView&, long) {
  return static_cast<long>(dataArray_.size());
}

std::shared_ptr<platform::CollectionViewCell> PPPhotoPickerCollectionView::cellForItemAtIndexPath(
    platform::CollectionView& cv, const platform::IndexPath& indexPath) {
  auto cell = PPPhotoPickerCollectionViewCell::cellWithCollectionView(cv, indexPath);
  if (cell) fillCell(*cell, indexPath.row);
  return cell;
}

void PPPhotoPickerCollectionView::fillCell(PPPhotoPickerCollectionViewCell& cell, long index) {
  const auto& content = cell.contentView();
  std::shared_ptr<PPPhotoPickerImageView> thumb;
  std::shared_ptr<platform::Button> tick;
  if (content->subviews().size() == 2) {
    thumb = std::dynamic_pointer_cast<PPPhotoPickerImageView>(content->subviews()[0]);
    tick = std::dynamic_pointer_cast<platform::Button>(content->subviews()[1]);
  }
  if (!thumb || !tick) {
    // A cell may be filled before the layout sizes it: the views follow its size from then on.
    const platform::Size size = content->bounds().size;
    thumb = PPPhotoPickerImageView::create(platform::makeRect(0, 0, size.width, size.height));
    thumb->setAutoresizingMask(platform::ViewAutoresizingFlexibleWidth |
                               platform::ViewAutoresizingFlexibleHeight);
    content->addSubview(thumb);
    tick = platform::Button::create(platform::makeRect(size.width - 40, 0, 40, 40));
    tick->setAutoresizingMask(platform::ViewAutoresizingFlexibleLeftMargin);
    tick->setBackgroundColor(platform::Color::clear());
    std::weak_ptr<PPPhotoPickerCollectionView> weak = self<PPPhotoPickerCollectionView>();
    tick->addTarget(
        [weak](platform::Control& sender) {
          if (auto grid = weak.lock()) grid->tickBtnTouched(sender.tag());
        },
        platform::ControlEventTouchUpInside);
    content->addSubview(tick);
  }
  const auto& item = dataArray_.at(static_cast<std::size_t>(index));
  thumbnails_.show(thumb, item);
  thumb->setMaskViewFlag(false);
  if (item && isSelected(*item)) thumb->setMaskViewFlag(true);
  tick->setTag(index);
}

std::shared_ptr<platform::CollectionReusableView>
PPPhotoPickerCollectionView::viewForSupplementaryElementOfKind(
    platform::CollectionView& cv, const std::string& kind, const platform::IndexPath& indexPath) {
  if (kind != platform::kCollectionElementKindSectionFooter) return nullptr;
  auto footer = std::dynamic_pointer_cast<PPPhotoPickerFooterCollectionReusableView>(
      cv.dequeueReusableSupplementaryView(kind, kFooterIdentifier, indexPath));
  if (footer) footer->setCount(static_cast<long>(dataArray_.size()));
  return footer;
}

void PPPhotoPickerCollectionView::didSelectItemAtIndexPath(platform::CollectionView&,
                                                           const platform::IndexPath& indexPath) {
  if (auto d = collectionViewDelegate()) d->pickerCollectionCellTouchedIndexPath(indexPath);
}

bool PPPhotoPickerCollectionView::gestureRecognizerShouldReceiveTouch(
    platform::GestureRecognizer&, const platform::Touch& touch) {
  for (auto v = touch.view(); v && v.get() != this; v = v->superview()) {
    if (std::dynamic_pointer_cast<platform::Control>(v)) return false;
  }
  return true;
}

void PPPhotoPickerCollectionView::tickBtnTouched(long tag) {
  if (topShowPhotoPicker_ && tag == 0) {
    if (auto d = collectionViewDelegate()) d->pickerCollectionViewDidCameraSelect(*this);
    return;
  }
  if (tag < 0 || tag >= static_cast<long>(dataArray_.size())) return;
  auto item = dataArray_[static_cast<std::size_t>(tag)];
  if (!item || !item->asset()) return;  // nothing to pick
  // Ticked is what the tick shows: a match by asset URL.
  const bool wasTicked = isSelected(*item);
  if (wasTicked) {
    std::erase_if(selectAssets_, [&](const auto& s) { return isSamePhoto(s, item); });
  } else {
    const long limit = maxCount_ < 0 ? kDefaultLimit : maxCount_;
    if (static_cast<long>(selectAssets_.size()) >= limit) {
      showLimitAlert(limit);
      return;
    }
    selectAssets_.push_back(item);
  }
  if (auto d = collectionViewDelegate()) {
    d->pickerCollectionViewDidSelected(*this, wasTicked ? item : nullptr);
  }
  auto cell = std::dynamic_pointer_cast<platform::CollectionViewCell>(
      CollectionView::cellForItemAtIndexPath(platform::IndexPath{0, tag}));
  if (cell && !cell->contentView()->subviews().empty()) {
    if (auto thumb =
            std::dynamic_pointer_cast<PPPhotoPickerImageView>(cell->contentView()->subviews()[0])) {
      thumb->setMaskViewFlag(!wasTicked);
    }
  }
}

void PPPhotoPickerCollectionView::showLimitAlert(long limit) const {
  char message[96];
  if (limit == 0) {
    std::snprintf(message, sizeof message, "您最多只能选择9张图片");
  } else {
    std::snprintf(message, sizeof message, "最多只能选择%ld张图片", limit);
  }
  if (alertPresenter_) {
    alertPresenter_("提醒", message, "好的");
  } else {
    platform::log(platform::LogLevel::Info, "photopicker", message);
  }
}

// The one-time scroll comes before the standard layout makes cells: the cells at the top of a
// long album, never shown, are neither made nor decoded. Every thumbnail coming into view is
// asked for before any of its cells is made, so the decodes start together.
void PPPhotoPickerCollectionView::layoutSubviews() {
  if (!firstLoadding_) {
    if (!reloaded_) reloadData();
    firstLayoutScroll();
  }
  askForThumbnailsComingIntoView();
  CollectionView::layoutSubviews();
}

void PPPhotoPickerCollectionView::askForThumbnailsComingIntoView() {
  for (const auto* a : collectionViewLayout()->layoutAttributesForElementsInRect(bounds())) {
    if (!a->isCell() || a->indexPath.section != 0 ||
        CollectionView::cellForItemAtIndexPath(a->indexPath)) {
      continue;
    }
    const auto row = static_cast<std::size_t>(a->indexPath.row);
    if (row < dataArray_.size()) thumbnails_.ask(dataArray_[row]);
  }
}

void PPPhotoPickerCollectionView::reloadData() {
  CollectionView::reloadData();
  reloaded_ = true;
}

void PPPhotoPickerCollectionView::firstLayoutScroll() {
  if (firstLoadding_ || contentSize().height <= platform::Screen::main().bounds().size.height) {
    return;
  }
  const long count = CollectionView::numberOfItemsInSection(0);
  if (status_ == 0 && count > 0) {
    scrollToItemAtIndexPath(platform::IndexPath{0, count - 1},
                            platform::CollectionViewScrollPositionBottom, false);
    // 100 points further down shows the footer, never past the end: at rest the grid lies
    // within its edges.
    const platform::Point offset = contentOffset();
    setContentOffset({offset.x, std::min(offset.y + 100, maximumContentOffset().y)});
  } else if (status_ == 1 && count > 0) {
    scrollToItemAtIndexPath(platform::IndexPath{0, 0}, platform::CollectionViewScrollPositionTop,
                            false);
    setContentOffset({contentOffset().x, -contentInset().top});
  } else {
    return;
  }
  firstLoadding_ = true;
}

}  // namespace sprout
