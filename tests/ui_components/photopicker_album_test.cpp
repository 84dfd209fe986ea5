#include <any>
#include <cstdio>

#include "platform/foundation/NotificationCenter.h"
#include "platform/media/AssetsLibrary.h"
#include "platform/media/ImagePickerController.h"
#include "platform/ui/controllers/AlertController.h"
#include "platform/ui/controllers/NavigationController.h"
#include "tests/ui_components/components_support.h"
#include "ui/components/photopicker/PPPhotoPickerAssetsViewController.h"
#include "ui/components/photopicker/PPPhotoPickerImageView.h"

namespace sprout {
namespace {

using platform::media_test::ScopedPhotoHome;
using Screen = PPPhotoPickerAssetsViewController;
using Records = Screen::Records;

class AlbumGrid : public components_test::ComponentsTest {
 protected:
  AlbumGrid() {
    write("Class", 6, 0x2050A0);
    write("Trip", 4, 0xA05020);
    for (const auto& g : platform::AssetsLibrary::listGroups()) {
      auto group = PPPhotoPickerGroup::create();
      group->setGroup(g);
      group->setGroupName(g->name());
      groups[g->name()] = group;
      g->enumerateAssets([&](const std::shared_ptr<platform::Asset>& a, std::size_t, bool&) {
        if (a) records[g->name()].push_back(PPPhotoAssets::create(a));
      });
    }
    platform::AlertController::clearPresentations();
  }
  void write(const std::string& name, int n, std::uint32_t colour) {
    const std::string album = home.album(name);
    for (int i = 0; i < n; ++i) {
      char file[32];
      std::snprintf(file, sizeof file, "/%s%02d.jpg", name.c_str(), i);
      platform::media_test::writePhoto(album + file, 48, 36, colour + 0x101010 * i);
    }
  }
  // Opened the way the album list does it, inside a presented navigation controller.
  std::shared_ptr<Screen> open(const std::string& album, const Records& selection, long maxCount,
                               bool camera = false) {
    auto screen = Screen::create();
    screen->setSelectedAssetsBlock([this](const Records& r) { handedBack = r; });
    screen->setSelectPickerAssets(selection);
    screen->setAssetsGroup(groups[album]);
    screen->setTopShowPhotoPicker(camera);
    screen->setMaxCount(maxCount);
    nav = platform::NavigationController::create(screen);
    root->presentViewController(nav, false);
    loop.runPending();
    screen->view()->layoutIfNeeded();
    return screen;
  }

