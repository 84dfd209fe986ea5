#include "ui/components/photopicker/PPPhotoPickerGroupViewController.h"

#include <algorithm>

#include "platform/foundation/Bundle.h"
#include "platform/graphics/BundleImages.h"
#include "platform/layout/ViewLayout.h"
#include "platform/media/AssetsLibrary.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "ui/components/photopicker/PPPhotoPickerAssetsViewController.h"
#include "ui/components/photopicker/PPPhotoPickerGroupTableViewCell.h"
#include "ui/components/photos/PPPhotoPickerDatas.h"

namespace sprout {

namespace {
bool nameMatchesStatus(const std::string& name, long status) {
  switch (status) {
    case 1:
    case 4:
      return name == "Camera Roll" || name == "相机胶卷";
    case 2:
      return name == "Saved Photos" || name == "保存相册";
    case 3:
      return name == "Stream" || name == "我的照片流";
    default:
      return false;
  }
}
}  // namespace

std::shared_ptr<PPPhotoPickerGroupViewController> PPPhotoPickerGroupViewController::create(
    long showType) {
  auto list = make<PPPhotoPickerGroupViewController>();
  list->setShowType(showType);
  return list;
}

PPPhotoPickerGroupViewController::~PPPhotoPickerGroupViewController() {
  if (auto table = tableView_.lock()) {
    table->setDelegate(nullptr);
    table->setDataSource(nullptr);
  }
}

void PPPhotoPickerGroupViewController::viewDidLoad() {
  setTitle("选择相册");
  navigationItem()->setTitle("选择相册");
  std::weak_ptr<PPPhotoPickerGroupViewController> weak = self<PPPhotoPickerGroupViewController>();
  navigationItem()->setRightBarButtonItem(platform::BarButtonItem::create(
      platform::BarButtonSystemItem::Cancel, [weak](platform::BarButtonItem&) {
        if (auto me = weak.lock()) me->cancelBtnTouched();
      }));
  const auto status = platform::AssetsLibrary::authorizationStatus();
  if (status == platform::AuthorizationStatus::Restricted ||
      status == platform::AuthorizationStatus::Denied) {
    showRefusal();
    return;
  }
  tableView();
  getImgs();
}

// The navigation controller sizes the view after loading it; the list follows, below the bar.
void PPPhotoPickerGroupViewController::viewDidLayoutSubviews() {
  auto table = tableView_.lock();
  if (!table) return;
  auto nav = navigationController();
  table->setFrame(nav ? nav->boundsBelowBar(view()->bounds()) : view()->bounds());
}

void PPPhotoPickerGroupViewController::showRefusal() {
  refused_ = true;
  // A view not yet sized by its navigation controller will fill the screen.
  platform::Size size = view()->frame().size;
  if (size.width <= 0 || size.height <= 0) size = platform::Screen::main().bounds().size;
  auto lock = platform::ImageView::create(platform::makeRect(0, 0, size.width, size.height - 200));
  lock->setImage(platform::imageNamed(*platform::Bundle::main(), "lock.png"));
  lock->setContentMode(platform::ViewContentMode::Center);
  view()->addSubview(lock);
  auto label = platform::Label::create(platform::makeRect(20, 0, size.width - 40, size.height));
  label->setText(kRefusalText);
  label->setNumberOfLines(0);
  label->setTextAlignment(platform::TextAlignment::Center);
  view()->addSubview(label);
}

std::shared_ptr<platform::TableView> PPPhotoPickerGroupViewController::tableView() {
  if (auto table = tableView_.lock()) return table;
  auto table = platform::TableView::create();
  // The frame set here (and on each layout of this screen) holds: no constraint places the
  // list, so handing it to the constraint engine would shrink it to nothing once the engine runs
  // over this screen again (back from a grid).
  table->setDelegate(self<PPPhotoPickerGroupViewController>());
  table->registerCell(PPPhotoPickerGroupTableViewCell::kReuseIdentifier, [](const std::string& id) {
    return PPPhotoPickerGroupTableViewCell::create(id);
  });
  view()->addSubview(table);
  table->setFrame(view()->bounds());
  tableView_ = table;
  return table;
}

void PPPhotoPickerGroupViewController::getImgs() {
  std::weak_ptr<PPPhotoPickerGroupViewController> weak = self<PPPhotoPickerGroupViewController>();
  PPPhotoPickerDatas::defaultPicker()->getAllGroupAllPhotos(
      status_ != 4, [weak](std::vector<std::shared_ptr<PPPhotoPickerGroup>> groups) {
        auto me = weak.lock();
        if (!me) return;
        std::reverse(groups.begin(), groups.end());
        me->groups_ = std::move(groups);
        if (me->status_ != 0) me->gotoHistoryGroup();
        auto table = me->tableView();
        table->setDataSource(me);
        table->reloadData();
      });
}

void PPPhotoPickerGroupViewController::gotoHistoryGroup() {
  for (const auto& group : groups_) {
    if (group && nameMatchesStatus(group->groupName(), status_)) {
      setupAssetsVCWithGroup(group);
      return;
    }
  }
}

void PPPhotoPickerGroupViewController::setupAssetsVCWithGroup(
    const std::shared_ptr<PPPhotoPickerGroup>& group) {
  openAlbum(group, showType_, false);
}

void PPPhotoPickerGroupViewController::openAlbum(const std::shared_ptr<PPPhotoPickerGroup>& group,
                                                 long showType, bool animated) {
  auto grid = PPPhotoPickerAssetsViewController::create(showType);
  std::weak_ptr<PPPhotoPickerGroupViewController> weak = self<PPPhotoPickerGroupViewController>();
  grid->setSelectedAssetsBlock([weak](const Records& records) {
    if (auto me = weak.lock()) me->selectAsstes_ = records;
  });
  grid->setSelectPickerAssets(selectAsstes_);
  grid->setAssetsGroup(group);
  grid->setTopShowPhotoPicker(topShowPhotoPicker_);
  grid->setMaxCount(maxCount_);
  if (auto nav = navigationController()) nav->pushViewController(grid, animated);
}

void PPPhotoPickerGroupViewController::cancelBtnTouched() {
  // The picker is the outermost controller holding this one.
  std::shared_ptr<platform::ViewController> outer = self<platform::ViewController>();
  while (auto parent = outer->parentViewController()) outer = parent;
  outer->dismissViewControllerAnimated(true);
}

long PPPhotoPickerGroupViewController::numberOfRowsInSection(platform::TableView&, long) {
  return static_cast<long>(groups_.size());
}

std::shared_ptr<platform::TableViewCell> PPPhotoPickerGroupViewController::cellForRowAtIndexPath(
    platform::TableView& tableView, const platform::IndexPath& indexPath) {
  auto cell = std::dynamic_pointer_cast<PPPhotoPickerGroupTableViewCell>(
      tableView.dequeueReusableCellWithIdentifier(
          PPPhotoPickerGroupTableViewCell::kReuseIdentifier));
  if (!cell)
    cell =
        PPPhotoPickerGroupTableViewCell::create(PPPhotoPickerGroupTableViewCell::kReuseIdentifier);
  if (indexPath.row >= 0 && indexPath.row < static_cast<long>(groups_.size())) {
    cell->setGroup(groups_[static_cast<std::size_t>(indexPath.row)]);
  }
  return cell;
}

std::optional<double> PPPhotoPickerGroupViewController::heightForRowAtIndexPath(
    platform::TableView&, const platform::IndexPath&) {
  return PPPhotoPickerGroupTableViewCell::kRowHeight;
}

void PPPhotoPickerGroupViewController::didSelectRowAtIndexPath(
    platform::TableView& tableView, const platform::IndexPath& indexPath) {
  tableView.deselectRowAtIndexPath(indexPath, true);
  if (indexPath.row < 0 || indexPath.row >= static_cast<long>(groups_.size())) return;
  const auto& group = groups_[static_cast<std::size_t>(indexPath.row)];
  if (group->group()) selectGroupURL_ = group->group()->url().absoluteString();
  openAlbum(group, 0, true);
}

}  // namespace sprout
