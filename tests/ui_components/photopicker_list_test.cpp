#include <cstdio>

#include "platform/media/AssetsLibrary.h"
#include "platform/ui/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "tests/ui_components/components_support.h"
#include "ui/components/photopicker/PPPhotoPickerAssetsViewController.h"
#include "ui/components/photopicker/PPPhotoPickerGroupTableViewCell.h"
#include "ui/components/photopicker/PPPhotoPickerGroupViewController.h"

namespace sprout {
namespace {

using platform::media_test::ScopedPhotoHome;
using List = PPPhotoPickerGroupViewController;

class AlbumList : public components_test::ComponentsTest {
 protected:
  AlbumList() {
    write(platform::kSavedPhotosAlbumName, 3);
    write("Class", 5);
    write("Trip", 2);
  }
  ~AlbumList() override {
    platform::AssetsLibrary::setAuthorizationStatus(platform::AuthorizationStatus::Authorized);
  }
  void write(const std::string& name, int n) {
    const std::string album = home.album(name);
    for (int i = 0; i < n; ++i) {
      char file[32];
      std::snprintf(file, sizeof file, "/p%02d.jpg", i);
      platform::media_test::writePhoto(album + file, 40, 30, 0x304050 + 0x200000 * i);
    }
  }
  std::shared_ptr<List> open(long status) {
    auto list = List::create();
    list->setStatus(status);
    list->setMaxCount(9);
    nav = platform::NavigationController::create(list);
    root->presentViewController(nav, false);
    loop.runPending();
    nav->view()->layoutIfNeeded();
    return list;
  }
  std::shared_ptr<PPPhotoPickerAssetsViewController> top() {
    return std::dynamic_pointer_cast<PPPhotoPickerAssetsViewController>(nav->topViewController());
  }

  ScopedPhotoHome home;
  std::shared_ptr<platform::NavigationController> nav;
};

TEST_F(AlbumList, RefusedAccessShowsTheLockTextAndReadsNothing) {
  platform::AssetsLibrary::setAuthorizationStatus(platform::AuthorizationStatus::Denied);
  auto list = open(1);
  EXPECT_TRUE(list->isRefused());
  EXPECT_TRUE(list->groups().empty());
  EXPECT_EQ(nav->topViewController(), list);
  bool shown = false;
  for (const auto& v : list->view()->subviews()) {
    if (auto label = std::dynamic_pointer_cast<platform::Label>(v)) {
      shown = label->text() == List::kRefusalText;
    }
  }
  EXPECT_TRUE(shown);
}

TEST_F(AlbumList, ListsAlbumsInReverseWithPosterNameAndCount) {
  auto list = open(0);
  std::vector<std::string> expected;
  for (const auto& g : platform::AssetsLibrary::listGroups())
    expected.insert(expected.begin(), g->name());
  std::vector<std::string> names;
  for (const auto& g : list->groups()) names.push_back(g->groupName());
  EXPECT_EQ(names, expected);
  EXPECT_EQ(list->title(), "选择相册");
  EXPECT_EQ(nav->topViewController(), list);
  auto table = list->tableView();
  table->layoutIfNeeded();
  ASSERT_EQ(table->numberOfRowsInSection(0), 3);
  auto cell = std::dynamic_pointer_cast<PPPhotoPickerGroupTableViewCell>(
      table->cellForRowAtIndexPath({0, 0}));
  ASSERT_TRUE(cell);
  EXPECT_EQ(cell->groupNameLabel()->text(), names[0]);
  EXPECT_EQ(cell->groupPicCountLabel()->text(),
            "(" + std::to_string(list->groups()[0]->assetsCount()) + ")");
  EXPECT_TRUE(cell->groupImageView()->image());
  EXPECT_DOUBLE_EQ(table->rectForRowAtIndexPath({0, 1}).origin.y, 80);
}

TEST_F(AlbumList, StatusOneOpensTheCameraRollAtOnce) {
  open(1);
  auto grid = top();
  ASSERT_TRUE(grid);
  EXPECT_EQ(grid->title(), platform::kSavedPhotosAlbumName);
  loop.runPending();
  EXPECT_EQ(grid->collectionView()->dataArray().size(), 3u);
}

TEST_F(AlbumList, StatusTwoWithNoMatchingAlbumStaysOnTheList) {
  auto list = open(2);
  EXPECT_EQ(nav->topViewController(), list);
}

TEST_F(AlbumList, TheSelectionTravelsFromOneAlbumToTheNext) {
  auto list = open(0);
  long classRow = -1;
  for (std::size_t i = 0; i < list->groups().size(); ++i) {
    if (list->groups()[i]->groupName() == "Class") classRow = static_cast<long>(i);
  }
  list->didSelectRowAtIndexPath(*list->tableView(), {0, classRow});
  advance(1);
  EXPECT_NE(list->selectGroupURL().find("assets-library"), std::string::npos);
  auto first = top();
  ASSERT_TRUE(first);
  loop.runPending();
  first->collectionView()->tickBtnTouched(1);
  nav->popViewControllerAnimated(false);
  advance(1);
  ASSERT_EQ(list->selectAsstes().size(), 1u);
  list->didSelectRowAtIndexPath(*list->tableView(), {0, (classRow + 1) % 3});
  advance(1);
  EXPECT_EQ(top()->selectAssets().size(), 1u);
  EXPECT_EQ(top()->selectAssets()[0], list->selectAsstes()[0]);
}

}  // namespace
}  // namespace sprout
