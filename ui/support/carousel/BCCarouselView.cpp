#include "ui/support/carousel/BCCarouselView.h"

#include <algorithm>

#include "images/ImageViewWebCache.h"
#include "images/WIImageManager.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/BundleImages.h"
#include "platform/ui/scroll/PageControl.h"
#include "ui/support/carousel/BCBannerPath.h"
#include "ui/support/carousel/BCCollectionViewCell.h"
#include "ui/support/carousel/DPPageControl.h"

namespace sprout {

using platform::CollectionViewScrollDirection;
using platform::Rect;
using platform::Size;

std::shared_ptr<BCCarouselView> BCCarouselView::create(const Rect& frame) {
  return platform::Object::make<BCCarouselView>(frame);
}

std::shared_ptr<BCCarouselView> BCCarouselView::carouselViewWithFrame(
    const Rect& frame, std::vector<ImagePath> imageNames, bool infiniteLoop) {
  auto view = create(frame);
  view->setInfiniteLoop(infiniteLoop);
  view->setLocalizationImageNamesGroup(std::move(imageNames));
  return view;
}

std::shared_ptr<BCCarouselView> BCCarouselView::carouselViewWithFrame(
    const Rect& frame, const std::vector<std::any>& imageURLStrings) {
  auto view = create(frame);
  view->setImageURLStringsGroup(imageURLStrings);
  return view;
}

std::shared_ptr<BCCarouselView> BCCarouselView::carouselViewWithFrame(
    const Rect& frame, const std::shared_ptr<BCCarouselViewDelegate>& delegate,
    std::shared_ptr<platform::Image> placeholderImage) {
  auto view = create(frame);
  view->setDelegate(delegate);
  view->setPlaceholderImage(std::move(placeholderImage));
  return view;
}

BCCarouselView::~BCCarouselView() {
  invalidateTimer();
  if (mainView_) {
    mainView_->setDelegate(nullptr);
    mainView_->setDataSource(nullptr);
  }
}

void BCCarouselView::didInit() {
  View::didInit();
  initialization();
  setupMainView();
}

void BCCarouselView::initialization() { setBackgroundColor(platform::Color::lightGray()); }

void BCCarouselView::setupMainView() {
  flowLayout_ = std::make_shared<platform::CollectionViewFlowLayout>();
  flowLayout_->minimumLineSpacing = 0;
  flowLayout_->scrollDirection = CollectionViewScrollDirection::Horizontal;
  mainView_ = platform::CollectionView::create(bounds(), flowLayout_);
  mainView_->setBackgroundColor(platform::Color::clear());
  mainView_->setPagingEnabled(true);
  mainView_->setShowsHorizontalScrollIndicator(false);
  mainView_->setShowsVerticalScrollIndicator(false);
  mainView_->registerCell(kCellIdentifier, [] { return BCCollectionViewCell::create(); });
  mainView_->setDataSource(self<BCCarouselView>());
  mainView_->setDelegate(self<BCCarouselView>());
  mainView_->setScrollsToTop(false);
  addSubview(mainView_);
}

// --- the list

void BCCarouselView::setImageURLStringsGroup(const std::vector<std::any>& group) {
  std::vector<ImagePath> paths;
  for (const auto& element : group) {
    if (const auto* s = std::any_cast<std::string>(&element)) {
      paths.emplace_back(*s);
    } else if (const auto* c = std::any_cast<const char*>(&element); c && *c) {
      paths.emplace_back(std::string(*c));
    } else if (const auto* url = std::any_cast<platform::URL>(&element)) {
      if (!url->absoluteString().empty()) paths.emplace_back(url->absoluteString());
    }
  }
  setImagePathsGroup(std::move(paths));
}

void BCCarouselView::setImageURLStringsGroup(const std::vector<std::string>& group) {
  setImagePathsGroup(std::vector<ImagePath>(group.begin(), group.end()));
}

void BCCarouselView::setLocalizationImageNamesGroup(std::vector<ImagePath> group) {
  setImagePathsGroup(std::move(group));
}

void BCCarouselView::setTitlesGroup(std::vector<std::string> titles) {
  titlesGroup_ = std::move(titles);
  if (onlyDisplayText_) {
    setBackgroundColor(platform::Color::clear());
    setImageURLStringsGroup(std::vector<std::string>(titlesGroup_.size(), ""));
  }
}

void BCCarouselView::setImagePathsGroup(std::vector<ImagePath> paths) {
  const long oldPage = imageCount() > 0 ? pageIndex(currentIndex()) : 0;
  if (paths.size() < imagePathsGroup_.size()) mainView_->setContentOffset({0, 0});
  imagePathsGroup_ = std::move(paths);
  const long count = imageCount();
  totalItemsCount_ = infiniteLoop_ ? count * kLoopCopies : count;
  if (count != 1) {
    mainView_->setScrollEnabled(true);
    setAutoScroll(autoScroll_);
  } else {
    invalidateTimer();
    mainView_->setScrollEnabled(false);
  }
  setupPageControl();
  // Read before the reload, which brings an offset past the new end back to that end.
  const bool pastTheEnd = currentIndex() >= totalItemsCount_;
  mainView_->reloadData();
  if (count != 0) {
    if (backgroundImageView_) backgroundImageView_->removeFromSuperview();
    // The offset must name an item of the new list (the loop turned off leaves it far past the
    // end): stay on the same banner where one remains.
    if (pastTheEnd) {
      const long base = infiniteLoop_ ? totalItemsCount_ / 2 : 0;
      scrollToItem(base + std::min(oldPage, count - 1), false);
    }
  } else if (backgroundImageView_ && !backgroundImageView_->superview()) {
    insertSubviewBelow(backgroundImageView_, mainView_.get());
  }
}

void BCCarouselView::setInfiniteLoop(bool v) {
  infiniteLoop_ = v;
  if (!imagePathsGroup_.empty()) setImagePathsGroup(imagePathsGroup_);
}

void BCCarouselView::setPlaceholderImage(std::shared_ptr<platform::Image> image) {
  placeholderImage_ = std::move(image);
  if (!backgroundImageView_) {
    backgroundImageView_ = platform::ImageView::create();
    backgroundImageView_->setContentMode(platform::ViewContentMode::ScaleAspectFit);
    insertSubviewBelow(backgroundImageView_, mainView_.get());
  }
  backgroundImageView_->setImage(placeholderImage_);
}

// --- the timer

void BCCarouselView::setAutoScroll(bool v) {
  autoScroll_ = v;
  invalidateTimer();
  if (autoScroll_) setupTimer();
}

void BCCarouselView::setAutoScrollTimeInterval(double seconds) {
  autoScrollTimeInterval_ = seconds;
  setAutoScroll(autoScroll_);
}

void BCCarouselView::setupTimer() {
  invalidateTimer();  // one timer at a time, whoever asks
  std::weak_ptr<BCCarouselView> weak = self<BCCarouselView>();
  timer_ = platform::RunLoop::main().scheduleTimer(autoScrollTimeInterval_, true,
                                                   [weak](platform::Timer&) {
                                                     if (auto carousel = weak.lock())
                                                       carousel->automaticScroll();
                                                   },
                                                   {platform::RunLoopMode::Common});
}

void BCCarouselView::invalidateTimer() {
  if (timer_) timer_->invalidate();
  timer_.reset();
}

void BCCarouselView::willMoveToSuperview(const std::shared_ptr<platform::View>& newSuperview) {
  View::willMoveToSuperview(newSuperview);
  if (!newSuperview) invalidateTimer();
}

// --- position

int BCCarouselView::currentIndex() const {
  const Rect b = mainView_->bounds();
  if (b.size.width == 0 || b.size.height == 0) return 0;
  const Size item = flowLayout_->itemSize;
  double index = 0;
  if (flowLayout_->scrollDirection == CollectionViewScrollDirection::Horizontal) {
    index = item.width > 0 ? (mainView_->contentOffset().x + item.width / 2) / item.width : 0;
  } else {
    index = item.height > 0 ? (mainView_->contentOffset().y + item.height / 2) / item.height : 0;
  }
  const int truncated = static_cast<int>(index);
  return truncated > 0 ? truncated : 0;
}

long BCCarouselView::pageIndex(long item) const {
  const long n = imageCount();
  return n == 0 ? 0 : item % n;
}

void BCCarouselView::scrollToItem(long item, bool animated) {
  mainView_->scrollToItemAtIndexPath({0, item}, platform::CollectionViewScrollPositionNone,
                                     animated);
}

void BCCarouselView::automaticScroll() {
  if (totalItemsCount_ == 0) return;
  const long target = currentIndex() + 1;
  if (target >= totalItemsCount_) {
    if (infiniteLoop_) scrollToItem(totalItemsCount_ / 2, false);
    return;
  }
  scrollToItem(target, true);
}

void BCCarouselView::adjustWhenControllerViewWillAppera() {
  const long index = currentIndex();
  if (index < totalItemsCount_) scrollToItem(index, false);
}

void BCCarouselView::setScrollDirection(CollectionViewScrollDirection direction) {
  scrollDirection_ = direction;
  flowLayout_->scrollDirection = direction;
  mainView_->setCollectionViewLayout(flowLayout_);
}

void BCCarouselView::clearCache() { clearImagesCache(); }

void BCCarouselView::clearImagesCache() {
  WIImageManager::sharedManager()->imageCache()->clearDisk();
}

}  // namespace sprout

// The carousel's page indicator, layout, cells and scroll events.
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
