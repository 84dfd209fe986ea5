#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/ViewController.h"
#include "platform/ui/controllers/NavigationController.h"
#include "ui/components/photopicker/PPPhotoPickerGroupViewController.h"
#include "ui/components/photopicker/PPPhotoPickerViewControllerDelegate.h"
#include "ui/components/photos/PPPhotoAssets.h"

namespace sprout {

// Where the app starts a photo pick: hosts the album list in a navigation stack, and turns the
// picker's "PICKER_TAKE_DONE" into one result for its delegate (or, without one, its block) on
// the next turn of the main queue, then closes. An empty selection is not delivered.
class PPPhotoPickerViewController : public platform::ViewController {
 public:
  using Records = std::vector<std::shared_ptr<PPPhotoAssets>>;
  using CallBack = std::function<void(const Records&)>;

  static std::shared_ptr<PPPhotoPickerViewController> create(long showType = 0);
  ~PPPhotoPickerViewController() override;

  bool topShowPhotoPicker() const { return topShowPhotoPicker_; }
  void setTopShowPhotoPicker(bool v);
  bool isOriginal() const { return isOriginal_; }
  std::shared_ptr<PPPhotoPickerViewControllerDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<PPPhotoPickerViewControllerDelegate>& d);
  long status() const { return status_; }
  void setStatus(long status);
  long showType() const { return showType_; }
  void setShowType(long type) { showType_ = type; }
  void setCallBack(CallBack callBack) { callBack_ = std::move(callBack); }
  long maxCount() const { return maxCount_; }
  void setMaxCount(long n);
  void setSelectPickers(const Records& records);
  const std::shared_ptr<PPPhotoPickerGroupViewController>& groupVc() const { return groupVc_; }
  const std::shared_ptr<platform::NavigationController>& navigation() const { return nav_; }

  void viewDidLoad() override;
  // The hosted navigation stack hears this screen's appearance, so its screens hear theirs (a
  // grid gives its selection back when it disappears).
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  void viewDidDisappear(bool animated) override;
  void showPickerVc(const std::shared_ptr<platform::ViewController>& from);
  void done(const platform::Dictionary& userInfo);

  explicit PPPhotoPickerViewController(Key key) : platform::ViewController(std::move(key)) {}

 protected:
  void didInit() override;

 private:
  bool topShowPhotoPicker_ = false;
  bool isOriginal_ = false;
  std::weak_ptr<PPPhotoPickerViewControllerDelegate> delegate_;
  long status_ = 0;
  long showType_ = 0;
  CallBack callBack_;
  long maxCount_ = 0;
  Records selectPickers_;
  std::shared_ptr<PPPhotoPickerGroupViewController> groupVc_;
  std::shared_ptr<platform::NavigationController> nav_;
};

}  // namespace sprout
