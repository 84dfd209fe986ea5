#include "ui/components/photopicker/PPPhotoPickerAssetsViewController.h"

#include <algorithm>
#include <cstdio>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/layout/LayoutConstraint.h"
#include "platform/layout/ViewLayout.h"
#include "platform/ui/Screen.h"
#include "platform/ui/controllers/AlertController.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/scroll/CollectionViewFlowLayout.h"
#include "ui/components/photos/PPPhotoPickerDatas.h"

namespace sprout {

namespace {
using Records = PPPhotoPickerAssetsViewController::Records;

bool containsURL(const Records& records, const std::shared_ptr<PPPhotoAssets>& record) {
  return std::any_of(records.begin(), records.end(),
                     [&](const auto& r) { return isSamePhoto(r, record); });
}

void pin(const std::shared_ptr<platform::View>& view, const std::string& name,
         std::initializer_list<const char*> formats) {
  const std::map<std::string, std::shared_ptr<platform::View>> views{{name, view}};
  for (const char* format : formats) {
    auto made = platform::LayoutConstraint::constraintsWithVisualFormat(format, 0, {}, views);
    if (made) platform::LayoutConstraint::activateConstraints(made.value());
  }
}
}  // namespace

std::shared_ptr<PPPhotoPickerAssetsViewController> PPPhotoPickerAssetsViewController::create(
    long showType) {
  auto screen = make<PPPhotoPickerAssetsViewController>();
  screen->showType_ = showType;
  return screen;
}

void PPPhotoPickerAssetsViewController::setSelectPickerAssets(const Records& records) {
  Records distinct;
  for (const auto& r : records) {
    if (r && !containsURL(distinct, r)) distinct.push_back(r);
  }
  selectPickerAssets_ = distinct;
  selectAssets_ = distinct;
  auto grid = collectionView();
  view();  // the screen is built from here on
  grid->setIsRecoderSelectPicker(true);
  grid->setSelectAssets(selectAssets_);
  updateToolbar();
}

void PPPhotoPickerAssetsViewController::setAssetsGroup(
    const std::shared_ptr<PPPhotoPickerGroup>& group) {
  if (!group || group->groupName().empty()) return;
  assetsGroup_ = group;
  setTitle(group->groupName());
  navigationItem()->setTitle(group->groupName());
}

void PPPhotoPickerAssetsViewController::setTopShowPhotoPicker(bool show) {
  topShowPhotoPicker_ = show;
  if (!show) return;
  auto grid = collectionView();
  Records data(grid->dataArray().rbegin(), grid->dataArray().rend());
  data.insert(data.begin(), PPPhotoAssets::create());
  grid->setDataArray(std::move(data));
  grid->setStatus(1);
  grid->setTopShowPhotoPicker(true);
  grid->reloadData();
}

void PPPhotoPickerAssetsViewController::setMaxCount(long m) {
  maxCount_ = m;
  if (privateTempMaxCount_ == 0) privateTempMaxCount_ = static_cast<unsigned long>(std::max(0L, m));
  const long selected = static_cast<long>(selectAssets_.size());
  long limit = m;
  if (selected == m) {
    limit = 0;
  } else if (static_cast<long>(selectPickerAssets_.size()) != selected) {
    limit = static_cast<long>(privateTempMaxCount_);
  }
  collectionView()->setMaxCount(limit);
}

std::shared_ptr<PPPhotoPickerCollectionView> PPPhotoPickerAssetsViewController::collectionView() {
  if (collectionView_) return collectionView_;
  const double width = platform::Screen::main().bounds().size.width;
  auto layout = std::make_shared<platform::CollectionViewFlowLayout>();
  const double side = (width - 8 + 1) * 0.25;
  layout->itemSize = {side, side};
  layout->minimumInteritemSpacing = 0;
  layout->minimumLineSpacing = 2;
  layout->footerReferenceSize = {width, 88};
  collectionView_ = PPPhotoPickerCollectionView::create(platform::makeRect(0, 0, 0, 0), layout);
  collectionView_->setStatus(0);
  collectionView_->setContentInset({5, 0, 44, 0});
  collectionView_->setCollectionViewDelegate(self<PPPhotoPickerAssetsViewController>());
  std::weak_ptr<PPPhotoPickerAssetsViewController> weak = self<PPPhotoPickerAssetsViewController>();
  collectionView_->setAlertPresenter([weak](const std::string& title, const std::string& message,
                                            const std::string& button) {
    auto me = weak.lock();
    if (!me) return;
    auto alert =
        platform::AlertController::create(title, message, platform::AlertControllerStyle::Alert);
    // One plain button: the refusal has no cancel button.
    alert->addAction(platform::AlertAction::create(button, platform::AlertActionStyle::Default));
    me->presentViewController(alert, true);
  });
  return collectionView_;
}

void PPPhotoPickerAssetsViewController::viewDidLoad() {
  view()->setFrame(platform::Screen::main().bounds());
  view()->setBackgroundColor(platform::Color::whiteColor());
  setupAssets();
  std::weak_ptr<PPPhotoPickerAssetsViewController> weak = self<PPPhotoPickerAssetsViewController>();
  navigationItem()->setRightBarButtonItem(platform::BarButtonItem::create(
      platform::BarButtonSystemItem::Cancel, [weak](platform::BarButtonItem&) {
        if (auto me = weak.lock()) me->cancelBtnTouched();
      }));
  setupToorBar();
  auto grid = collectionView();
  view()->insertSubviewBelow(grid, toolBar_.lock().get());
  grid->setFrame(view()->bounds());
}

void PPPhotoPickerAssetsViewController::setupToorBar() {
  auto bar = platform::Toolbar::create();
  bar->setBarStyle(platform::BarStyle::Black);
  bar->setTranslucent(true);
  platform::setTranslatesAutoresizingMaskIntoConstraints(*bar, false);
  view()->addSubview(bar);
  pin(bar, "toorBar", {"H:|-0-[toorBar]-0-|", "V:[toorBar(44)]-0-|"});
  bar->setItems({platform::BarButtonItem::create(previewBtn()),
                 platform::BarButtonItem::create(platform::BarButtonSystemItem::FlexibleSpace),
                 platform::BarButtonItem::create(sendBtn())});
  toolBar_ = bar;
}

std::shared_ptr<platform::Button> PPPhotoPickerAssetsViewController::sendBtn() {
  if (sendBtn_) return sendBtn_;
  sendBtn_ = platform::Button::create(platform::makeRect(0, 0, 60, 45));
  sendBtn_->setTitleColor(platform::Color{69 / 255.0, 154 / 255.0, 0, 1},
                          platform::ControlStateNormal);
  sendBtn_->setTitleColor(platform::Color::gray(), platform::ControlStateDisabled);
  sendBtn_->titleLabel()->setFont(platform::Font::systemFont(17));
  sendBtn_->setTitle("发送(0)", platform::ControlStateNormal);
  std::weak_ptr<PPPhotoPickerAssetsViewController> weak = self<PPPhotoPickerAssetsViewController>();
  sendBtn_->addTarget(
      [weak](platform::Control&) {
        if (auto me = weak.lock()) me->sendBtnTouched();
      },
      platform::ControlEventTouchUpInside);
  return sendBtn_;
}

std::shared_ptr<platform::Button> PPPhotoPickerAssetsViewController::previewBtn() {
  if (previewBtn_) return previewBtn_;
  previewBtn_ = platform::Button::create(platform::makeRect(0, 0, 45, 45));
  previewBtn_->setTitleColor(platform::Color::whiteColor(), platform::ControlStateNormal);
  previewBtn_->setTitleColor(platform::Color::gray(), platform::ControlStateDisabled);
  previewBtn_->titleLabel()->setFont(platform::Font::systemFont(17));
  previewBtn_->setTitle("预览", platform::ControlStateNormal);
  std::weak_ptr<PPPhotoPickerAssetsViewController> weak = self<PPPhotoPickerAssetsViewController>();
  previewBtn_->addTarget(
      [weak](platform::Control&) {
        if (auto me = weak.lock()) me->previewBtnTouched();
      },
      platform::ControlEventTouchUpInside);
  return previewBtn_;
}

// The album is read on a later turn of the main queue, after the opener's setters have run.
void PPPhotoPickerAssetsViewController::setupAssets() {
  std::weak_ptr<PPPhotoPickerAssetsViewController> weak = self<PPPhotoPickerAssetsViewController>();
  platform::DispatchQueue::main()->async([weak] {
    auto me = weak.lock();
    if (!me || !me->assetsGroup_) return;
    PPPhotoPickerDatas::defaultPicker()->getGroupPhotosWithGroup(
        me->assetsGroup_, [weak](std::vector<std::shared_ptr<platform::Asset>> loaded) {
          auto screen = weak.lock();
          if (!screen) return;
          Records records;
          records.reserve(loaded.size());
          for (auto& asset : loaded) records.push_back(PPPhotoAssets::create(std::move(asset)));
          screen->showAssets(std::move(records));
        });
  });
}

// With the camera option the newest photos come first behind the camera item; assets_ keeps
// the grid's order so grid item n is browser item n - 1.
void PPPhotoPickerAssetsViewController::showAssets(Records loaded) {
  assets_ = std::move(loaded);
  Records data = assets_;
  if (topShowPhotoPicker_) {
    std::reverse(assets_.begin(), assets_.end());
    data.assign(assets_.begin(), assets_.end());
    data.insert(data.begin(), PPPhotoAssets::create());
  }
  collectionView_->setDataArray(std::move(data));
  collectionView_->reloadData();
  updateGridLimit();
}

// The grid counts only this album's ticks; what is selected elsewhere (other albums, camera
// shots) takes its share of the picker's limit.
void PPPhotoPickerAssetsViewController::updateGridLimit() {
  const long limit =
      maxCount_ < 0 ? PPPhotoPickerBrowserViewController::kDefaultMaxCount : maxCount_;
  const long elsewhere = static_cast<long>(selectAssets_.size()) -
                         static_cast<long>(collectionView()->selectAssets().size());
  collectionView()->setMaxCount(std::max(0L, limit - elsewhere));
}

// Sized by the navigation controller after loading: the grid sits below its bar.
void PPPhotoPickerAssetsViewController::viewDidLayoutSubviews() {
  if (!collectionView_ || !collectionView_->superview()) return;
  auto nav = navigationController();
  collectionView_->setFrame(nav ? nav->boundsBelowBar(view()->bounds()) : view()->bounds());
}

void PPPhotoPickerAssetsViewController::viewWillAppear(bool) { collectionView()->reloadData(); }

void PPPhotoPickerAssetsViewController::viewDidDisappear(bool) {
  if (selectedAssetsBlock_) selectedAssetsBlock_(selectAssets_);
}

void PPPhotoPickerAssetsViewController::enableButtons() {
  const bool any = !selectAssets_.empty();
  sendBtn()->setEnabled(any);
  previewBtn()->setEnabled(any);
}

void PPPhotoPickerAssetsViewController::updateToolbar() {
  enableButtons();
  char title[32];
  std::snprintf(title, sizeof title, "发送(%ld)", static_cast<long>(selectAssets_.size()));
  sendBtn()->setTitle(title, platform::ControlStateNormal);
}

void PPPhotoPickerAssetsViewController::pickerCollectionViewDidSelected(
    PPPhotoPickerCollectionView& grid, const std::shared_ptr<PPPhotoAssets>& deleteAsset) {
  // Ticks in other albums (and camera shots) stay: only the changed photo is added or removed.
  if (deleteAsset) {
    std::erase_if(selectAssets_, [&](const auto& r) { return isSamePhoto(r, deleteAsset); });
  } else if (!grid.selectAssets().empty() &&
             !containsURL(selectAssets_, grid.selectAssets().back())) {
    selectAssets_.push_back(grid.selectAssets().back());
  }
  updateToolbar();
}

void PPPhotoPickerAssetsViewController::pickerCollectionCellTouchedIndexPath(
    const platform::IndexPath& indexPath) {
  const long item = indexPath.item() - (topShowPhotoPicker_ ? 1 : 0);
  if (item >= 0) setupPhotoBrowser(false, item);
}

void PPPhotoPickerAssetsViewController::previewBtnTouched() { setupPhotoBrowser(true, 0); }

void PPPhotoPickerAssetsViewController::setupPhotoBrowser(bool preview, long item) {
  isPreview_ = preview;
  auto browser = PPPhotoPickerBrowserViewController::create();
  browser->setShowType(showType_);
  auto me = self<PPPhotoPickerAssetsViewController>();
  browser->setDelegate(me);
  browser->setDataSource(me);
  browser->setMaxCount(maxCount_);
  browser->setIsOriginal(isOriginal_);
  browser->setSelectedAssets(selectAssets_);
  browser->setCurrentIndexPath({0, item});
  browser_ = browser;
  if (auto nav = navigationController()) {
    nav->presentViewController(browser, true);
  } else {
    presentViewController(browser, true);
  }
}

long PPPhotoPickerAssetsViewController::photoBrowserNumberOfItemsInSection(
    PPPhotoPickerBrowserViewController&, unsigned long) {
  return static_cast<long>(isPreview_ ? selectAssets_.size() : assets_.size());
}

std::shared_ptr<PPPhotoPickerBrowserPhoto>
PPPhotoPickerAssetsViewController::photoBrowserPhotoAtIndexPath(PPPhotoPickerBrowserViewController&,
                                                                const platform::IndexPath& path) {
  const Records& from = isPreview_ ? selectAssets_ : assets_;
  const long row = path.item();
  auto record = row >= 0 && row < static_cast<long>(from.size())
                    ? from[static_cast<std::size_t>(row)]
                    : PPPhotoAssets::create();
  return PPPhotoPickerBrowserPhoto::photoAnyImageObjWith(record);
}

void PPPhotoPickerAssetsViewController::photoBrowserWillExit(
    PPPhotoPickerBrowserViewController& browser) {
  selectAssets_ = browser.selectedAssets();
  collectionView()->setIsRecoderSelectPicker(true);
  collectionView()->setSelectAssets(selectAssets_);
  collectionView()->reloadData();  // a presentation's end does not make this screen reappear
  isOriginal_ = browser.isOriginal();
  updateToolbar();
  if (!assets_.empty()) updateGridLimit();
}

void PPPhotoPickerAssetsViewController::photoBrowserSendBtnTouched(
    PPPhotoPickerBrowserViewController& browser, bool original) {
  isOriginal_ = original;
  selectAssets_ = browser.selectedAssets();
  sendBtnTouched();
}

void PPPhotoPickerAssetsViewController::sendBtnTouched() {
  platform::NotificationCenter::defaultCenter().post(
      kPickerTakeDoneNotification, nullptr,
      {{"selectAssets", selectAssets_}, {"isOriginal", isOriginal_}});
  platform::log(platform::LogLevel::Info, "photopicker", isOriginal_ ? "1" : "0");
  dismissPicker(false);
}

void PPPhotoPickerAssetsViewController::cancelBtnTouched() { dismissPicker(true); }

void PPPhotoPickerAssetsViewController::dismissPicker(bool animated) {
  // The picker is the outermost controller holding this one (navigation stack, entry screen).
  std::shared_ptr<platform::ViewController> outer = self<platform::ViewController>();
  while (auto parent = outer->parentViewController()) outer = parent;
  outer->dismissViewControllerAnimated(animated);
}

void PPPhotoPickerAssetsViewController::pickerCollectionViewDidCameraSelect(
    PPPhotoPickerCollectionView&) {
  if (!platform::ImagePickerController::isSourceTypeAvailable(
          platform::ImagePickerSourceType::Camera)) {
    platform::log(platform::LogLevel::Info, "photopicker", "请在真机使用!");
    return;
  }
  auto picker = platform::ImagePickerController::create();
  picker->setSourceType(platform::ImagePickerSourceType::Camera);
  picker->setDelegate(self<PPPhotoPickerAssetsViewController>());
  presentViewController(picker, true);
}

// A shot joins the selection as a record of its own; it is not in the album, so the grid and
// the browser's album pages stay aligned.
void PPPhotoPickerAssetsViewController::didFinishPickingMediaWithInfo(
    platform::ImagePickerController& picker, const platform::Dictionary& info) {
  auto it = info.find(platform::kImagePickerControllerOriginalImage);
  const auto* image =
      it == info.end() ? nullptr : std::any_cast<std::shared_ptr<platform::Image>>(&it->second);
  if (image && *image) {
    selectAssets_.push_back(PPPhotoAssets::createWithImage(*image));
    updateToolbar();
    updateGridLimit();
  }
  picker.dismissViewControllerAnimated(true);
}

}  // namespace sprout
