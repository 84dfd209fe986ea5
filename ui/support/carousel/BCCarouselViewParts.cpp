// The carousel's page indicator, layout, cells and scroll events.
#include <algorithm>

#include "images/ImageViewWebCache.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/BundleImages.h"
#include "platform/ui/scroll/PageControl.h"
#include "ui/support/carousel/BCBannerPath.h"
#include "ui/support/carousel/BCCarouselView.h"
#include "ui/support/carousel/BCCollectionViewCell.h"
#include "ui/support/carousel/DPPageControl.h"

namespace sprout {

using platform::CollectionViewScrollDirection;
using platform::Rect;
using platform::Size;

// --- the page indicator

void BCCarouselView::setupPageControl() {
  if (pageControl_) pageControl_->removeFromSuperview();
  pageControl_.reset();
  const long count = imageCount();
  if (count == 0 || onlyDisplayText_ || (count == 1 && hidesForSinglePage_)) return;
  const long page = pageIndex(currentIndex());
  if (pageControlStyle_ == 0) {
    auto classic = platform::PageControl::create();
    classic->setNumberOfPages(count);
    classic->setCurrentPageIndicatorTintColor(currentPageDotColor_);
    classic->setPageIndicatorTintColor(pageDotColor_);
    classic->setCurrentPage(page);
    pageControl_ = classic;
  } else if (pageControlStyle_ == 1) {
    auto dots = DPPageControl::create();
    dots->setNumberOfPages(count);
    dots->setDotColor(currentPageDotColor_);
    dots->setCurrentPage(page);
    pageControl_ = dots;
  } else {
    return;
  }
  pageControl_->setUserInteractionEnabled(false);
  addSubview(pageControl_);
  if (currentPageDotImage_) setCurrentPageDotImage(currentPageDotImage_);
  if (pageDotImage_) setPageDotImage(pageDotImage_);
}

void BCCarouselView::setPageControlStyle(int style) {
  pageControlStyle_ = style;
  setupPageControl();
}

void BCCarouselView::setPageControlDotSize(const Size& size) {
  pageControlDotSize_ = size;
  setupPageControl();
  if (auto dots = std::dynamic_pointer_cast<DPPageControl>(pageControl_)) dots->setDotSize(size);
}

void BCCarouselView::setShowPageControl(bool v) {
  showPageControl_ = v;
  if (pageControl_) pageControl_->setHidden(!v);
}

void BCCarouselView::setCurrentPageDotColor(const platform::Color& color) {
  currentPageDotColor_ = color;
  if (auto dots = std::dynamic_pointer_cast<DPPageControl>(pageControl_)) {
    dots->setDotColor(color);
  } else if (auto classic = std::dynamic_pointer_cast<platform::PageControl>(pageControl_)) {
    classic->setCurrentPageIndicatorTintColor(color);
  }
}

void BCCarouselView::setPageDotColor(const platform::Color& color) {
  pageDotColor_ = color;
  if (auto classic = std::dynamic_pointer_cast<platform::PageControl>(pageControl_)) {
    classic->setPageIndicatorTintColor(color);
  }
}

void BCCarouselView::setCurrentPageDotImage(std::shared_ptr<platform::Image> image) {
  currentPageDotImage_ = std::move(image);
  if (pageControlStyle_ != 1) setPageControlStyle(1);
  setCustomPageControlDotImage(currentPageDotImage_, true);
}

void BCCarouselView::setPageDotImage(std::shared_ptr<platform::Image> image) {
  pageDotImage_ = std::move(image);
  if (pageControlStyle_ != 1) setPageControlStyle(1);
  setCustomPageControlDotImage(pageDotImage_, false);
}

void BCCarouselView::setCustomPageControlDotImage(const std::shared_ptr<platform::Image>& image,
                                                  bool current) {
  auto dots = std::dynamic_pointer_cast<DPPageControl>(pageControl_);
  if (!image || !dots) return;
  if (current) {
    dots->setCurrentDotImage(image);
  } else {
    dots->setDotImage(image);
  }
}

// --- layout

void BCCarouselView::layoutSubviews() {
  View::layoutSubviews();
  flowLayout_->itemSize = frame().size;
  mainView_->setFrame(bounds());
  mainView_->setCollectionViewLayout(flowLayout_);  // the new item size
  const bool horizontal = flowLayout_->scrollDirection == CollectionViewScrollDirection::Horizontal;
  const double axisOffset =
      horizontal ? mainView_->contentOffset().x : mainView_->contentOffset().y;
  if (axisOffset == 0 && totalItemsCount_ != 0) {
    scrollToItem(infiniteLoop_ ? totalItemsCount_ / 2 : 0, false);
  }
  layoutPageControl();
  if (backgroundImageView_) backgroundImageView_->setFrame(bounds());
}

void BCCarouselView::layoutPageControl() {
  if (!pageControl_) return;
  const double n = static_cast<double>(imageCount());
  Size size{n * pageControlDotSize_.width * 1.2, pageControlDotSize_.height};
  auto dots = std::dynamic_pointer_cast<DPPageControl>(pageControl_);
  if (dots) {
    const bool imagesSized = currentPageDotImage_ && pageDotImage_ &&
                             pageControlDotSize_.width == 10 && pageControlDotSize_.height == 10;
    if (!imagesSized) dots->setDotSize(pageControlDotSize_);
    size = dots->sizeForNumberOfPages(imageCount());
  }
  const Size strip = mainView_->frame().size;
  const double x = pageControlAliment_ == 0 ? strip.width - size.width - 10
                                            : (frame().size.width - size.width) / 2;
  const double y = strip.height - size.height - 10;
  if (dots) dots->sizeToFit();
  pageControl_->setFrame(platform::makeRect(x, y, size.width, size.height));
  pageControl_->setHidden(!showPageControl_);
}

// --- cells

long BCCarouselView::numberOfItemsInSection(platform::CollectionView&, long) {
  return totalItemsCount_;
}

void BCCarouselView::showBanner(platform::ImageView& imageView, const ImagePath& path) const {
  if (const auto* image = std::get_if<std::shared_ptr<platform::Image>>(&path)) {
    imageView.setImage(*image);
    return;
  }
  const std::string& text = std::get<std::string>(path);
  auto shared = std::static_pointer_cast<platform::ImageView>(imageView.shared_from_this());
  if (bc_isRemoteBanner(text)) {
    wi_setImageWithURL(shared, platform::URL::parse(text), placeholderImage_);
    return;
  }
  auto image = text.empty() ? nullptr : platform::imageNamed(*platform::Bundle::main(), text);
  if (!image) {
    if (auto file = bc_bannerFilePath(text)) image = platform::Image::contentsOfFile(*file);
  }
  imageView.setImage(image);
}

std::shared_ptr<platform::CollectionViewCell> BCCarouselView::cellForItemAtIndexPath(
    platform::CollectionView& cv, const platform::IndexPath& indexPath) {
  auto cell = std::static_pointer_cast<BCCollectionViewCell>(
      cv.dequeueReusableCellWithReuseIdentifier(kCellIdentifier, indexPath));
  const long k = pageIndex(indexPath.row);
  if (k >= imageCount()) return cell;
  if (!onlyDisplayText_) showBanner(*cell->imageView(), imagePathsGroup_[static_cast<size_t>(k)]);
  // A reused cell must not keep the title of the banner it showed before.
  if (k < static_cast<long>(titlesGroup_.size())) {
    cell->setTitle(titlesGroup_[static_cast<size_t>(k)]);
  } else {
    cell->setTitle(std::nullopt);
  }
  if (!cell->hasConfigured()) {
    cell->setTitleLabelBackgroundColor(titleLabelBackgroundColor_);
    cell->setTitleLabelHeight(titleLabelHeight_);
    cell->setTitleLabelTextColor(titleLabelTextColor_);
    cell->setTitleLabelTextFont(titleLabelTextFont_);
    cell->setHasConfigured(true);
    cell->imageView()->setContentMode(bannerMode_);
    cell->setClipsToBounds(true);
    cell->setOnlyDisplayText(onlyDisplayText_);
  }
  return cell;
}

void BCCarouselView::didSelectItemAtIndexPath(platform::CollectionView&,
                                              const platform::IndexPath& indexPath) {
  const long k = pageIndex(indexPath.row);
  if (auto d = delegate()) d->carouselViewDidSelectItemAtIndex(*this, k);
  if (clickItemOperationBlock_) clickItemOperationBlock_(k);
}

// --- scrolling

void BCCarouselView::scrollViewDidScroll(platform::ScrollView&) {
  if (imageCount() == 0 || !pageControl_) return;
  const long page = pageIndex(currentIndex());
  if (auto dots = std::dynamic_pointer_cast<DPPageControl>(pageControl_)) {
    dots->setCurrentPage(page);
  } else if (auto classic = std::dynamic_pointer_cast<platform::PageControl>(pageControl_)) {
    classic->setCurrentPage(page);
  }
}

void BCCarouselView::scrollViewWillBeginDragging(platform::ScrollView&) {
  if (autoScroll_) invalidateTimer();
}

void BCCarouselView::scrollViewDidEndDragging(platform::ScrollView&, bool) {
  if (autoScroll_) setupTimer();
}

void BCCarouselView::scrollViewDidEndDecelerating(platform::ScrollView& scrollView) {
  scrollViewDidEndScrollingAnimation(scrollView);
}

void BCCarouselView::scrollViewDidEndScrollingAnimation(platform::ScrollView&) {
  if (imageCount() == 0) return;
  const long k = pageIndex(currentIndex());
  auto d = delegate();
  if (d && d->carouselViewDidScrollToIndex(*this, k)) return;
  if (itemDidScrollOperationBlock_) itemDidScrollOperationBlock_(k);
}

}  // namespace sprout
