#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/media/ImagePickerController.h"
#include "platform/ui/Button.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/controls/Toolbar.h"
#include "ui/components/browser/PPPhotoPickerBrowserViewController.h"
#include "ui/components/photopicker/PPPhotoPickerCollectionView.h"
#include "ui/components/photopicker/PPPhotoPickerCollectionViewDelegate.h"
#include "ui/components/photos/PPPhotoAssets.h"
#include "ui/components/photos/PPPhotoPickerGroup.h"

namespace sprout {

inline constexpr char kPickerTakeDoneNotification[] = "PICKER_TAKE_DONE";

// One album as a grid of ticked thumbnails with a preview / send toolbar. It keeps the running
// selection (all albums' ticks, by URL), opens the browser on a photo or on the selection, and
// posts the picker's result on send. With the camera option item 0 takes a photo.
class PPPhotoPickerAssetsViewController : public platform::ViewController,
                                          public PPPhotoPickerCollectionViewDelegate,
                                          public PPPhotoPickerBrowserViewControllerDataSource,
                                          public PPPhotoPickerBrowserViewControllerDelegate,
                                          public platform::ImagePickerControllerDelegate {
 public:
  using Records = std::vector<std::shared_ptr<PPPhotoAssets>>;
  using SelectedAssetsBlock = std::function<void(const Records&)>;

  static std::shared_ptr<PPPhotoPickerAssetsViewController> create(long showType = 0);

  void setSelectedAssetsBlock(SelectedAssetsBlock block) {
    selectedAssetsBlock_ = std::move(block);
  }
  void setSelectPickerAssets(const Records& records);
  const std::shared_ptr<PPPhotoPickerGroup>& assetsGroup() const { return assetsGroup_; }
  void setAssetsGroup(const std::shared_ptr<PPPhotoPickerGroup>& group);
  bool topShowPhotoPicker() const { return topShowPhotoPicker_; }
  void setTopShowPhotoPicker(bool show);
  long maxCount() const { return maxCount_; }
  void setMaxCount(long m);
  bool isOriginal() const { return isOriginal_; }
  bool isPreview() const { return isPreview_; }
  const Records& assets() const { return assets_; }
  const Records& selectAssets() const { return selectAssets_; }
  std::shared_ptr<PPPhotoPickerCollectionView> collectionView();
  std::shared_ptr<platform::Button> sendBtn();
  std::shared_ptr<platform::Button> previewBtn();
  std::shared_ptr<platform::Toolbar> toolBar() const { return toolBar_.lock(); }
  std::shared_ptr<PPPhotoPickerBrowserViewController> browser() const { return browser_.lock(); }

  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewDidLayoutSubviews() override;
  void viewDidDisappear(bool animated) override;

  void updateToolbar();
  void previewBtnTouched();
  void sendBtnTouched();
  void cancelBtnTouched();

  void pickerCollectionViewDidSelected(PPPhotoPickerCollectionView& grid,
                                       const std::shared_ptr<PPPhotoAssets>& deleteAsset) override;
  void pickerCollectionCellTouchedIndexPath(const platform::IndexPath& indexPath) override;
  void pickerCollectionViewDidCameraSelect(PPPhotoPickerCollectionView& grid) override;
  void didFinishPickingMediaWithInfo(platform::ImagePickerController& picker,
                                     const platform::Dictionary& info) override;

  long photoBrowserNumberOfItemsInSection(PPPhotoPickerBrowserViewController&,
                                          unsigned long section) override;
  std::shared_ptr<PPPhotoPickerBrowserPhoto> photoBrowserPhotoAtIndexPath(
      PPPhotoPickerBrowserViewController&, const platform::IndexPath& path) override;
  void photoBrowserWillExit(PPPhotoPickerBrowserViewController& browser) override;
  void photoBrowserSendBtnTouched(PPPhotoPickerBrowserViewController& browser,
                                  bool original) override;

  explicit PPPhotoPickerAssetsViewController(Key key) : platform::ViewController(std::move(key)) {}

 private:
  void setupAssets();
  void setupToorBar();
  void showAssets(Records loaded);
  void setupPhotoBrowser(bool preview, long item);
  void enableButtons();
  void updateGridLimit();
  void dismissPicker(bool animated);

  bool topShowPhotoPicker_ = false;
  bool isPreview_ = false;
  bool isOriginal_ = false;
  long showType_ = 0;
  std::shared_ptr<PPPhotoPickerGroup> assetsGroup_;
  long maxCount_ = 0;
  Records selectPickerAssets_;
  SelectedAssetsBlock selectedAssetsBlock_;
  std::shared_ptr<PPPhotoPickerCollectionView> collectionView_;
  std::shared_ptr<platform::Button> sendBtn_, previewBtn_;
  std::weak_ptr<platform::Toolbar> toolBar_;
  unsigned long privateTempMaxCount_ = 0;
  Records assets_;  // the album in the grid's order, without the camera item
  Records selectAssets_;
  std::weak_ptr<PPPhotoPickerBrowserViewController> browser_;
};

}  // namespace sprout
