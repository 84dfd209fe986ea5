#include "ui/components/browser/PPPhotoPickerBrowserViewController.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/layout/LayoutConstraint.h"
#include "platform/layout/ViewLayout.h"
#include "platform/media/AssetRepresentation.h"
#include "platform/ui/Screen.h"
#include "platform/ui/controllers/AlertController.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/scroll/CollectionViewCell.h"
#include "platform/ui/scroll/CollectionViewFlowLayout.h"

namespace sprout {

namespace {
double sharedBarAlpha = 1.0;  // main thread only
constexpr long kPhotoScrollViewTag = 101;

// A page can be ticked when it shows a library photo or a picture of its own.
bool tickable(const std::shared_ptr<PPPhotoAssets>& record) {
  return record && (record->assetURL() || record->image());
}
}  // namespace

double PPPhotoPickerBrowserViewController::barAlpha() { return sharedBarAlpha; }
void PPPhotoPickerBrowserViewController::setBarAlpha(double alpha) { sharedBarAlpha = alpha; }

std::shared_ptr<PPPhotoPickerBrowserViewController> PPPhotoPickerBrowserViewController::create() {
  return make<PPPhotoPickerBrowserViewController>();
}

PPPhotoPickerBrowserViewController::~PPPhotoPickerBrowserViewController() {
  platform::NotificationCenter::defaultCenter().removeObserver(this);
}

void PPPhotoPickerBrowserViewController::setShowType(long type) {
  showType_ = type;
  if (type != 0) needHidenBar_ = true;
}

const std::vector<std::shared_ptr<PPPhotoPickerBrowserPhoto>>&
PPPhotoPickerBrowserViewController::photos() {
  if (photos_) return *photos_;
  std::vector<std::shared_ptr<PPPhotoPickerBrowserPhoto>> items;
  if (auto ds = dataSource_.lock()) {
    const auto section = static_cast<unsigned long>(std::max(0L, currentIndexPath_.section));
    const long n = ds->photoBrowserNumberOfItemsInSection(*this, section);
    for (long i = 0; i < n; ++i) {
      items.push_back(ds->photoBrowserPhotoAtIndexPath(
          *this, platform::IndexPath{currentIndexPath_.section, i}));
    }
  }
  photos_ = std::move(items);
  return *photos_;
}

long PPPhotoPickerBrowserViewController::getRealPhotosCount() {
  if (auto ds = dataSource_.lock()) {
    return ds->photoBrowserNumberOfItemsInSection(
        *this, static_cast<unsigned long>(std::max(0L, currentIndexPath_.section)));
  }
  return static_cast<long>(photos().size());
}

std::shared_ptr<PPPhotoPickerBrowserPhoto> PPPhotoPickerBrowserViewController::currentItem() {
  const auto& items = photos();
  if (currentPage_ < 0 || currentPage_ >= static_cast<long>(items.size())) return nullptr;
  return items[static_cast<std::size_t>(currentPage_)];
}

void PPPhotoPickerBrowserViewController::viewDidLoad() {
  setupCollectionView();
  setupTopView();
  setupBrowserToolbar();
}

void PPPhotoPickerBrowserViewController::setupCollectionView() {
  if (collectionView_.lock()) return;
  const platform::Size size = view()->bounds().size;
  auto layout = std::make_shared<platform::CollectionViewFlowLayout>();
  layout->minimumLineSpacing = 20;
  layout->minimumInteritemSpacing = 0;
  layout->itemSize = size;
  layout->scrollDirection = platform::CollectionViewScrollDirection::Horizontal;
  // The 20-point footer after the last page makes every page exactly one pager width.
  layout->footerReferenceSize = {20, size.height};
  auto pager = platform::CollectionView::create(
      platform::makeRect(0, 0, size.width + 20, size.height), layout);
  pager->setPagingEnabled(true);
  pager->setShowsHorizontalScrollIndicator(true);
  pager->setShowsVerticalScrollIndicator(false);
  pager->setBackgroundColor(platform::Color::black());
  pager->setBounces(true);
  auto me = self<PPPhotoPickerBrowserViewController>();
  pager->setDelegate(std::static_pointer_cast<platform::CollectionViewDelegateFlowLayout>(me));
  pager->setDataSource(std::static_pointer_cast<platform::CollectionViewDataSource>(me));
  pager->registerCell(kCellIdentifier, [] { return platform::CollectionViewCell::create(); });
  view()->addSubview(pager);
  collectionView_ = pager;
  pageLabel()->setHidden(false);
}

std::optional<platform::Size> PPPhotoPickerBrowserViewController::referenceSizeForFooterInSection(
    platform::CollectionView&, long) {
  return platform::Size{20, view()->frame().size.height};
}

std::shared_ptr<platform::Label> PPPhotoPickerBrowserViewController::pageLabel() {
  if (auto label = pageLabel_.lock()) return label;
  auto label = platform::Label::create();
  label->setFont(platform::Font::systemFont(18));
  label->setTextAlignment(platform::TextAlignment::Center);
  label->setTextColor(platform::Color::whiteColor());
  label->setBackgroundColor(platform::Color::clear());
  label->setUserInteractionEnabled(false);
  platform::setTranslatesAutoresizingMaskIntoConstraints(*label, false);
  view()->addSubview(label);
  pageLabel_ = label;
  const std::map<std::string, std::shared_ptr<platform::View>> views{{"pageLabel", label}};
  const std::map<std::string, double> metrics{{"SCPickerPageCtrlH", 25}};
  for (const char* format : {"H:|-0-[pageLabel]-0-|", "V:[pageLabel(SCPickerPageCtrlH)]-20-|"}) {
    auto made = platform::LayoutConstraint::constraintsWithVisualFormat(format, 0, metrics, views);
    if (made) platform::LayoutConstraint::activateConstraints(made.value());
  }
  return label;
}

void PPPhotoPickerBrowserViewController::setupTopView() {
  if (auto nav = navigationController()) nav->setNavigationBarHidden(true);
  if (!imagePickerSelectView_.lock() && !needHidenBar_) {
    auto bar = PPImagePickerSelectView::create();
    std::weak_ptr<PPPhotoPickerBrowserViewController> weak =
        self<PPPhotoPickerBrowserViewController>();
    bar->addTarget(
        [weak](platform::Control&) {
          if (auto me = weak.lock()) me->back();
        },
        [weak](platform::Control&) {
          if (auto me = weak.lock()) me->selectedButtonTapped();
        },
        platform::ControlEventTouchUpInside);
    bar->setAlpha(sharedBarAlpha);
    view()->addSubview(bar);
    imagePickerSelectView_ = bar;
  }
  updateSelectBtn();
}

void PPPhotoPickerBrowserViewController::setupBrowserToolbar() {
  if (browserToolbar_ || needHidenBar_) return;
  const platform::Size size = view()->bounds().size;
  browserToolbar_ = PPPhotoPickerCustomToolBarView::create(
      platform::makeRect(0, size.height - 44, size.width, 44), showType_);
  browserToolbar_->setDelegate(self<PPPhotoPickerBrowserViewController>());
  std::weak_ptr<PPPhotoPickerBrowserViewController> weak =
      self<PPPhotoPickerBrowserViewController>();
  browserToolbar_->setGetSizeBlock([weak]() -> std::string {
    auto me = weak.lock();
    auto item = me ? me->currentItem() : nullptr;
    if (!item || !item->asset() || !item->asset()->asset()) return "";
    const auto bytes = item->asset()->asset()->defaultRepresentation()->size();
    return "(" + getFileSizeByBt(static_cast<long long>(bytes)) + ")";
  });
  browserToolbar_->setAlpha(sharedBarAlpha);
  view()->addSubview(browserToolbar_);
}

void PPPhotoPickerBrowserViewController::viewWillAppear(bool) {
  if (auto nav = navigationController()) nav->setNavigationBarHidden(true);
  reloadData();
  updateBrowserToolbar();
  updateSelectBtn();
}

void PPPhotoPickerBrowserViewController::viewDidAppear(bool) { prepareLeftAndRighImage(); }

void PPPhotoPickerBrowserViewController::viewWillDisappear(bool) {
  if (auto nav = navigationController()) nav->setNavigationBarHidden(false);
}

void PPPhotoPickerBrowserViewController::reloadData() {
  const long count = static_cast<long>(photos().size());
  currentPage_ = currentPage_ > 0 ? currentPage_ - 1 : currentIndexPath_.item();
  if (currentPage_ >= count) currentPage_ = count - 1;
  if (currentPage_ < 0 && count > 0) currentPage_ = 0;  // a negative index opens the first page
  setPageLabelPage(currentPage_);
  auto pager = collectionView_.lock();
  if (!pager) return;
  pager->reloadData();
  if (currentPage_ >= 0) {
    pager->layoutIfNeeded();
    pager->setContentOffset({static_cast<double>(currentPage_) * pager->frame().size.width, 0});
    beginDraggingContentOffsetX_ = pager->contentOffset().x;
  }
}

void PPPhotoPickerBrowserViewController::setPageLabelPage(long page) {
  char text[64];
  std::snprintf(text, sizeof text, "%ld / %ld", page + 1, static_cast<long>(photos().size()));
  pageLabel()->setText(text);
  setTitle(text);
}

long PPPhotoPickerBrowserViewController::numberOfItemsInSection(platform::CollectionView&, long) {
  return getRealPhotosCount();
}

std::shared_ptr<platform::CollectionViewCell>
PPPhotoPickerBrowserViewController::cellForItemAtIndexPath(platform::CollectionView& cv,
                                                           const platform::IndexPath& path) {
  auto cell = cv.dequeueReusableCellWithReuseIdentifier(kCellIdentifier, path);
  if (cv.isDragging()) cell->setHidden(false);
  const auto& items = photos();
  if (path.item() < 0 || path.item() >= static_cast<long>(items.size())) return cell;
  const auto& content = cell->contentView();
  if (!content->subviews().empty()) content->subviews().back()->removeFromSuperview();
  const platform::Rect screen = platform::Screen::main().bounds();
  auto container = platform::View::create(screen);
  container->setAutoresizingMask(platform::ViewAutoresizingFlexibleWidth |
                                 platform::ViewAutoresizingFlexibleHeight);
  content->addSubview(container);
  auto page = PPPhotoPickerBrowserPhotoScrollView::create();
  container->addSubview(page);
  page->setShowType(showType_);
  page->setFrame(screen);
  page->setTag(kPhotoScrollViewTag);
  page->setPhotoScrollViewDelegate(self<PPPhotoPickerBrowserViewController>());
  page->setPhoto(items[static_cast<std::size_t>(path.item())]);
  page->setAutoresizingMask(platform::ViewAutoresizingFlexibleWidth |
                            platform::ViewAutoresizingFlexibleHeight);
  cellScrollView_ = page;
  return cell;
}

long PPPhotoPickerBrowserViewController::getDraggingDirect() {
  auto pager = collectionView_.lock();
  if (!pager) return 0;
  const double x = pager->contentOffset().x;
  if (beginDraggingContentOffsetX_ == x) return 0;
  return beginDraggingContentOffsetX_ > x ? 2 : 1;
}

void PPPhotoPickerBrowserViewController::scrollViewDidScroll(platform::ScrollView& scrollView) {
  const double w = scrollView.frame().size.width;
  if (w > 0) {
    setPageLabelPage(static_cast<long>(std::trunc(scrollView.contentOffset().x / w + 0.5)));
  }
  // A pager left narrower than the screen (a turn, a smaller container) is widened back.
  if (auto pager = collectionView_.lock()) {
    const double screenWidth = platform::Screen::main().bounds().size.width;
    platform::Rect frame = pager->frame();
    if (frame.size.width < screenWidth) {
      frame.size.width = screenWidth;
      pager->setFrame(frame);
    }
  }
  draggingDirect_ = getDraggingDirect();
}

void PPPhotoPickerBrowserViewController::scrollViewWillEndDragging(platform::ScrollView& scrollView,
                                                                   platform::Point,
                                                                   platform::Point* target) {
  if (!target || target->x == beginDraggingContentOffsetX_) return;
  const double w = scrollView.frame().size.width;
  const long count = static_cast<long>(photos().size());
  if (w <= 0 || count == 0) return;
  // The page the drag comes to rest on: where it is now can still be mid-way.
  const long d = getDraggingDirect();
  if (d != 0)
    currentPage_ = std::clamp(static_cast<long>(std::lround(target->x / w)), 0L, count - 1);
  loadNextImageWithDirect(d);
}

void PPPhotoPickerBrowserViewController::scrollViewDidEndDecelerating(
    platform::ScrollView& scrollView) {
  // A finger that caught the pager mid-way lets it settle on the nearer page, which need not be
  // the one the swipe was heading for.
  const double w = scrollView.frame().size.width;
  const long count = static_cast<long>(photos().size());
  if (w > 0 && count > 0) {
    currentPage_ =
        std::clamp(static_cast<long>(std::lround(scrollView.contentOffset().x / w)), 0L, count - 1);
  }
  if (auto d = delegate_.lock()) {
    d->photoBrowserDidCurrentPage(*this, static_cast<unsigned long>(std::max(0L, currentPage_)));
  }
  if (auto pager = collectionView_.lock()) beginDraggingContentOffsetX_ = pager->contentOffset().x;
  releaseDistantImages();
  updateSelectBtn();
  updateBrowserToolbar();
}

void PPPhotoPickerBrowserViewController::loadNextImageWithDirect(long direct) {
  const long count = static_cast<long>(photos().size());
  if (direct == 2 && currentPage_ >= 1) {
    fillImage(currentPage_ - 1);
  } else if (direct == 1 && currentPage_ < count - 1) {
    fillImage(currentPage_ + 1);
  }
}

// The picture is decoded on a serial queue of its own; the item is only touched on the main
// thread, where the pages read it.
void PPPhotoPickerBrowserViewController::fillImage(long index) {
  const auto& items = photos();
  if (index < 0 || index >= static_cast<long>(items.size())) return;
  auto item = items[static_cast<std::size_t>(index)];
  if (!item || item->hasPhotoImage() || !item->asset()) return;
  auto record = item->asset();
  platform::DispatchQueue::createSerial("BeginDecelerating")->async([item, record] {
    auto image = record->originImage();
    platform::DispatchQueue::main()->async([item, image] {
      if (!item->hasPhotoImage()) item->setPhotoImage(image);
    });
  });
}

// At most the current page and its two neighbours keep a full-screen picture; library photos
// further away are read again when their page comes back. Pictures handed in are kept.
void PPPhotoPickerBrowserViewController::releaseDistantImages() {
  const auto& items = photos();
  for (std::size_t i = 0; i < items.size(); ++i) {
    const auto& item = items[i];
    if (item && item->asset() && item->asset()->asset() &&
        std::abs(static_cast<long>(i) - currentPage_) > 1) {
      item->setPhotoImage(nullptr);
    }
  }
}

void PPPhotoPickerBrowserViewController::prepareLeftAndRighImage() {
  const long count = static_cast<long>(photos().size());
  if (count < 2) return;
  if (currentPage_ <= 0) {
    fillImage(1);
  } else if (currentPage_ >= count - 1) {
    fillImage(count - 2);
  } else {
    fillImage(currentPage_ + 1);
    fillImage(currentPage_ - 1);
  }
}

void PPPhotoPickerBrowserViewController::updateSelectBtn() {
  auto bar = imagePickerSelectView_.lock();
  if (!bar) return;
  auto item = currentItem();
  const auto record = item ? item->asset() : nullptr;
  bar->selectBtn()->setSelected(tickable(record) &&
                                std::any_of(selectedAssets_.begin(), selectedAssets_.end(),
                                            [&](const auto& r) { return isSamePhoto(r, record); }));
}

void PPPhotoPickerBrowserViewController::updateBrowserToolbar() {
  if (browserToolbar_) {
    browserToolbar_->updateToolbarWithOriginal(isOriginal_, currentPage_,
                                               static_cast<long>(selectedAssets_.size()));
  }
}

void PPPhotoPickerBrowserViewController::selectedButtonTapped() {
  auto bar = imagePickerSelectView_.lock();
  auto item = currentItem();
  const auto record = item ? item->asset() : nullptr;
  if (!bar || !tickable(record)) return;  // nothing to tick: no photo here
  // A swipe may still be settling: the tick answers for the page it lands on, not the last one.
  updateSelectBtn();
  const long limit = maxCount_ < 0 ? kDefaultMaxCount : maxCount_;
  const auto& tick = bar->selectBtn();
  if (static_cast<long>(selectedAssets_.size()) >= limit && !tick->isSelected()) {
    char message[96];
    std::snprintf(message, sizeof message, "最多只能选择%ld张图片", limit);
    auto alert =
        platform::AlertController::create("提示", message, platform::AlertControllerStyle::Alert);
    alert->addAction(platform::AlertAction::create("OK", platform::AlertActionStyle::Cancel));
    presentViewController(alert, true);
    return;
  }
  tick->setSelected(!tick->isSelected());
  // Ticks follow the URL, so unticking does too; whatever record object carries it goes.
  std::erase_if(selectedAssets_, [&](const auto& r) { return isSamePhoto(r, record); });
  if (tick->isSelected()) selectedAssets_.push_back(record);
  updateBrowserToolbar();
}

void PPPhotoPickerBrowserViewController::back() {
  if (auto d = delegate_.lock()) d->photoBrowserWillExit(*this);
  dismissViewControllerAnimated(true);
}

void PPPhotoPickerBrowserViewController::customToolBarIsOriginalBtnTouched() {
  isOriginal_ = !isOriginal_;
  updateBrowserToolbar();
}

void PPPhotoPickerBrowserViewController::customToolBarSendBtnTouched() {
  auto keep = self<PPPhotoPickerBrowserViewController>();
  dismissViewControllerAnimated(false);
  if (auto d = delegate_.lock()) d->photoBrowserSendBtnTouched(*this, isOriginal_);
}

void PPPhotoPickerBrowserViewController::pickerPhotoScrollViewDidSingleClick(
    PPPhotoPickerBrowserPhotoScrollView&) {
  if (needHidenBar_) {
    dismissViewControllerAnimated(true);
    return;
  }
  sharedBarAlpha = sharedBarAlpha != 0 ? 0 : 1;
  const double alpha = sharedBarAlpha;
  auto bar = imagePickerSelectView_.lock();
  auto toolbar = browserToolbar_;
  platform::View::animateWithDuration(0.3, [bar, toolbar, alpha] {
    if (bar) bar->setAlpha(alpha);
    if (toolbar) toolbar->setAlpha(alpha);
  });
}

void PPPhotoPickerBrowserViewController::longPressAction() {
  platform::log(platform::LogLevel::Info, "photobrowser", "long pressed");
}

std::string PPPhotoPickerBrowserViewController::getFileSizeByBt(long long bytes) {
  const float f = static_cast<float>(bytes);
  char text[32];
  if (f >= 1073741824.0f) {
    std::snprintf(text, sizeof text, "%.2fG", f / 1073741824.0);
  } else if (f >= 1048576.0f) {
    std::snprintf(text, sizeof text, "%.2fM", f / 1048576.0);
  } else {
    std::snprintf(text, sizeof text, "%.2fK", f / 1024.0);
  }
  return text;
}

}  // namespace sprout
