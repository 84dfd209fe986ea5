#pragma once

#include <any>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/dispatch/Timer.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Control.h"
#include "platform/ui/Font.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/View.h"
#include "platform/ui/scroll/CollectionView.h"

namespace sprout {

class BCCarouselView;

// Both optional: a method returns false when the delegate does not take the event, as the
// default does.
class BCCarouselViewDelegate {
 public:
  virtual ~BCCarouselViewDelegate() = default;
  virtual bool carouselViewDidSelectItemAtIndex(BCCarouselView& /*view*/, long /*index*/) {
    return false;
  }
  virtual bool carouselViewDidScrollToIndex(BCCarouselView& /*view*/, long /*index*/) {
    return false;
  }
};

// A banner strip: a paged collection view of images (remote, named or files in the app's own
// folders) with optional titles and a page indicator, advancing on a timer. With the endless
// loop the strip pretends to hold 100 copies of the list and starts in the middle.
class BCCarouselView : public platform::View,
                       public platform::CollectionViewDataSource,
                       public platform::CollectionViewDelegate {
 public:
  // A banner: a web address, an image name or path, or an image.
  using ImagePath = std::variant<std::string, std::shared_ptr<platform::Image>>;
  using IndexBlock = std::function<void(long index)>;

  static std::shared_ptr<BCCarouselView> create(const platform::Rect& frame);
  static std::shared_ptr<BCCarouselView> carouselViewWithFrame(const platform::Rect& frame,
                                                               std::vector<ImagePath> imageNames,
                                                               bool infiniteLoop = true);
  // Strings and URLs are kept (URLs as their text); anything else is dropped.
  static std::shared_ptr<BCCarouselView> carouselViewWithFrame(
      const platform::Rect& frame, const std::vector<std::any>& imageURLStrings);
  static std::shared_ptr<BCCarouselView> carouselViewWithFrame(
      const platform::Rect& frame, const std::shared_ptr<BCCarouselViewDelegate>& delegate,
      std::shared_ptr<platform::Image> placeholderImage);
  ~BCCarouselView() override;

  void setImageURLStringsGroup(const std::vector<std::any>& group);
  void setImageURLStringsGroup(const std::vector<std::string>& group);
  void setLocalizationImageNamesGroup(std::vector<ImagePath> group);
  const std::vector<std::string>& titlesGroup() const { return titlesGroup_; }
  void setTitlesGroup(std::vector<std::string> titles);
  const std::vector<ImagePath>& imagePathsGroup() const { return imagePathsGroup_; }
  void setImagePathsGroup(std::vector<ImagePath> paths);

  bool infiniteLoop() const { return infiniteLoop_; }
  void setInfiniteLoop(bool v);
  bool autoScroll() const { return autoScroll_; }
  void setAutoScroll(bool v);
  double autoScrollTimeInterval() const { return autoScrollTimeInterval_; }
  void setAutoScrollTimeInterval(double seconds);
  platform::CollectionViewScrollDirection scrollDirection() const { return scrollDirection_; }
  void setScrollDirection(platform::CollectionViewScrollDirection direction);
  bool showPageControl() const { return showPageControl_; }
  void setShowPageControl(bool v);
  bool hidesForSinglePage() const { return hidesForSinglePage_; }
  void setHidesForSinglePage(bool v) { hidesForSinglePage_ = v; }
  bool onlyDisplayText() const { return onlyDisplayText_; }
  void setOnlyDisplayText(bool v) { onlyDisplayText_ = v; }
  // 0: the platform's page control; 1: the dot control; anything else: none.
  int pageControlStyle() const { return pageControlStyle_; }
  void setPageControlStyle(int style);
  // 0: at the right; anything else: centred.
  int pageControlAliment() const { return pageControlAliment_; }
  void setPageControlAliment(int aliment) { pageControlAliment_ = aliment; }
  platform::Size pageControlDotSize() const { return pageControlDotSize_; }
  void setPageControlDotSize(const platform::Size& size);
  void setCurrentPageDotColor(const platform::Color& color);
  void setPageDotColor(const platform::Color& color);
  void setCurrentPageDotImage(std::shared_ptr<platform::Image> image);
  void setPageDotImage(std::shared_ptr<platform::Image> image);
  void setPlaceholderImage(std::shared_ptr<platform::Image> image);
  const std::shared_ptr<platform::Image>& placeholderImage() const { return placeholderImage_; }
  void setBannerImageViewContentMode(platform::ViewContentMode mode) { bannerMode_ = mode; }

  // Cells take these once, the first time they are used.
  void setTitleLabelTextColor(const platform::Color& c) { titleLabelTextColor_ = c; }
  void setTitleLabelTextFont(const platform::Font& f) { titleLabelTextFont_ = f; }
  void setTitleLabelBackgroundColor(const platform::Color& c) { titleLabelBackgroundColor_ = c; }
  void setTitleLabelHeight(double h) { titleLabelHeight_ = h; }

  std::shared_ptr<BCCarouselViewDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<BCCarouselViewDelegate>& d) { delegate_ = d; }
  void setClickItemOperationBlock(IndexBlock block) { clickItemOperationBlock_ = std::move(block); }
  void setItemDidScrollOperationBlock(IndexBlock block) {
    itemDidScrollOperationBlock_ = std::move(block);
  }

