// The grid's thumbnails: made only for the cells shown, decoded off the main thread, and handed
// only to a view that still shows their photo.
#include <cstdio>
#include <set>

#include "platform/media/AssetsLibrary.h"
#include "platform/ui/scroll/CollectionViewFlowLayout.h"
#include "tests/ui_components/components_support.h"
#include "ui/components/photopicker/PPPhotoPickerCollectionView.h"
#include "ui/components/photopicker/PPPhotoPickerThumbnailLoader.h"

namespace sprout {
namespace {

using platform::IndexPath;
using platform::media_test::near;
using platform::media_test::ScopedPhotoHome;

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

class PhotoPickerThumbnails : public components_test::ComponentsTest {
 protected:
  PhotoPickerThumbnails() {
    const std::string album = home.album("Class");
    for (int i = 0; i < kPhotos; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "/P%03d.jpg", i);
      platform::media_test::writePhoto(album + name, 80, 60, colourOf(i));
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
    grid = PPPhotoPickerCollectionView::create(kScreen, layout);
  }
  ~PhotoPickerThumbnails() override { settle(); }

  void settle() {
    EXPECT_TRUE(runUntil([&] { return grid->pendingThumbnails() == 0; }));
  }
  static std::shared_ptr<PPPhotoPickerImageView> thumbOf(platform::CollectionViewCell& cell) {
    return std::dynamic_pointer_cast<PPPhotoPickerImageView>(cell.contentView()->subviews()[0]);
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

  ScopedPhotoHome home;
  std::vector<std::shared_ptr<PPPhotoAssets>> records;
  std::shared_ptr<PPPhotoPickerCollectionView> grid;
};

TEST_F(PhotoPickerThumbnails, TheFirstScreenMakesAndDecodesOnlyTheCellsAtTheEnd) {
  ASSERT_EQ(records.size(), static_cast<std::size_t>(kPhotos));
  grid->setStatus(0);
  grid->setDataArray(records);
  window->addSubview(grid);
  grid->layoutIfNeeded();

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

TEST_F(PhotoPickerThumbnails, ScrolledCellsShowTheirOwnPhotoNeverOneTheyShowedBefore) {
  grid->setStatus(0);
  grid->setDataArray(records);
  window->addSubview(grid);
  grid->layoutIfNeeded();
  // A fling towards the top before any picture has landed: the cells are reused for other photos.
  platform::TouchDriver finger(window);
  finger.begin({160, 100});
  for (int y = 140; y <= 500; y += 40) {
    advance(0.01);
    finger.move({160, static_cast<double>(y)});
  }
  finger.end();
  for (int i = 0; i < 120; ++i) advance(1.0 / 60);
  settle();
  expectEachCellShowsItsPhoto();
  std::set<long> rows;
  for (const auto& path : grid->indexPathsForVisibleItems()) rows.insert(path.row);
  EXPECT_LT(*rows.begin(), kPhotos - 32);  // it did move
}

TEST_F(PhotoPickerThumbnails, ALoaderHandsAPictureOnlyToAViewStillShowingIt) {
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
