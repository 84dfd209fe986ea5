// The album list under a finger: an album opened, a photo ticked, Back to the list and into
// another album, again and again; the list keeps its place and the ticks travel along.
#include <algorithm>
#include <cstdio>

#include "platform/media/AssetsLibrary.h"
#include "platform/ui/Button.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationController.h"
#include "tests/ui_components/components_support.h"
#include "ui/components/photopicker/PPPhotoPickerAssetsViewController.h"
#include "ui/components/photopicker/PPPhotoPickerCollectionView.h"
#include "ui/components/photopicker/PPPhotoPickerGroupViewController.h"

namespace sprout {
namespace {

using Grid = PPPhotoPickerAssetsViewController;

class PhotoPickerBackJourney : public components_test::ComponentsTest {
 protected:
  PhotoPickerBackJourney() {
    write(platform::kSavedPhotosAlbumName, 3);
    write("Class", 5);
    write("Trip", 2);
    list = PPPhotoPickerGroupViewController::create();
    list->setStatus(0);
    list->setMaxCount(9);
    nav = platform::NavigationController::create(list);
    root->presentViewController(nav, false);
    loop.runPending();
    window->layoutIfNeeded();
  }
  void write(const std::string& name, int n) {
    const std::string album = home.album(name);
    for (int i = 0; i < n; ++i) {
      char file[32];
      std::snprintf(file, sizeof file, "/p%02d.jpg", i);
      platform::media_test::writePhoto(album + file, 40, 30, 0x304050 + 0x200000 * i);
    }
  }
  static platform::Point centre(const platform::Rect& r) {
    return {r.origin.x + r.size.width / 2, r.origin.y + r.size.height / 2};
  }

  std::shared_ptr<Grid> openAlbum(const std::string& name) {
    long row = -1;
    for (std::size_t i = 0; i < list->groups().size(); ++i) {
      if (list->groups()[i]->groupName() == name) row = static_cast<long>(i);
    }
    EXPECT_GE(row, 0) << name;
    auto table = list->tableView();
    finger.tap(centre(table->convertRectTo(table->rectForRowAtIndexPath({0, row}), window.get())));
    advance(1);
    auto grid = std::dynamic_pointer_cast<Grid>(nav->topViewController());
    if (!grid) return nullptr;
    runUntil([&] { return !grid->collectionView()->visibleCells().empty(); });
    window->layoutIfNeeded();
    return grid;
  }
  // Taps the tick in the corner of the grid's `n`th shown photo.
  void tick(const std::shared_ptr<Grid>& grid, std::size_t n) {
    auto view = grid->collectionView();
    auto items = view->indexPathsForVisibleItems();
    std::sort(items.begin(), items.end());
    ASSERT_LT(n, items.size());
    const platform::Rect f = view->cellForItemAtIndexPath(items[n])->frame();
    const platform::Point corner{f.origin.x + f.size.width - 10, f.origin.y + 10};
    finger.tap(view->convertPointTo(corner, window.get()));
    advance(1);
  }
  void back() {
    auto button = nav->navigationBar()->leftView();
    ASSERT_TRUE(button);
    finger.tap(centre(button->convertRectTo(button->bounds(), window.get())));
    advance(1);
  }
  static std::string sendTitle(const std::shared_ptr<Grid>& grid) {
    return grid->sendBtn()->titleForState(platform::ControlStateNormal).value_or("");
  }

  platform::media_test::ScopedPhotoHome home;
  std::shared_ptr<PPPhotoPickerGroupViewController> list;
  std::shared_ptr<platform::NavigationController> nav;
  platform::TouchDriver finger{window};
};

TEST_F(PhotoPickerBackJourney, TheListKeepsItsPlaceAndTheTicksTravel) {
  const platform::Rect listFrame = list->tableView()->frame();
  ASSERT_GT(listFrame.size.width, 0);
  ASSERT_GT(listFrame.size.height, 0);

  auto album = openAlbum("Class");
  ASSERT_TRUE(album);
  EXPECT_EQ(album->title(), "Class");
  EXPECT_EQ(sendTitle(album), "发送(0)");
  tick(album, 1);
  EXPECT_EQ(album->selectAssets().size(), 1u);
  EXPECT_EQ(sendTitle(album), "发送(1)");

  back();
  ASSERT_EQ(nav->topViewController(), list);
  window->layoutIfNeeded();
  EXPECT_EQ(list->tableView()->frame(), listFrame);

  auto next = openAlbum("Trip");
  ASSERT_TRUE(next) << "the album list took no tap after Back";
  EXPECT_EQ(next->title(), "Trip");
  EXPECT_EQ(next->selectAssets().size(), 1u);
  EXPECT_EQ(sendTitle(next), "发送(1)");

  // Once more, with a tick from the second album carried back into the first.
  tick(next, 0);
  EXPECT_EQ(sendTitle(next), "发送(2)");
  back();
  EXPECT_EQ(list->tableView()->frame(), listFrame);
  auto again = openAlbum("Class");
  ASSERT_TRUE(again);
  EXPECT_EQ(again->selectAssets().size(), 2u);
  EXPECT_EQ(sendTitle(again), "发送(2)");
}

}  // namespace
}  // namespace sprout
