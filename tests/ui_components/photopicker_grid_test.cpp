// The picker's grid: ticks and their limit, taps, the first scroll, and the thumbnails, made only
// for the cells shown, decoded off the main thread and handed only to a view still showing them.
#include <set>

#include "platform/ui/Label.h"
#include "platform/ui/scroll/CollectionViewFlowLayout.h"
#include "tests/ui_components/fixtures.h"
#include "ui/components/photopicker/PPPhotoPickerCollectionView.h"
#include "ui/components/photopicker/PPPhotoPickerFooterCollectionReusableView.h"
#include "ui/components/photopicker/PPPhotoPickerThumbnailLoader.h"

namespace sprout {
namespace {

using platform::IndexPath;
using platform::media_test::near;
using Records = std::vector<std::shared_ptr<PPPhotoAssets>>;

constexpr int kPhotos = 120;

// Photo i has a block of its own colour in its top-left quarter: any two differ by 50 in a channel.
std::uint32_t colourOf(int i) {
  auto level = [](int digit) { return static_cast<std::uint32_t>(30 + 50 * (digit % 5)); };
  return level(i) << 16 | level(i / 5) << 8 | level(i / 25);
}

// The block's colour in a thumbnail shown with aspect fill: a point well inside it.
std::uint32_t blockPixel(const platform::Image& image) {
  const auto& bitmap = *image.bitmap();
  return bitmap.pixel(bitmap.width() / 5, bitmap.height() / 5);
}

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
  Records changes;
  std::vector<long> touched;
  int camera = 0;
};

class PhotoPickerGrid : public components_test::ComponentsTest {
 protected:
  PhotoPickerGrid() {
    components_test::writeAlbum(home, "Class", kPhotos, 80, 60, colourOf);
    records = components_test::allRecords();
    auto layout = std::make_shared<platform::CollectionViewFlowLayout>();
    layout->itemSize = {77, 77};
    layout->minimumLineSpacing = 4;
    layout->minimumInteritemSpacing = 4;
    layout->footerReferenceSize = {320, 44};
    grid = PPPhotoPickerCollectionView::create(kScreen, layout);
    grid->setCollectionViewDelegate(owner);
    grid->setAlertPresenter(
        [this](const std::string& t, const std::string& m, const std::string& b) {
          alerts.push_back(t + "|" + m + "|" + b);
        });
  }
  ~PhotoPickerGrid() override { settle(); }

  void show(Records items, unsigned long status = 1) {
    grid->setStatus(status);
    grid->setDataArray(std::move(items));
    window->addSubview(grid);
    grid->layoutIfNeeded();
  }
  Records first(std::size_t n) const {
    return {records.begin(), records.begin() + static_cast<long>(n)};
  }
  void settle() {
    EXPECT_TRUE(runUntil([&] { return grid->pendingThumbnails() == 0; }));
  }
  static std::shared_ptr<PPPhotoPickerImageView> thumbOf(platform::CollectionViewCell& cell) {
    return std::dynamic_pointer_cast<PPPhotoPickerImageView>(cell.contentView()->subviews()[0]);
  }
  bool shownTicked(long row) {
    auto cell = grid->cellForItemAtIndexPath(IndexPath{0, row});
    return cell && thumbOf(*cell)->isMaskViewFlag();
  }
  // Every cell shown holds the picture of the photo at its place.
  void expectEachCellShowsItsPhoto() {
    ASSERT_FALSE(grid->visibleCells().empty());
    for (const auto& path : grid->indexPathsForVisibleItems()) {
      auto image = thumbOf(*grid->cellForItemAtIndexPath(path))->image();
      ASSERT_TRUE(image) << "item " << path.row;
      EXPECT_TRUE(near(blockPixel(*image), colourOf(static_cast<int>(path.row)), 24))
          << "item " << path.row;
    }
  }

  platform::media_test::ScopedPhotoHome home;
  Records records;
  std::shared_ptr<GridOwner> owner = std::make_shared<GridOwner>();
  std::vector<std::string> alerts;
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
  EXPECT_EQ(alerts, std::vector<std::string>{"提醒|最多只能选择1张图片|好的"});
  EXPECT_EQ(grid->selectAssets().size(), 1u);
  EXPECT_FALSE(shownTicked(1));
  EXPECT_EQ(owner->changes.size(), 1u);
  grid->tickBtnTouched(0);
  EXPECT_TRUE(grid->selectAssets().empty());
  EXPECT_EQ(owner->changes.back(), records[0]);
  EXPECT_FALSE(shownTicked(0));

