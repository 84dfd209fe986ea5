#include "ui/support/carousel/BCCarouselView.h"

#include <algorithm>

#include "images/ImageViewWebCache.h"
#include "images/WIImageManager.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/URL.h"
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
