#include "ui/components/photopicker/PPPhotoPickerViewController.h"

#include <any>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/NotificationCenter.h"
#include "ui/components/photopicker/PPPhotoPickerAssetsViewController.h"

namespace sprout {

std::shared_ptr<PPPhotoPickerViewController> PPPhotoPickerViewController::create(long showType) {
  auto picker = make<PPPhotoPickerViewController>();
  picker->setShowType(showType);
  picker->groupVc_->setShowType(showType);
  return picker;
}

void PPPhotoPickerViewController::didInit() {
  ViewController::didInit();
  groupVc_ = PPPhotoPickerGroupViewController::create();
  nav_ = platform::NavigationController::create(groupVc_);
}

PPPhotoPickerViewController::~PPPhotoPickerViewController() {
  platform::NotificationCenter::defaultCenter().removeObserver(this);
  if (groupVc_) groupVc_->setDelegate(nullptr);
}

void PPPhotoPickerViewController::viewDidLoad() {
  view()->setBackgroundColor(platform::Color::whiteColor());
  nav_->view()->setFrame(view()->bounds());
  nav_->view()->setAutoresizingMask(platform::ViewAutoresizingFlexibleWidth |
                                    platform::ViewAutoresizingFlexibleHeight);
  addChildViewController(nav_);
  view()->addSubview(nav_->view());
  nav_->didMoveToParentViewController(self<platform::ViewController>());
  std::weak_ptr<PPPhotoPickerViewController> weak = self<PPPhotoPickerViewController>();
  platform::NotificationCenter::defaultCenter().addObserver(
      this, kPickerTakeDoneNotification, nullptr, [weak](const platform::Notification& n) {
        if (auto me = weak.lock()) me->done(n.userInfo);
      });
}

void PPPhotoPickerViewController::viewWillAppear(bool animated) {
  nav_->beginAppearanceTransition(true, animated);
}

void PPPhotoPickerViewController::viewDidAppear(bool) { nav_->endAppearanceTransition(); }

void PPPhotoPickerViewController::viewWillDisappear(bool animated) {
  nav_->beginAppearanceTransition(false, animated);
}

void PPPhotoPickerViewController::viewDidDisappear(bool) { nav_->endAppearanceTransition(); }

void PPPhotoPickerViewController::setTopShowPhotoPicker(bool v) {
  topShowPhotoPicker_ = v;
  groupVc_->setTopShowPhotoPicker(v);
}

void PPPhotoPickerViewController::setDelegate(
    const std::shared_ptr<PPPhotoPickerViewControllerDelegate>& d) {
  delegate_ = d;
  groupVc_->setDelegate(d);
}

void PPPhotoPickerViewController::setStatus(long status) {
  status_ = status;
  groupVc_->setStatus(status);
}

void PPPhotoPickerViewController::setMaxCount(long n) {
  if (n < 1) return;
  maxCount_ = n;
  groupVc_->setMaxCount(n);
}

void PPPhotoPickerViewController::setSelectPickers(const Records& records) {
  selectPickers_ = records;
  groupVc_->setSelectAsstes(records);
}

void PPPhotoPickerViewController::showPickerVc(
    const std::shared_ptr<platform::ViewController>& from) {
  if (from) from->presentViewController(self<platform::ViewController>(), true);
}

// The picker is usually gone (and released by its presenter) by the time the result is
// delivered; the deferred delivery holds it until then.
void PPPhotoPickerViewController::done(const platform::Dictionary& userInfo) {
  Records selection;
  if (auto it = userInfo.find("selectAssets"); it != userInfo.end()) {
    if (const auto* records = std::any_cast<Records>(&it->second)) selection = *records;
  }
  bool original = false;
  if (auto it = userInfo.find("isOriginal"); it != userInfo.end()) {
    if (const auto* flag = std::any_cast<bool>(&it->second)) original = *flag;
  }
  isOriginal_ = original;
  auto me = self<PPPhotoPickerViewController>();
  platform::DispatchQueue::main()->async([me, selection = std::move(selection)] {
    if (!selection.empty()) {
      if (auto d = me->delegate_.lock()) {
        d->pickerViewControllerDoneAsstes(selection, me->isOriginal_);
      } else if (me->callBack_) {
        me->callBack_(selection);
      }
    }
    me->dismissViewControllerAnimated(true);
  });
}

}  // namespace sprout
