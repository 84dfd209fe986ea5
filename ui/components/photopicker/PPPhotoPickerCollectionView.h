#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Button.h"
#include "platform/ui/GestureRecognizerDelegate.h"
#include "platform/ui/scroll/CollectionView.h"
#include "platform/ui/scroll/CollectionViewDelegate.h"
#include "ui/components/photopicker/PPPhotoPickerCollectionViewCell.h"
#include "ui/components/photopicker/PPPhotoPickerCollectionViewDelegate.h"
#include "ui/components/photopicker/PPPhotoPickerImageView.h"
#include "ui/components/photopicker/PPPhotoPickerThumbnailLoader.h"
#include "ui/components/photos/PPPhotoAssets.h"

namespace sprout {

// One album's thumbnails with a tick on each, its own data source and delegate. It keeps the
// records ticked in this album (matched by asset URL), refuses ticks past the limit with an
// alert, tells its owner of every tick and tap, treats item 0 as the camera when asked, counts
// its pictures in a footer and scrolls once on first layout (status 0: to the last item, 1: to
// the top), before it makes any cell, so only the cells of the place shown are made. Thumbnails
// decode off the main thread and land in their cells when ready.
class PPPhotoPickerCollectionView : public platform::CollectionView,
                                    public platform::CollectionViewDataSource,
                                    public platform::CollectionViewDelegateFlowLayout,
                                    public platform::GestureRecognizerDelegate {
 public:
  static constexpr const char* kFooterIdentifier = "FooterView";
  // How the limit's alert is shown: title, message, the one button's title. Showing alerts comes
  // with the platform's alert views; until one is given the texts are logged.
  using AlertPresenter = std::function<void(const std::string& title, const std::string& message,
                                            const std::string& button)>;

  static std::shared_ptr<PPPhotoPickerCollectionView> create(
      const platform::Rect& frame, std::shared_ptr<platform::CollectionViewFlowLayout> layout);

  bool topShowPhotoPicker() const { return topShowPhotoPicker_; }
  void setTopShowPhotoPicker(bool v) { topShowPhotoPicker_ = v; }
  bool isRecoderSelectPicker() const { return isRecoderSelectPicker_; }
  void setIsRecoderSelectPicker(bool v) { isRecoderSelectPicker_ = v; }
  bool isFirstLoadding() const { return firstLoadding_; }
  unsigned long status() const { return status_; }
  void setStatus(unsigned long status) { status_ = status; }
  const std::vector<std::shared_ptr<PPPhotoAssets>>& dataArray() const { return dataArray_; }
  void setDataArray(std::vector<std::shared_ptr<PPPhotoAssets>> items);
  std::vector<std::shared_ptr<PPPhotoAssets>>& selectAssets() { return selectAssets_; }
  void setSelectAssets(std::vector<std::shared_ptr<PPPhotoAssets>> records);
  std::shared_ptr<PPPhotoPickerCollectionViewDelegate> collectionViewDelegate() const {
    return collectionViewDelegate_.lock();
  }
  void setCollectionViewDelegate(const std::shared_ptr<PPPhotoPickerCollectionViewDelegate>& d) {
    collectionViewDelegate_ = d;
  }
  long maxCount() const { return maxCount_; }
  void setMaxCount(long n) { maxCount_ = n; }
  void setAlertPresenter(AlertPresenter presenter) { alertPresenter_ = std::move(presenter); }

  void tickBtnTouched(long tag);
  // Thumbnails asked for that have not landed yet.
  std::size_t pendingThumbnails() const { return thumbnails_.pending(); }
  std::size_t thumbnailDecodesStarted() const { return thumbnails_.decodesStarted(); }

  using platform::CollectionView::cellForItemAtIndexPath;
  using platform::CollectionView::numberOfItemsInSection;

  long numberOfItemsInSection(platform::CollectionView& cv, long section) override;
  std::shared_ptr<platform::CollectionViewCell> cellForItemAtIndexPath(
      platform::CollectionView& cv, const platform::IndexPath& indexPath) override;
  std::shared_ptr<platform::CollectionReusableView> viewForSupplementaryElementOfKind(
      platform::CollectionView& cv, const std::string& kind,
      const platform::IndexPath& indexPath) override;
  void didSelectItemAtIndexPath(platform::CollectionView& cv,
                                const platform::IndexPath& indexPath) override;
  // A touch on a tick button belongs to the button, not to the item selection.
  bool gestureRecognizerShouldReceiveTouch(platform::GestureRecognizer& recognizer,
                                           const platform::Touch& touch) override;
  void layoutSubviews() override;
  void reloadData() override;

  PPPhotoPickerCollectionView(Key key, const platform::Rect& frame,
                              std::shared_ptr<platform::CollectionViewFlowLayout> layout)
      : CollectionView(std::move(key), frame, std::move(layout)) {}

 protected:
  void didInit() override;

 private:
  bool isSelected(const PPPhotoAssets& item) const;
  void fillCell(PPPhotoPickerCollectionViewCell& cell, long index);
  void showLimitAlert(long limit) const;
  void firstLayoutScroll();
  void askForThumbnailsComingIntoView();

  bool topShowPhotoPicker_ = false;
  bool isRecoderSelectPicker_ = false;
  bool firstLoadding_ = false;
  bool reloaded_ = false;
  unsigned long status_ = 0;
  std::vector<std::shared_ptr<PPPhotoAssets>> dataArray_;
  std::vector<std::shared_ptr<PPPhotoAssets>> selectAssets_;
  std::weak_ptr<PPPhotoPickerCollectionViewDelegate> collectionViewDelegate_;
  long maxCount_ = 0;
  AlertPresenter alertPresenter_;
  PPPhotoPickerThumbnailLoader thumbnails_;
};

}  // namespace sprout