  const std::shared_ptr<platform::CollectionView>& mainView() const { return mainView_; }
  const std::shared_ptr<platform::Control>& pageControl() const { return pageControl_; }
  const std::shared_ptr<platform::ImageView>& backgroundImageView() const {
    return backgroundImageView_;
  }
  const std::shared_ptr<platform::Timer>& timer() const { return timer_; }
  long totalItemsCount() const { return totalItemsCount_; }
  int currentIndex() const;

  void automaticScroll();
  void adjustWhenControllerViewWillAppera();
  void clearCache();
  static void clearImagesCache();

  void layoutSubviews() override;
  void willMoveToSuperview(const std::shared_ptr<platform::View>& newSuperview) override;

  // The strip's data source and delegate.
  long numberOfItemsInSection(platform::CollectionView& cv, long section) override;
  std::shared_ptr<platform::CollectionViewCell> cellForItemAtIndexPath(
      platform::CollectionView& cv, const platform::IndexPath& indexPath) override;
  void didSelectItemAtIndexPath(platform::CollectionView& cv,
                                const platform::IndexPath& indexPath) override;
  void scrollViewDidScroll(platform::ScrollView& scrollView) override;
  void scrollViewWillBeginDragging(platform::ScrollView& scrollView) override;
  void scrollViewDidEndDragging(platform::ScrollView& scrollView, bool decelerate) override;
  void scrollViewDidEndDecelerating(platform::ScrollView& scrollView) override;
  void scrollViewDidEndScrollingAnimation(platform::ScrollView& scrollView) override;

  static constexpr long kLoopCopies = 100;
  static constexpr const char* kCellIdentifier = "cycleCell";

  explicit BCCarouselView(Key key, const platform::Rect& frame) : View(std::move(key), frame) {}

 protected:
  void didInit() override;

 private:
  void initialization();
  void setupMainView();
  void setupTimer();
  void invalidateTimer();
  void setupPageControl();
  void setCustomPageControlDotImage(const std::shared_ptr<platform::Image>& image, bool current);
  void layoutPageControl();
  long imageCount() const { return static_cast<long>(imagePathsGroup_.size()); }
  long pageIndex(long item) const;
  void scrollToItem(long item, bool animated);
  void showBanner(platform::ImageView& imageView, const ImagePath& path) const;

  std::vector<ImagePath> imagePathsGroup_;
  std::vector<std::string> titlesGroup_;
  std::shared_ptr<platform::CollectionViewFlowLayout> flowLayout_;
  std::shared_ptr<platform::CollectionView> mainView_;
  std::shared_ptr<platform::Control> pageControl_;
  std::shared_ptr<platform::ImageView> backgroundImageView_;
  std::shared_ptr<platform::Timer> timer_;
  std::shared_ptr<platform::Image> placeholderImage_;
  std::shared_ptr<platform::Image> currentPageDotImage_;
  std::shared_ptr<platform::Image> pageDotImage_;
  std::weak_ptr<BCCarouselViewDelegate> delegate_;
  IndexBlock clickItemOperationBlock_;
  IndexBlock itemDidScrollOperationBlock_;
  platform::Color currentPageDotColor_ = platform::Color::whiteColor();
  platform::Color pageDotColor_ = platform::Color::lightGray();
  platform::Color titleLabelTextColor_ = platform::Color::whiteColor();
  platform::Font titleLabelTextFont_ = platform::Font::systemFont(14);
  platform::Color titleLabelBackgroundColor_ = platform::Color::rgba(0, 0, 0, 0.5);
  double titleLabelHeight_ = 30;
  double autoScrollTimeInterval_ = 2.0;
  platform::Size pageControlDotSize_{10, 10};
  platform::CollectionViewScrollDirection scrollDirection_ =
      platform::CollectionViewScrollDirection::Vertical;
  platform::ViewContentMode bannerMode_ = platform::ViewContentMode::ScaleToFill;
  long totalItemsCount_ = 0;
  int pageControlStyle_ = 0;
  int pageControlAliment_ = 1;
  bool infiniteLoop_ = true;
  bool autoScroll_ = true;
  bool showPageControl_ = true;
  bool hidesForSinglePage_ = true;
  bool onlyDisplayText_ = false;
};

}  // namespace sprout
