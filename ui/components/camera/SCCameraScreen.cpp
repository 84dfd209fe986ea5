// The camera's screen side: bars and buttons, the shot limit, the thumbnail strip and its browser.
#include <cstdio>

#include "platform/foundation/Bundle.h"
#include "platform/graphics/BundleImages.h"
#include "platform/ui/controllers/AlertController.h"
#include "platform/ui/scroll/CollectionViewCell.h"
#include "platform/ui/scroll/CollectionViewFlowLayout.h"
#include "ui/components/camera/SCCameraViewController.h"

namespace sprout {

namespace {
constexpr double kTopBarHeight = 40;
constexpr double kControlBarHeight = 60;
constexpr char kStripCell[] = "cell";

template <class Body>
platform::Control::Action weakAction(const std::shared_ptr<SCCameraViewController>& camera,
                                     Body body) {
  std::weak_ptr<SCCameraViewController> weak = camera;
  return [weak, body](platform::Control&) {
    if (auto me = weak.lock()) body(*me);
  };
}
}  // namespace

void SCCameraViewController::showPickerVc(const std::shared_ptr<platform::ViewController>& from) {
  if (from) from->presentViewController(self<SCCameraViewController>(), true);
}

std::shared_ptr<platform::Button> SCCameraViewController::setupButtonWithImageName(
    const std::string& name, double x) {
  auto button = platform::Button::create();
  button->setImage(platform::imageNamed(*platform::Bundle::main(), name),
                   platform::ControlStateNormal);
  button->setBackgroundColor(platform::Color::clear());
  button->setFrame(platform::makeRect(x, 0, 80, kTopBarHeight));
  view()->addSubview(button);
  return button;
}

void SCCameraViewController::setup() {
  const platform::Size size = view()->frame().size;
  const double w = size.width, h = size.height;
  auto me = self<SCCameraViewController>();
  auto top = platform::View::create(platform::makeRect(0, 0, w, kTopBarHeight));
  top->setBackgroundColor(platform::Color::black());
  view()->addSubview(top);
  topView_ = top;
  switchBtn_ = setupButtonWithImageName("xiang.png", w - 20 - 50);
  switchBtn_->addTarget(weakAction(me, [](auto& c) { c.changeCameraDevice(); }),
                        platform::ControlEventTouchUpInside);
  flashBtn_ = setupButtonWithImageName("shanguangdeng2.png", 10);
  flashBtn_->setTitle("关闭", platform::ControlStateNormal);
  flashBtn_->addTarget(weakAction(me, [](auto& c) { c.flashCameraDevice(); }),
                       platform::ControlEventTouchUpInside);

  auto control =
      platform::View::create(platform::makeRect(0, h - kControlBarHeight, w, kControlBarHeight));
  control->setBackgroundColor(platform::Color::black());
  control->setAutoresizingMask(platform::ViewAutoresizingFlexibleWidth |
                               platform::ViewAutoresizingFlexibleTopMargin);
  auto shade = platform::View::create(control->bounds());
  shade->setBackgroundColor(platform::Color::black());
  shade->setAlpha(0.3);
  control->addSubview(shade);
  const double b = (w - 50) / 3;
  cancelBtn_ = platform::Button::create(platform::makeRect(0, 0, b, kControlBarHeight));
  cancelBtn_->setTitle("取消", platform::ControlStateNormal);
  cancelBtn_->addTarget(weakAction(me, [](auto& c) { c.cancel(); }),
                        platform::ControlEventTouchUpInside);
  control->addSubview(cancelBtn_);
  shutterBtn_ = platform::Button::create(platform::makeRect(b + 20, 5, b, kControlBarHeight - 10));
  shutterBtn_->setImage(platform::imageNamed(*platform::Bundle::main(), "paizhao.png"),
                        platform::ControlStateNormal);
  shutterBtn_->imageView()->setContentMode(platform::ViewContentMode::ScaleAspectFit);
  shutterBtn_->addTarget(weakAction(me, [](auto& c) { c.stillImage(); }),
                         platform::ControlEventTouchUpInside);
  control->addSubview(shutterBtn_);
  if (cameraType_ == 1) {
    doneBtn_ = platform::Button::create(platform::makeRect(w - 40 - 50, 0, 50, kControlBarHeight));
    doneBtn_->setTitle("完成", platform::ControlStateNormal);
    doneBtn_->addTarget(weakAction(me, [](auto& c) { c.doneAction(); }),
                        platform::ControlEventTouchUpInside);
    control->addSubview(doneBtn_);
  }
  view()->addSubview(control);
  controlView_ = control;
}

void SCCameraViewController::stillImage() {
  // Shots on their way count: the limit holds however fast the shutter is pressed.
  const auto taken = static_cast<std::int64_t>(images_.size()) + pendingCaptures_;
  if (maxCount_ >= 1 && taken >= maxCount_) {
    char message[96];
    std::snprintf(message, sizeof message, "拍照的个数不能超过%ld", static_cast<long>(maxCount_));
    auto alert =
        platform::AlertController::create("提示", message, platform::AlertControllerStyle::Alert);
    alert->addAction(platform::AlertAction::create("好的", platform::AlertActionStyle::Cancel));
    presentViewController(alert, true);
    return;
  }
  Captureimage();
}

std::shared_ptr<platform::CollectionView> SCCameraViewController::collectionView() {
  if (collectionView_) return collectionView_;
  auto focus = caramView();
  if (!focus) return nullptr;
  auto layout = std::make_shared<platform::CollectionViewFlowLayout>();
  layout->scrollDirection = platform::CollectionViewScrollDirection::Horizontal;
  layout->itemSize = {80, 80};
  layout->minimumLineSpacing = 20;
  const double w = view()->frame().size.width;
  collectionView_ = platform::CollectionView::create(
      platform::makeRect(0, focus->frame().size.height - 80 - 10, w, 80), layout);
  collectionView_->setBackgroundColor(platform::Color::clear());
  collectionView_->registerCell(kStripCell, [] { return platform::CollectionViewCell::create(); });
  auto me = self<SCCameraViewController>();
  collectionView_->setDataSource(std::static_pointer_cast<platform::CollectionViewDataSource>(me));
  collectionView_->setDelegate(std::static_pointer_cast<platform::CollectionViewDelegate>(me));
  focus->addSubview(collectionView_);
  return collectionView_;
}

long SCCameraViewController::numberOfItemsInSection(platform::CollectionView&, long) {
  return static_cast<long>(images_.size());
}

std::shared_ptr<platform::CollectionViewCell> SCCameraViewController::cellForItemAtIndexPath(
    platform::CollectionView& cv, const platform::IndexPath& path) {
  auto cell = cv.dequeueReusableCellWithReuseIdentifier(kStripCell, path);
  if (path.item() < 0 || path.item() >= static_cast<long>(images_.size())) return cell;
  const auto& record = images_[static_cast<std::size_t>(path.item())];
  const auto& content = cell->contentView();
  auto thumb = content->subviews().empty()
                   ? nullptr
                   : std::dynamic_pointer_cast<SCCameraImageView>(content->subviews().back());
  if (thumb) {
    thumb->setImage(record->thumbImage());
    return cell;
  }
  thumb = SCCameraImageView::create();
  thumb->setDelegatge(self<SCCameraViewController>());
  thumb->setEdit(true);
  thumb->setImage(record->thumbImage());
  thumb->setFrame(cell->bounds());
  thumb->setContentMode(platform::ViewContentMode::ScaleAspectFill);
  content->addSubview(thumb);
  return cell;
}

void SCCameraViewController::didSelectItemAtIndexPath(platform::CollectionView&,
                                                      const platform::IndexPath& path) {
  auto browser = PPPhotoPickerBrowserViewController::create();
  browser->setDataSource(self<SCCameraViewController>());
  browser->setShowType(1);
  browser->setCurrentIndexPath({0, path.item()});
  presentViewController(browser, false);
}

long SCCameraViewController::photoBrowserNumberOfItemsInSection(PPPhotoPickerBrowserViewController&,
                                                                unsigned long) {
  return static_cast<long>(images_.size());
}

std::shared_ptr<PPPhotoPickerBrowserPhoto> SCCameraViewController::photoBrowserPhotoAtIndexPath(
    PPPhotoPickerBrowserViewController&, const platform::IndexPath& path) {
  const long row = path.item();
  if (row < 0 || row >= static_cast<long>(images_.size())) {
    return PPPhotoPickerBrowserPhoto::photoAnyImageObjWith(std::monostate{});
  }
  auto photo = PPPhotoPickerBrowserPhoto::photoAnyImageObjWith(
      images_[static_cast<std::size_t>(row)]->photoImage());
  if (collectionView_) {
    if (auto cell = collectionView_->cellForItemAtIndexPath({0, row})) {
      if (auto thumb = std::dynamic_pointer_cast<platform::ImageView>(
              cell->contentView()->subviews().empty() ? nullptr
                                                      : cell->contentView()->subviews().back())) {
        photo->setToView(thumb);
        photo->setThumbImage(thumb->image());
      }
    }
  }
  return photo;
}

// By identity of the thumbnail image: every record holding that very picture goes.
void SCCameraViewController::deleteImageView(SCCameraImageView& view) {
  const auto image = view.image();
  std::erase_if(images_, [&](const auto& record) { return record->thumbImage() == image; });
  if (collectionView_) collectionView_->reloadData();
}

}  // namespace sprout
