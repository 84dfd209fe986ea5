#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/ViewController.h"
#include "platform/ui/scroll/TableView.h"
#include "platform/ui/scroll/TableViewDelegate.h"
#include "ui/components/photopicker/PPPhotoPickerViewControllerDelegate.h"
#include "ui/components/photos/PPPhotoAssets.h"
#include "ui/components/photos/PPPhotoPickerGroup.h"

namespace sprout {

// The picker's root: the library's photo (or video) albums, newest-listed first. A tap opens an
// album's grid; a non-zero status opens the matching album by itself once the list is read. The
// running selection travels from each grid to the next. Refused access shows a lock instead.
class PPPhotoPickerGroupViewController : public platform::ViewController,
                                         public platform::TableViewDataSource,
                                         public platform::TableViewDelegate {
 public:
  using Records = std::vector<std::shared_ptr<PPPhotoAssets>>;
  static constexpr char kRefusalText[] =
      "您屏蔽了选择相册的权限，开启请去系统设置->隐私->我的App来打开权限";

  static std::shared_ptr<PPPhotoPickerGroupViewController> create(long showType = 0);
  ~PPPhotoPickerGroupViewController() override;

  bool topShowPhotoPicker() const { return topShowPhotoPicker_; }
  void setTopShowPhotoPicker(bool v) { topShowPhotoPicker_ = v; }
  // Kept for the entry screen; the list itself never calls it.
  std::shared_ptr<PPPhotoPickerViewControllerDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<PPPhotoPickerViewControllerDelegate>& d) { delegate_ = d; }
  long status() const { return status_; }
  void setStatus(long status) { status_ = status; }
  long showType() const { return showType_; }
  void setShowType(long type) { showType_ = type; }
  long maxCount() const { return maxCount_; }
  void setMaxCount(long n) { maxCount_ = n; }
  const Records& selectAsstes() const { return selectAsstes_; }
  void setSelectAsstes(Records records) { selectAsstes_ = std::move(records); }
  const std::vector<std::shared_ptr<PPPhotoPickerGroup>>& groups() const { return groups_; }
  const std::string& selectGroupURL() const { return selectGroupURL_; }
  std::shared_ptr<platform::TableView> tableView();
  bool isRefused() const { return refused_; }

  void viewDidLoad() override;
  void viewDidLayoutSubviews() override;
  void getImgs();
  void gotoHistoryGroup();
  void setupAssetsVCWithGroup(const std::shared_ptr<PPPhotoPickerGroup>& group);
  void cancelBtnTouched();

  long numberOfRowsInSection(platform::TableView&, long section) override;
  std::shared_ptr<platform::TableViewCell> cellForRowAtIndexPath(
      platform::TableView& tableView, const platform::IndexPath& indexPath) override;
  std::optional<double> heightForRowAtIndexPath(platform::TableView&,
                                                const platform::IndexPath&) override;
  void didSelectRowAtIndexPath(platform::TableView& tableView,
                               const platform::IndexPath& indexPath) override;

  explicit PPPhotoPickerGroupViewController(Key key) : platform::ViewController(std::move(key)) {}

 private:
  void showRefusal();
  void openAlbum(const std::shared_ptr<PPPhotoPickerGroup>& group, long showType, bool animated);

  bool topShowPhotoPicker_ = false;
  std::weak_ptr<PPPhotoPickerViewControllerDelegate> delegate_;
  long status_ = 0;
  long showType_ = 0;
  long maxCount_ = 0;
  Records selectAsstes_;
  std::weak_ptr<platform::TableView> tableView_;
  std::vector<std::shared_ptr<PPPhotoPickerGroup>> groups_;
  std::string selectGroupURL_;
  bool refused_ = false;
};

}  // namespace sprout