  grid->setMaxCount(0);
  grid->tickBtnTouched(2);
  EXPECT_EQ(alerts.back(), "提醒|您最多只能选择9张图片|好的");
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

TEST_F(PhotoPickerGrid, TicksShowAndUntickByURLAndARebuildKeepsOnlyPhotosStillThere) {
  // A selection handed in as other record objects for the same photos, one of them twice.
  grid->setSelectAssets({PPPhotoAssets::create(records[1]->asset()),
                         PPPhotoAssets::create(records[3]->asset()),
                         PPPhotoAssets::create(records[3]->asset())});
  EXPECT_EQ(grid->selectAssets().size(), 2u);
  grid->setIsRecoderSelectPicker(true);
  show(first(6));
  EXPECT_TRUE(shownTicked(1));
  EXPECT_TRUE(shownTicked(3));
  EXPECT_FALSE(shownTicked(2));
  grid->setMaxCount(9);
  grid->tickBtnTouched(3);
  EXPECT_EQ(grid->selectAssets().size(), 1u);
  EXPECT_FALSE(shownTicked(3));

  grid->tickBtnTouched(4);
  const Records fresh = {PPPhotoAssets::create(records[1]->asset()),
                         PPPhotoAssets::create(records[2]->asset())};
  grid->setDataArray(fresh);
  EXPECT_EQ(grid->selectAssets(), Records{fresh[0]});
}

TEST_F(PhotoPickerGrid, TapsOnAPictureAndOnItsTickGoDifferentWays) {
  show(first(8));
  grid->setMaxCount(9);
  const auto cellFrame = grid->cellForItemAtIndexPath(IndexPath{0, 2})->frame();
  const double top = cellFrame.origin.y - grid->contentOffset().y;
  finger.tap({cellFrame.origin.x + cellFrame.size.width - 10, top + 10});
  advance(1);
  EXPECT_EQ(grid->selectAssets().size(), 1u);
  EXPECT_TRUE(shownTicked(2));
  EXPECT_TRUE(owner->touched.empty());
  auto cell = grid->cellForItemAtIndexPath(IndexPath{0, 2});
  EXPECT_EQ(thumbOf(*cell)->frame(), platform::makeRect(0, 0, 77, 77));
  finger.tap({cellFrame.origin.x + 15, top + 60});
  advance(1);
  EXPECT_EQ(owner->touched, std::vector<long>{2});
  EXPECT_EQ(grid->selectAssets().size(), 1u);
}

TEST_F(PhotoPickerGrid, TheFooterCountsAndTheFirstLayoutScrollsOnceToTheEndOrTheTop) {
  auto footer =
      PPPhotoPickerFooterCollectionReusableView::create(platform::makeRect(0, 0, 320, 44));
  footer->setCount(12);
  footer->setCount(0);
  EXPECT_EQ(footer->footerLabel()->text(), "有 12 张图片");

  show(first(40), 0);  // 10 rows, taller than the screen
  ASSERT_TRUE(grid->isFirstLoadding());
  // 100 points below the last item: past the 44-point footer, so the grid rests at its end.
  EXPECT_EQ(grid->contentOffset().y, grid->maximumContentOffset().y);
  auto tallFooter = std::make_shared<platform::CollectionViewFlowLayout>();
  tallFooter->itemSize = {77, 77};
  tallFooter->footerReferenceSize = {320, 150};
  auto below = PPPhotoPickerCollectionView::create(kScreen, tallFooter);
  below->setDataArray(first(40));
  window->addSubview(below);
  below->layoutIfNeeded();
  const double lastItemBottom = platform::maxY(
      below->collectionViewLayout()->layoutAttributesForItemAtIndexPath(IndexPath{0, 39})->frame);
  EXPECT_EQ(below->contentOffset().y, lastItemBottom - kScreen.size.height + 100);
  below->reloadData();
  below->layoutIfNeeded();
  EXPECT_EQ(below->contentOffset().y, lastItemBottom - kScreen.size.height + 100);

  grid->setContentOffset({0, 0});
  grid->setNeedsLayout();
  grid->layoutIfNeeded();
  EXPECT_EQ(grid->contentOffset().y, 0);  // once only

  auto reversed = PPPhotoPickerCollectionView::create(kScreen, grid->collectionViewLayout());
  reversed->setStatus(1);
  reversed->setDataArray(first(40));
  window->addSubview(reversed);
  reversed->layoutIfNeeded();
  EXPECT_TRUE(reversed->isFirstLoadding());
  EXPECT_EQ(reversed->contentOffset().y, -reversed->contentInset().top);
  auto few = PPPhotoPickerCollectionView::create(kScreen, grid->collectionViewLayout());
  few->setDataArray(first(4));
  window->addSubview(few);
  few->layoutIfNeeded();
  EXPECT_FALSE(few->isFirstLoadding());  // not taller than the screen: it waits
}

TEST_F(PhotoPickerGrid, TheFirstScreenMakesAndDecodesOnlyTheCellsAtTheEnd) {
  show(records, 0);
  ASSERT_TRUE(grid->isFirstLoadding());
  const auto shown = grid->indexPathsForVisibleItems();
  ASSERT_FALSE(shown.empty());
  for (const auto& path : shown) EXPECT_GE(path.row, kPhotos - 32);
  EXPECT_EQ(grid->cellCount(), shown.size());  // no cell was made for the top of the album
  // Nothing decoded on the main thread: the pictures arrive on later turns of the loop.
  for (const auto& cell : grid->visibleCells()) EXPECT_FALSE(thumbOf(*cell)->image());
  EXPECT_EQ(grid->pendingThumbnails(), shown.size());

  settle();
  expectEachCellShowsItsPhoto();
  EXPECT_EQ(grid->thumbnailDecodesStarted(), shown.size());

  // A reload shows the kept pictures at once, with no decode.
  grid->reloadData();
  grid->layoutIfNeeded();
  EXPECT_EQ(grid->pendingThumbnails(), 0u);
  expectEachCellShowsItsPhoto();
  EXPECT_EQ(grid->thumbnailDecodesStarted(), shown.size());
}

// However many views show a photo, and whether the grid asked for it before its cell was made,
// it is decoded once; a photo asked for and shown by nobody by its turn is not decoded.
TEST_F(PhotoPickerGrid, EachPhotoDecodesOnceForEveryViewShowingIt) {
  PPPhotoPickerThumbnailLoader loader;
  auto a = platform::ImageView::create(platform::makeRect(0, 0, 77, 77));
  auto b = platform::ImageView::create(platform::makeRect(0, 0, 77, 77));
  loader.ask(records[5]);
  loader.ask(records[5]);
  loader.show(a, records[5]);
  loader.show(b, records[5]);
  EXPECT_EQ(loader.pending(), 1u);
  ASSERT_TRUE(runUntil([&] { return loader.pending() == 0; }));
  EXPECT_EQ(loader.decodesStarted(), 1u);
  ASSERT_TRUE(a->image());
  EXPECT_EQ(a->image(), b->image());
  EXPECT_TRUE(near(blockPixel(*a->image()), colourOf(5), 24));

  // Of two views on one photo, the one that moves on leaves the other served.
  loader.show(a, records[6]);
  loader.show(b, records[6]);
  loader.show(a, records[7]);
  ASSERT_TRUE(runUntil([&] { return loader.pending() == 0; }));
  EXPECT_TRUE(near(blockPixel(*a->image()), colourOf(7), 24));
  EXPECT_TRUE(near(blockPixel(*b->image()), colourOf(6), 24));
  EXPECT_LE(loader.decodesStarted(), 3u);
}

TEST_F(PhotoPickerGrid, ScrolledCellsShowTheirOwnPhotoNeverOneTheyShowedBefore) {
  show(records, 0);
  // A fling towards the top before any picture has landed: the cells are reused for other photos.
  finger.begin({160, 100});
  for (int y = 140; y <= 500; y += 40) {
    advance(0.01);
    finger.move({160, static_cast<double>(y)});
  }
  finger.end();
  for (int i = 0; i < 120; ++i) advance(kFrame);
  settle();
  expectEachCellShowsItsPhoto();
  std::set<long> rows;
  for (const auto& path : grid->indexPathsForVisibleItems()) rows.insert(path.row);
  EXPECT_LT(*rows.begin(), kPhotos - 32);  // it did move
}

TEST_F(PhotoPickerGrid, ALoaderHandsAPictureOnlyToAViewStillShowingIt) {
  PPPhotoPickerThumbnailLoader loader;
  auto view = platform::ImageView::create(platform::makeRect(0, 0, 77, 77));
  loader.show(view, records[3]);
  loader.show(view, records[9]);  // moved on before the first landed
  EXPECT_EQ(view->image(), nullptr);
  EXPECT_EQ(loader.pending(), 2u);
  ASSERT_TRUE(runUntil([&] { return loader.pending() == 0; }));
  ASSERT_TRUE(view->image());
  EXPECT_TRUE(near(blockPixel(*view->image()), colourOf(9), 24));

  // Kept: another view gets it at once. A record without a photo clears the view.
  auto other = platform::ImageView::create(platform::makeRect(0, 0, 77, 77));
  loader.show(other, records[9]);
  EXPECT_EQ(other->image(), view->image());
  EXPECT_EQ(loader.pending(), 0u);
  loader.show(other, PPPhotoAssets::create());
  EXPECT_EQ(other->image(), nullptr);
  auto shot = platform::media_test::photo(40, 30);
  loader.show(other, PPPhotoAssets::createWithImage(shot));
  EXPECT_EQ(other->image(), shot);

  // A view that goes before its picture lands is simply not served.
  {
    auto gone = platform::ImageView::create(platform::makeRect(0, 0, 77, 77));
    loader.show(gone, records[20]);
  }
  EXPECT_TRUE(runUntil([&] { return loader.pending() == 0; }));
}

}  // namespace
}  // namespace sprout
