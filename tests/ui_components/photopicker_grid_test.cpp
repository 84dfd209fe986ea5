#include <cstdio>

#include "platform/media/AssetsLibrary.h"
#include "platform/ui/Label.h"
#include "platform/ui/scroll/CollectionViewFlowLayout.h"
#include "tests/ui_components/components_support.h"
#include "ui/components/photopicker/PPPhotoPickerCollectionView.h"
#include "ui/components/photopicker/PPPhotoPickerFooterCollectionReusableView.h"

namespace sprout {
namespace {

using platform::IndexPath;
using platform::media_test::ScopedPhotoHome;

class GridOwner : public PPPhotoPickerCollectionViewDelegate {
 public:
  void pickerCollectionViewDidSelected(PPPhotoPickerCollectionView&,
                                       const std::shared_ptr<PPPhotoAssets>& removed) override {
    changes.push_back(removed);
  }
  void pickerCollectionCellTouchedIndexPath(const IndexPath& path) override {
    touched.push_back(path.row);
  }
  void pickerCollectionViewDidCameraSelect(PPPhotoPickerCollectionView&) override { ++camera; }
  std::vector<std::shared_ptr<PPPhotoAssets>> changes;
  std::vector<long> touched;
  int camera = 0;
};

struct Alert {
  std::string title, message, button;
};

class PhotoPickerGrid : public components_test::ComponentsTest {
 protected:
  PhotoPickerGrid() {
    const std::string album = home.album("Class");
    for (int i = 0; i < 40; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "/P%02d.jpg", i);
      platform::media_test::writePhoto(album + name, 96, 72, 0x103070 + i * 0x040000);
    }
    for (const auto& group : platform::AssetsLibrary::listGroups()) {
      group->enumerateAssets([&](const std::shared_ptr<platform::Asset>& a, std::size_t, bool&) {
        if (a) records.push_back(PPPhotoAssets::create(a));
      });
    }
    auto layout = std::make_shared<platform::CollectionViewFlowLayout>();
    layout->itemSize = {77, 77};
    layout->minimumLineSpacing = 4;
    layout->minimumInteritemSpacing = 4;
    layout->footerReferenceSize = {320, 44};
    grid = PPPhotoPickerCollectionView::create(kScreen, layout);
    grid->setCollectionViewDelegate(owner);
    grid->setAlertPresenter(
        [this](const std::string& t, const std::string& m, const std::string& b) {
          alerts.push_back({t, m, b});
        });
  }
  void show(std::vector<std::shared_ptr<PPPhotoAssets>> items, unsigned long status = 1) {
    grid->setStatus(status);
    grid->setDataArray(std::move(items));
    window->addSubview(grid);
    grid->layoutIfNeeded();
  }
  std::vector<std::shared_ptr<PPPhotoAssets>> first(std::size_t n) const {
    return {records.begin(), records.begin() + static_cast<long>(n)};
  }
  bool shownTicked(long row) {
    auto cell = grid->cellForItemAtIndexPath(IndexPath{0, row});
    if (!cell) return false;
    return std::dynamic_pointer_cast<PPPhotoPickerImageView>(cell->contentView()->subviews()[0])
        ->isMaskViewFlag();
  }

  ScopedPhotoHome home;
  std::vector<std::shared_ptr<PPPhotoAssets>> records;
  std::shared_ptr<GridOwner> owner = std::make_shared<GridOwner>();
  std::vector<Alert> alerts;
  std::shared_ptr<PPPhotoPickerCollectionView> grid;
};

TEST_F(PhotoPickerGrid, TheLimitRefusesTicksWithItsAlertAndUntickingIsAlwaysAllowed) {
  show(first(8));
  grid->setMaxCount(1);
  grid->tickBtnTouched(0);
  ASSERT_EQ(grid->selectAssets().size(), 1u);
  EXPECT_EQ(owner->changes.back(), nullptr);
  EXPECT_TRUE(shownTicked(0));
  grid->tickBtnTouched(1);
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0].title, "提醒");
  EXPECT_EQ(alerts[0].message, "最多只能选择1张图片");
  EXPECT_EQ(alerts[0].button, "好的");
  EXPECT_EQ(grid->selectAssets().size(), 1u);
  EXPECT_FALSE(shownTicked(1));
  EXPECT_EQ(owner->changes.size(), 1u);
  grid->tickBtnTouched(0);
  EXPECT_TRUE(grid->selectAssets().empty());
  EXPECT_EQ(owner->changes.back(), records[0]);
  EXPECT_FALSE(shownTicked(0));

  grid->setMaxCount(0);
  grid->tickBtnTouched(2);
  EXPECT_EQ(alerts.back().message, "您最多只能选择9张图片");
  grid->setMaxCount(-1);
  for (long i = 0; i < 8; ++i) grid->tickBtnTouched(i);
  EXPECT_EQ(grid->selectAssets().size(), 8u);
}