  ScopedPhotoHome home;
  std::map<std::string, std::shared_ptr<PPPhotoPickerGroup>> groups;
  std::map<std::string, Records> records;
  std::shared_ptr<platform::NavigationController> nav;
  Records handedBack;
};

TEST_F(AlbumGrid, LoadsTheAlbumWithAnEmptySelectionShown) {
  auto screen = open("Class", {}, 9);
  EXPECT_EQ(screen->title(), "Class");
  ASSERT_EQ(screen->collectionView()->dataArray().size(), 6u);
  EXPECT_EQ(screen->collectionView()->dataArray()[0]->assetURL(), records["Class"][0]->assetURL());
  EXPECT_EQ(screen->sendBtn()->titleForState(platform::ControlStateNormal), "发送(0)");
  EXPECT_FALSE(screen->sendBtn()->isEnabled());
  EXPECT_FALSE(screen->previewBtn()->isEnabled());
  EXPECT_DOUBLE_EQ(screen->toolBar()->frame().origin.y, 568 - 44);
  EXPECT_DOUBLE_EQ(screen->toolBar()->frame().size.width, 320);
}

TEST_F(AlbumGrid, AnAlbumWithoutANameLoadsNothing) {
  groups["Class"]->setGroupName("");
  auto screen = open("Class", {}, 9);
  EXPECT_TRUE(screen->collectionView()->dataArray().empty());
}

TEST_F(AlbumGrid, TheCameraItemComesBackAfterLoadingAndIndicesMapPastIt) {
  auto screen = open("Class", {}, 9, true);
  const auto& data = screen->collectionView()->dataArray();
  ASSERT_EQ(data.size(), 7u);
  EXPECT_EQ(data[0]->asset(), nullptr);
  EXPECT_EQ(data[1]->assetURL(), records["Class"][5]->assetURL());
  screen->pickerCollectionCellTouchedIndexPath({0, 2});
  loop.runPending();
  auto browser = screen->browser();
  ASSERT_TRUE(browser);
  EXPECT_EQ(browser->currentItem()->asset()->assetURL(), records["Class"][4]->assetURL());
}

TEST_F(AlbumGrid, TicksAddAndRemoveByURLKeepingOtherAlbumsSelection) {
  const auto trip = records["Trip"][1];
  auto screen = open("Class", {trip, PPPhotoAssets::create(trip->asset())}, 3);
  EXPECT_EQ(screen->selectAssets().size(), 1u);  // handed in twice, kept once
  auto grid = screen->collectionView();
  EXPECT_EQ(grid->maxCount(), 2);  // one of three is already used in another album
  grid->tickBtnTouched(0);
  grid->tickBtnTouched(3);
  EXPECT_EQ(screen->sendBtn()->titleForState(platform::ControlStateNormal), "发送(3)");
  EXPECT_TRUE(screen->sendBtn()->isEnabled());
  grid->tickBtnTouched(4);  // over the limit
  ASSERT_EQ(platform::AlertController::presentations().size(), 1u);
  EXPECT_EQ(platform::AlertController::presentations()[0].message, "最多只能选择2张图片");
  grid->tickBtnTouched(0);
  ASSERT_EQ(screen->selectAssets().size(), 2u);
  EXPECT_EQ(screen->selectAssets()[0], trip);
  EXPECT_EQ(screen->selectAssets()[1]->assetURL(), records["Class"][3]->assetURL());
  screen->cancelBtnTouched();
  advance(1);
  EXPECT_EQ(handedBack.size(), 2u);
}

TEST_F(AlbumGrid, ASelectionAtTheLimitLeavesNothingToTick) {
  auto screen = open("Class", {records["Trip"][0], records["Trip"][1]}, 2);
  EXPECT_EQ(screen->collectionView()->maxCount(), 0);
  screen->collectionView()->tickBtnTouched(1);
  EXPECT_EQ(screen->selectAssets().size(), 2u);
  // The refusal is an alert with one plain button and no cancel button.
  auto alert =
      std::dynamic_pointer_cast<platform::AlertController>(screen->presentedViewController());
  ASSERT_TRUE(alert);
  EXPECT_EQ(alert->title(), "提醒");
  EXPECT_EQ(alert->message(), "您最多只能选择9张图片");
  ASSERT_EQ(alert->actions().size(), 1u);
  EXPECT_EQ(alert->actions()[0]->title(), "好的");
  EXPECT_EQ(alert->actions()[0]->style(), platform::AlertActionStyle::Default);
}

TEST_F(AlbumGrid, PreviewShowsTheSelectionAndTheBrowserHandsItsTicksBack) {
  auto screen = open("Class", {records["Trip"][2]}, 9);
  screen->previewBtnTouched();
  loop.runPending();
  auto browser = screen->browser();
  ASSERT_TRUE(browser);
  EXPECT_EQ(browser->photos().size(), 1u);
  browser->selectedButtonTapped();  // unticks the one photo
  browser->customToolBarIsOriginalBtnTouched();
  browser->back();
  advance(1);
  EXPECT_TRUE(screen->selectAssets().empty());
  EXPECT_TRUE(screen->isOriginal());
  EXPECT_FALSE(screen->sendBtn()->isEnabled());
  // The grid's ticks follow at once.
  screen->pickerCollectionCellTouchedIndexPath({0, 1});
  loop.runPending();
  screen->browser()->selectedButtonTapped();
  screen->browser()->back();
  advance(1);
  auto cell = screen->collectionView()->cellForItemAtIndexPath({0, 1});
  ASSERT_TRUE(cell);
  EXPECT_TRUE(std::dynamic_pointer_cast<PPPhotoPickerImageView>(cell->contentView()->subviews()[0])
                  ->isMaskViewFlag());
  EXPECT_TRUE(screen->sendBtn()->isEnabled());
}

TEST_F(AlbumGrid, SendPostsTheSelectionAndClosesThePicker) {
  Records sent;
  bool original = false;
  auto token = platform::NotificationCenter::defaultCenter().addObserver(
      kPickerTakeDoneNotification, nullptr, [&](const platform::Notification& n) {
        sent = std::any_cast<Records>(n.userInfo.at("selectAssets"));
        original = std::any_cast<bool>(n.userInfo.at("isOriginal"));
      });
  auto screen = open("Class", {}, 9);
  screen->collectionView()->tickBtnTouched(2);
  screen->pickerCollectionCellTouchedIndexPath({0, 2});
  loop.runPending();
  auto browser = screen->browser();
  browser->customToolBarIsOriginalBtnTouched();
  browser->customToolBarSendBtnTouched();
  loop.runPending();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0]->assetURL(), records["Class"][2]->assetURL());
  EXPECT_TRUE(original);
  EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(AlbumGrid, ACameraShotJoinsTheSelectionWithoutAURLAndNoCameraPresentsNothing) {
  auto screen = open("Class", {}, 9, true);
  screen->collectionView()->tickBtnTouched(0);
  auto picker =
      std::dynamic_pointer_cast<platform::ImagePickerController>(screen->presentedViewController());
  ASSERT_TRUE(picker);
  picker->takePicture();
  ASSERT_TRUE(runUntil([&] { return !screen->selectAssets().empty(); }));
  advance(1);
  EXPECT_FALSE(screen->selectAssets()[0]->assetURL());
  EXPECT_TRUE(screen->selectAssets()[0]->originImage());
  EXPECT_EQ(screen->sendBtn()->titleForState(platform::ControlStateNormal), "发送(1)");
  // Ticking a photo and unticking it leaves the shot alone.
  screen->collectionView()->tickBtnTouched(1);
  screen->collectionView()->tickBtnTouched(1);
  EXPECT_EQ(screen->selectAssets().size(), 1u);
  EXPECT_EQ(screen->presentedViewController(), nullptr);
  platform::CaptureDevice::setDevices({});
  screen->collectionView()->tickBtnTouched(0);
  EXPECT_EQ(screen->presentedViewController(), nullptr);
}

}  // namespace
}  // namespace sprout
