#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/Label.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/scroll/CollectionView.h"
#include "platform/ui/scroll/CollectionViewDelegate.h"
#include "ui/components/browser/PPImagePickerSelectView.h"
#include "ui/components/browser/PPPhotoPickerBrowserPhoto.h"
#include "ui/components/browser/PPPhotoPickerBrowserPhotoScrollView.h"
#include "ui/components/browser/PPPhotoPickerCustomToolBarView.h"
#include "ui/components/photos/PPPhotoAssets.h"

namespace sprout {

class PPPhotoPickerBrowserViewController;

class PPPhotoPickerBrowserViewControllerDataSource {
 public:
  virtual ~PPPhotoPickerBrowserViewControllerDataSource() = default;
  virtual long photoBrowserNumberOfItemsInSection(PPPhotoPickerBrowserViewController&,
                                                  unsigned long section) = 0;
  virtual std::shared_ptr<PPPhotoPickerBrowserPhoto> photoBrowserPhotoAtIndexPath(
      PPPhotoPickerBrowserViewController&, const platform::IndexPath& path) = 0;
};

class PPPhotoPickerBrowserViewControllerDelegate {
 public:
  virtual ~PPPhotoPickerBrowserViewControllerDelegate() = default;
  virtual void photoBrowserWillExit(PPPhotoPickerBrowserViewController&) {}
  virtual void photoBrowserDidCurrentPage(PPPhotoPickerBrowserViewController&, unsigned long) {}
  virtual void photoBrowserSendBtnTouched(PPPhotoPickerBrowserViewController&, bool) {}
};

// The picker's full-screen, horizontally paged photo viewer. In picker mode (showType 0) a top
// bar ticks photos in and out of the selection and a toolbar chooses the original size and
// sends; any other showType is a bare viewer that a single tap closes.
class PPPhotoPickerBrowserViewController : public platform::ViewController,
                                           public platform::CollectionViewDataSource,
                                           public platform::CollectionViewDelegateFlowLayout,
                                           public PPPhotoPickerPhotoScrollViewDelegate,
                                           public PPPhotoPickerCustomToolBarViewDelegate {
 public:
  static constexpr char kCellIdentifier[] = "collectionViewCell";
  static constexpr long kDefaultMaxCount = 9;

  static std::shared_ptr<PPPhotoPickerBrowserViewController> create();
  ~PPPhotoPickerBrowserViewController() override;

  void setDataSource(const std::shared_ptr<PPPhotoPickerBrowserViewControllerDataSource>& ds) {
    dataSource_ = ds;
  }
  void setDelegate(const std::shared_ptr<PPPhotoPickerBrowserViewControllerDelegate>& d) {
    delegate_ = d;
  }
  const std::vector<std::shared_ptr<PPPhotoPickerBrowserPhoto>>& photos();
  void setPhotos(std::vector<std::shared_ptr<PPPhotoPickerBrowserPhoto>> photos) {
    photos_ = std::move(photos);
  }
  std::vector<std::shared_ptr<PPPhotoAssets>>& selectedAssets() { return selectedAssets_; }
  void setSelectedAssets(std::vector<std::shared_ptr<PPPhotoAssets>> s) {
    selectedAssets_ = std::move(s);
  }
  void setCurrentIndexPath(const platform::IndexPath& path) { currentIndexPath_ = path; }
  long showType() const { return showType_; }
  void setShowType(long type);
  long maxCount() const { return maxCount_; }
  void setMaxCount(long n) { maxCount_ = n; }
  bool isOriginal() const { return isOriginal_; }
  void setIsOriginal(bool v) { isOriginal_ = v; }
  long currentPage() const { return currentPage_; }
  bool needHidenBar() const { return needHidenBar_; }
  std::shared_ptr<platform::Label> pageLabel();
  std::shared_ptr<platform::CollectionView> collectionView() const {
    return collectionView_.lock();
  }
  std::shared_ptr<PPImagePickerSelectView> imagePickerSelectView() const {
    return imagePickerSelectView_.lock();
  }
  const std::shared_ptr<PPPhotoPickerCustomToolBarView>& browserToolbar() const {
    return browserToolbar_;
  }
  std::shared_ptr<PPPhotoPickerBrowserPhotoScrollView> cellScrollView() const {
    return cellScrollView_.lock();
  }
  // Shared by every browser for the life of the process.
  static double barAlpha();
  static void setBarAlpha(double alpha);

  long getRealPhotosCount();
  void reloadData();
  void setPageLabelPage(long page);
  void updateSelectBtn();
  void updateBrowserToolbar();
  void selectedButtonTapped();
  void back();
  std::shared_ptr<PPPhotoPickerBrowserPhoto> currentItem();
  static std::string getFileSizeByBt(long long bytes);
  void prepareLeftAndRighImage();
  void loadNextImageWithDirect(long direct);
  long getDraggingDirect();

  void viewDidLoad() override;
  // Full screen: the status bar hides while the browser is up and comes back when it goes.
  bool prefersStatusBarHidden() const override { return true; }
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;

  long numberOfItemsInSection(platform::CollectionView&, long section) override;
  std::shared_ptr<platform::CollectionViewCell> cellForItemAtIndexPath(
      platform::CollectionView& cv, const platform::IndexPath& path) override;
  std::optional<platform::Size> referenceSizeForFooterInSection(platform::CollectionView&,
                                                                long section) override;
  void scrollViewDidScroll(platform::ScrollView& scrollView) override;
  void scrollViewWillEndDragging(platform::ScrollView& scrollView, platform::Point velocity,
                                 platform::Point* target) override;
  void scrollViewDidEndDecelerating(platform::ScrollView& scrollView) override;

  void pickerPhotoScrollViewDidSingleClick(PPPhotoPickerBrowserPhotoScrollView&) override;
  void pickerPhotoScrollViewDidLongPressed(PPPhotoPickerBrowserPhotoScrollView&) override {
    longPressAction();
  }
  // Only noted: nothing is offered on a long press.
  void longPressAction();
  void customToolBarIsOriginalBtnTouched() override;
  void customToolBarSendBtnTouched() override;

  explicit PPPhotoPickerBrowserViewController(Key key) : platform::ViewController(std::move(key)) {}

 private:
  void setupCollectionView();
  void setupTopView();
  void setupBrowserToolbar();
  void fillImage(long index);
  void releaseDistantImages();

  std::weak_ptr<PPPhotoPickerBrowserViewControllerDataSource> dataSource_;
  std::weak_ptr<PPPhotoPickerBrowserViewControllerDelegate> delegate_;
  std::optional<std::vector<std::shared_ptr<PPPhotoPickerBrowserPhoto>>> photos_;
  std::vector<std::shared_ptr<PPPhotoAssets>> selectedAssets_;
  platform::IndexPath currentIndexPath_;
  long showType_ = 0;
  long maxCount_ = 0;
  bool isOriginal_ = false;
  std::weak_ptr<platform::Label> pageLabel_;
  std::weak_ptr<platform::CollectionView> collectionView_;
  long currentPage_ = 0;
  std::weak_ptr<PPImagePickerSelectView> imagePickerSelectView_;
  std::shared_ptr<PPPhotoPickerCustomToolBarView> browserToolbar_;
  std::weak_ptr<PPPhotoPickerBrowserPhotoScrollView> cellScrollView_;
  double beginDraggingContentOffsetX_ = 0;
  long draggingDirect_ = 0;
  bool needHidenBar_ = false;
};

}  // namespace sprout