TEST_F(PhotoPickerGrid, TheCameraItemAndItemsWithoutAnAssetNeverChangeTheSelection) {
  auto items = first(5);
  items.insert(items.begin(), PPPhotoAssets::create());
  grid->setTopShowPhotoPicker(true);
  show(items);
  grid->setMaxCount(9);
  grid->tickBtnTouched(0);
  EXPECT_EQ(owner->camera, 1);
  grid->setTopShowPhotoPicker(false);
  grid->tickBtnTouched(0);
  grid->tickBtnTouched(99);
  EXPECT_TRUE(grid->selectAssets().empty());
  EXPECT_TRUE(owner->changes.empty());
}

TEST_F(PhotoPickerGrid, TicksShowAndUntickByURLWhateverRecordObjectsCarryIt) {
  // A selection handed in as other record objects for the same photos, one of them twice.
  grid->setSelectAssets({PPPhotoAssets::create(records[1]->asset()),
                         PPPhotoAssets::create(records[3]->asset()),
                         PPPhotoAssets::create(records[3]->asset())});
  EXPECT_EQ(grid->selectAssets().size(), 2u);
  show(first(6));
  EXPECT_TRUE(shownTicked(1));
  EXPECT_TRUE(shownTicked(3));
  EXPECT_FALSE(shownTicked(2));
  grid->setMaxCount(9);
  grid->tickBtnTouched(3);
  EXPECT_EQ(grid->selectAssets().size(), 1u);
  EXPECT_FALSE(shownTicked(3));
}

TEST_F(PhotoPickerGrid, RebuildingKeepsOnlySelectedPhotosStillThere) {
  grid->setIsRecoderSelectPicker(true);
  show(first(6));
  grid->setMaxCount(9);
  grid->tickBtnTouched(4);
  grid->tickBtnTouched(1);
  auto fresh = std::vector<std::shared_ptr<PPPhotoAssets>>{
      PPPhotoAssets::create(records[1]->asset()), PPPhotoAssets::create(records[2]->asset())};
  grid->setDataArray(fresh);
  ASSERT_EQ(grid->selectAssets().size(), 1u);
  EXPECT_EQ(grid->selectAssets()[0], fresh[0]);
}

TEST_F(PhotoPickerGrid, TapsOnAPictureAndOnItsTickGoDifferentWays) {
  show(first(8));
  grid->setMaxCount(9);
  platform::TouchDriver finger(window);
  const auto cellFrame = grid->cellForItemAtIndexPath(IndexPath{0, 2})->frame();
  const platform::Point tick{cellFrame.origin.x + cellFrame.size.width - 10,
                             cellFrame.origin.y + 10 - grid->contentOffset().y};
  finger.tap(tick);
  advance(1);
  EXPECT_EQ(grid->selectAssets().size(), 1u);
  EXPECT_TRUE(shownTicked(2));
  EXPECT_TRUE(owner->touched.empty());
  auto cell = grid->cellForItemAtIndexPath(IndexPath{0, 2});
  EXPECT_EQ(cell->contentView()->subviews()[0]->frame(), platform::makeRect(0, 0, 77, 77));
  finger.tap({cellFrame.origin.x + 15, cellFrame.origin.y + 60 - grid->contentOffset().y});
  advance(1);
  ASSERT_EQ(owner->touched.size(), 1u);
  EXPECT_EQ(owner->touched[0], 2);
  EXPECT_EQ(grid->selectAssets().size(), 1u);
}

TEST_F(PhotoPickerGrid, TheFooterCountsAndTheFirstLayoutScrollsOnce) {
  auto footer =
      PPPhotoPickerFooterCollectionReusableView::create(platform::makeRect(0, 0, 320, 44));
  footer->setCount(12);
  EXPECT_EQ(footer->footerLabel()->text(), "有 12 张图片");
  footer->setCount(0);
  EXPECT_EQ(footer->footerLabel()->text(), "有 12 张图片");

  show(records, 0);  // 40 photos: 10 rows, taller than the screen
  ASSERT_TRUE(grid->isFirstLoadding());
  const double bottom = grid->contentSize().height - grid->bounds().size.height;
  EXPECT_NEAR(grid->contentOffset().y, bottom - 44 + 100, 1.0);
  grid->setContentOffset({0, 0});
  grid->setNeedsLayout();
  grid->layoutIfNeeded();
  EXPECT_EQ(grid->contentOffset().y, 0);  // once only
}

TEST_F(PhotoPickerGrid, ReversedOrderScrollsToTheTop) {
  show(records, 1);
  EXPECT_TRUE(grid->isFirstLoadding());
  EXPECT_EQ(grid->contentOffset().y, -grid->contentInset().top);
  auto few = PPPhotoPickerCollectionView::create(kScreen, grid->collectionViewLayout());
  few->setDataArray(first(4));
  window->addSubview(few);
  few->layoutIfNeeded();
  EXPECT_FALSE(few->isFirstLoadding());  // not taller than the screen: it waits
}

}  // namespace
}  // namespace sprout
