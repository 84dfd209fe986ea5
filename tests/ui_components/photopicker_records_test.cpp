#include <fstream>

#include "tests/ui_components/fixtures.h"
#include "ui/components/photos/PPPhotoAssets.h"
#include "ui/components/photos/PPPhotoPickerBrowserPhotoView.h"
#include "ui/components/photos/PPPhotoPickerDatas.h"

namespace sprout {
namespace {

using platform::media_test::ScopedPhotoHome;
using platform::media_test::writePhoto;

class PhotoPickerRecords : public components_test::ComponentsTest {
 protected:
  PhotoPickerRecords() {
    const std::string roll = home.album(platform::kSavedPhotosAlbumName);
    writePhoto(roll + "/1.jpg", 400, 300);
    writePhoto(roll + "/2.jpg", 300, 400);
    std::ofstream(roll + "/3.mp4") << "video";
    home.album("Videos only");
    std::ofstream(home.album("Videos only") + "/a.mov") << "video";
  }
  std::vector<std::shared_ptr<PPPhotoPickerGroup>> groups(bool photos) {
    std::optional<std::vector<std::shared_ptr<PPPhotoPickerGroup>>> got;
    PPPhotoPickerDatas::defaultPicker()->getAllGroupAllPhotos(
        photos, [&](auto list) { got = std::move(list); });
    runUntil([&] { return got.has_value(); });
    return got.value_or(std::vector<std::shared_ptr<PPPhotoPickerGroup>>{});
  }
  ScopedPhotoHome home;
};

TEST_F(PhotoPickerRecords, AlbumsCountUnderTheFilterAndEachAskingEnumeratesAgain) {
  EXPECT_NE(PPPhotoPickerDatas::defaultPicker(), PPPhotoPickerDatas::defaultPicker());
  EXPECT_EQ(PPPhotoPickerDatas::defaultPicker()->library(),
            PPPhotoPickerDatas::defaultAssetsLibrary());
  auto photos = groups(true);
  ASSERT_EQ(photos.size(), 2u);
  EXPECT_EQ(photos[0]->groupName(), "Videos only");
  EXPECT_EQ(photos[0]->assetsCount(), 0);  // still listed, with nothing in it
  EXPECT_EQ(photos[0]->thumbImage(), nullptr);
  EXPECT_EQ(photos[1]->groupName(), platform::kSavedPhotosAlbumName);
  EXPECT_EQ(photos[1]->assetsCount(), 2);
  EXPECT_TRUE(photos[1]->thumbImage());
  EXPECT_FALSE(photos[1]->type());
  auto again = groups(true);
  EXPECT_NE(again[1], photos[1]);
  auto videos = groups(false);
  EXPECT_EQ(videos[0]->assetsCount(), 1);
  EXPECT_EQ(videos[1]->assetsCount(), 1);

  std::vector<std::shared_ptr<platform::Asset>> assets;
  PPPhotoPickerDatas::defaultPicker()->getGroupPhotosWithGroup(
      photos[1], [&](auto list) { assets = std::move(list); });
  ASSERT_EQ(assets.size(), 2u);
  EXPECT_EQ(assets[1]->defaultRepresentation()->filename(), "2.jpg");
}

TEST_F(PhotoPickerRecords, AssetRecordsMakeTheirImagesAndCompareByURL) {
  auto roll = groups(true)[1];
  std::vector<std::shared_ptr<platform::Asset>> assets;
  PPPhotoPickerDatas::defaultPicker()->getGroupPhotosWithGroup(roll, [&](auto l) { assets = l; });
  ASSERT_EQ(assets.size(), 2u);
  auto record = PPPhotoAssets::create(assets[1]);
  EXPECT_FALSE(record->isVideoType());
  record->setIsVideoType(true);
  EXPECT_FALSE(record->isVideoType());  // read from the asset, never the stored value
  EXPECT_EQ(record->assetURL(), assets[1]->url());
  EXPECT_EQ(record->originImage()->size().width, 300);  // fits the screen already
  EXPECT_EQ(record->fullResolutionImage()->size().height, 400);
  // Version 13.0 is after 9.0: the aspect-ratio thumbnail.
  EXPECT_EQ(record->thumbImage()->size().width, 113);
  auto small = record->compressionImage();
  ASSERT_TRUE(small);
  EXPECT_EQ(small->size().width, 300);

  auto empty = PPPhotoAssets::create();
  EXPECT_FALSE(empty->isVideoType());
  EXPECT_FALSE(empty->thumbImage() || empty->compressionImage() || empty->originImage() ||
               empty->fullResolutionImage() || empty->assetURL());
}

TEST_F(PhotoPickerRecords, VersionsCompareByNumber) {
  for (const char* older : {"8.4", "8", ""})
    EXPECT_TRUE(PPPhotoAssets::prefersSquareThumbnail(older));
  for (const char* newer : {"9.0", "10.2"})
    EXPECT_FALSE(PPPhotoAssets::prefersSquareThumbnail(newer));
}

TEST_F(PhotoPickerRecords, LookUpByURLHandsTheFullScreenImageOnTheMainQueue) {
  auto assets = groups(true);
  std::vector<std::shared_ptr<platform::Asset>> list;
  PPPhotoPickerDatas::defaultPicker()->getGroupPhotosWithGroup(assets[1],
                                                               [&](auto l) { list = l; });
  int calls = 0;
  std::shared_ptr<platform::Image> found, missing = platform::Image::create(nullptr);
  auto picker = PPPhotoPickerDatas::defaultPicker();
  picker->getAssetsPhotoWithURLs(list[0]->url(), [&](auto image) { found = image, ++calls; });
  picker->getAssetsPhotoWithURLs(*platform::URL::parse("assets-library://asset/asset.JPG?id=1-99"),
                                 [&](auto image) { missing = image, ++calls; });
  EXPECT_EQ(calls, 0);
  runUntil([&] { return calls == 2; });
  ASSERT_TRUE(found);
  EXPECT_EQ(found->size().width, 320);  // 400 x 300 fitted into the 320 x 568 screen
  EXPECT_EQ(found->size().height, 240);
  EXPECT_EQ(missing, nullptr);
}

// Single and double taps are told apart in the browser's page tests; here the delegates that
// cannot hear them.
TEST_F(PhotoPickerRecords, TheTapViewToleratesADelegateThatAnswersNeitherOrNone) {
  auto view = PPPhotoPickerBrowserPhotoView::create(platform::makeRect(0, 0, 320, 568));
  window->addSubview(view);
  auto silent = std::make_shared<PPPhotoPickerBrowserPhotoViewDelegate>();
  view->setTapDelegate(silent);
  finger.tap({100, 100});
  advance(1);
  silent.reset();
  doubleTap({100, 100});
}

}  // namespace
}  // namespace sprout
