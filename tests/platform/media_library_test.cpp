#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/dispatch/RunLoop.h"
#include "platform/media/AssetsLibrary.h"
#include "platform/media/ScaledDecode.h"
#include "tests/platform/media_support.h"

using namespace platform;
using namespace platform::media_test;

namespace {

class PhotoLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AssetsLibrary::setAuthorizationStatus(AuthorizationStatus::Authorized);
    const std::string roll = home.album(kSavedPhotosAlbumName);
    writePhoto(roll + "/IMG_0001.JPG", 640, 480);
    writePhoto(roll + "/IMG_0002.JPG", 480, 640, 0x2040E0);
    std::ofstream(roll + "/clip.mov") << "not decoded";
    std::ofstream(roll + "/notes.txt") << "not an asset";
    std::ofstream(roll + "/.hidden.jpg") << "hidden";
    const std::string trip = home.album("Trip");
    writePhoto(trip + "/a.jpg", 300, 200);
    home.album("Empty");
  }
  void TearDown() override {
    AssetsLibrary::setAuthorizationStatus(AuthorizationStatus::Authorized);
  }

  // What the asynchronous enumeration delivers, once it has ended.
  std::vector<std::shared_ptr<AssetsGroup>> enumerate(unsigned types, bool* failed = nullptr) {
    std::vector<std::shared_ptr<AssetsGroup>> groups;
    bool ended = false;
    AssetsLibrary().enumerateGroupsWithTypes(
        types,
        [&](const std::shared_ptr<AssetsGroup>& group, bool&) {
          EXPECT_TRUE(RunLoop::isMainThread());
          if (group)
            groups.push_back(group);
          else
            ended = true;
        },
        [&](const Error&) {
          ended = true;
          if (failed) *failed = true;
        });
    EXPECT_TRUE(groups.empty()) << "delivered synchronously";
    RunLoop::main().runUntil([&] { return ended; });
    return groups;
  }

  ScopedPhotoHome home;
};

TEST_F(PhotoLibraryTest, AlbumsListByNameWithSavedPhotosLastAndEndWithNull) {
  auto groups = enumerate(AssetsGroupAll);
  ASSERT_EQ(groups.size(), 3u);
  EXPECT_EQ(groups[0]->name(), "Empty");
  EXPECT_EQ(groups[1]->name(), "Trip");
  EXPECT_EQ(groups[2]->name(), kSavedPhotosAlbumName);
  EXPECT_EQ(groups[2]->type(), AssetsGroupSavedPhotos);
  EXPECT_EQ(enumerate(AssetsGroupSavedPhotos).size(), 1u);

  auto roll = groups[2];
  EXPECT_EQ(roll->numberOfAssets(), 3u);  // two photos and a video; text and hidden files are not
  roll->setAssetsFilter(AssetsFilter::AllPhotos);
  EXPECT_EQ(roll->numberOfAssets(), 2u);
  roll->setAssetsFilter(AssetsFilter::AllVideos);
  EXPECT_EQ(roll->numberOfAssets(), 1u);
  groups[0]->setAssetsFilter(AssetsFilter::AllPhotos);
  EXPECT_EQ(groups[0]->numberOfAssets(), 0u);
  EXPECT_EQ(groups[0]->posterImage(), nullptr);
}

TEST_F(PhotoLibraryTest, AssetsEnumerateInOrderWithThumbnailsAndRepresentations) {
  auto roll = enumerate(AssetsGroupSavedPhotos).at(0);
  roll->setAssetsFilter(AssetsFilter::AllPhotos);
  std::vector<std::shared_ptr<Asset>> assets;
  bool ended = false;
  roll->enumerateAssets([&](const std::shared_ptr<Asset>& asset, std::size_t index, bool&) {
    if (!asset) {
      ended = index == AssetsGroup::kNotFound;
      return;
    }
    EXPECT_EQ(index, assets.size());
    assets.push_back(asset);
  });
  ASSERT_TRUE(ended);
  ASSERT_EQ(assets.size(), 2u);
  EXPECT_EQ(assets[0]->type(), kAssetTypePhoto);
  EXPECT_EQ(assets[0]->defaultRepresentation()->filename(), "IMG_0001.JPG");

  auto square = assets[1]->thumbnail();
  ASSERT_TRUE(square);
  EXPECT_EQ(square->bitmap()->width(), Asset::kThumbnailPixels);
  EXPECT_EQ(square->bitmap()->height(), Asset::kThumbnailPixels);
  auto aspect = assets[1]->aspectRatioThumbnail();
  EXPECT_EQ(aspect->bitmap()->width(), 113);  // 480 x 640 fitted to 150 on its long side
  EXPECT_EQ(aspect->bitmap()->height(), 150);
  // The block of the 480 x 640 photo sits at 10 %…30 % of each side.
  EXPECT_TRUE(near(aspect->bitmap()->pixel(22, 30), 0x2040E0));

  auto rep = assets[0]->defaultRepresentation();
  EXPECT_NE(rep->url().absoluteString().find("assets-library"), std::string::npos);
  EXPECT_EQ(rep->url().absoluteString().find(home.album("")), std::string::npos);
  EXPECT_GT(rep->size(), 0);
  EXPECT_EQ(rep->fullResolutionImage()->width(), 640);
  EXPECT_EQ(rep->orientation(), ImageOrientation::Up);
  EXPECT_EQ(roll->posterImage()->bitmap()->width(), Asset::kThumbnailPixels);
}

TEST_F(PhotoLibraryTest, VideosListWithAPlaceholderPoster) {
  auto roll = enumerate(AssetsGroupSavedPhotos).at(0);
  roll->setAssetsFilter(AssetsFilter::AllVideos);
  std::shared_ptr<Asset> video;
  roll->enumerateAssets([&](const std::shared_ptr<Asset>& a, std::size_t, bool&) {
    if (a) video = a;
  });
  ASSERT_TRUE(video);
  EXPECT_EQ(video->type(), kAssetTypeVideo);
  EXPECT_TRUE(video->thumbnail());
  EXPECT_TRUE(video->defaultRepresentation()->fullScreenImage());
  EXPECT_EQ(video->defaultRepresentation()->size(), 11);
}

TEST_F(PhotoLibraryTest, LookUpByURLFindsOnlyAssetsOfTheLibrary) {
  auto trip = enumerate(AssetsGroupAll).at(1);
  auto asset = trip->assetAtFileIndex(0);
  std::shared_ptr<Asset> found;
  bool answered = false;
  AssetsLibrary().assetForURL(
      asset->url(),
      [&](const std::shared_ptr<Asset>& a) {
        found = a;
        answered = true;
      },
      nullptr);
  RunLoop::main().runUntil([&] { return answered; });
  ASSERT_TRUE(found);
  EXPECT_EQ(found->url(), asset->url());
  EXPECT_EQ(found->defaultRepresentation()->filename(), "a.jpg");

  // Indices past the end, paths, other schemes and junk name nothing.
  for (const char* text : {"assets-library://asset/asset.JPG?id=1-7&ext=JPG",
                           "assets-library://asset/asset.JPG?id=9-0&ext=JPG",
                           "assets-library://asset/asset.JPG?id=../../etc-0&ext=JPG",
                           "assets-library://asset/asset.JPG?id=-1-0&ext=JPG",
                           "assets-library://asset/asset.JPG?xid=1-0", "file:///etc/passwd",
                           "assets-library://group/?id=1"}) {
    EXPECT_EQ(AssetsLibrary::assetWithURL(*URL::parse(text)), nullptr) << text;
  }
}

TEST_F(PhotoLibraryTest, SymbolicLinksAreNotPartOfTheLibrary) {
  const std::string outside = home.album("..") + "/outside.jpg";
  writePhoto(outside, 20, 20);
  std::filesystem::create_symlink(outside, home.album("Trip") + "/b.jpg");
  auto trip = enumerate(AssetsGroupAll).at(1);
  EXPECT_EQ(trip->numberOfAssets(), 1u);
  std::filesystem::remove(outside);
}

TEST_F(PhotoLibraryTest, WithoutAccessOnlyTheFailureBlockRuns) {
  for (auto status : {AuthorizationStatus::Denied, AuthorizationStatus::Restricted,
                      AuthorizationStatus::NotDetermined}) {
    AssetsLibrary::setAuthorizationStatus(status);
    bool failed = false;
    EXPECT_TRUE(enumerate(AssetsGroupAll, &failed).empty());
    EXPECT_TRUE(failed);
  }
}

TEST_F(PhotoLibraryTest, SavingWritesIntoTheSavedPhotosAlbumOrFails) {
  std::optional<URL> saved;
  std::optional<Error> error;
  bool done = false;
  AssetsLibrary library;
  library.writeImageToSavedPhotosAlbum(
      photo(64, 48), [&](auto url, auto e) { saved = url, error = e, done = true; });
  RunLoop::main().runUntil([&] { return done; });
  ASSERT_FALSE(error);
  ASSERT_TRUE(saved);
  auto asset = AssetsLibrary::assetWithURL(*saved);
  ASSERT_TRUE(asset);
  EXPECT_EQ(asset->defaultRepresentation()->filename(), "IMG_0004.JPG");
  EXPECT_EQ(asset->defaultRepresentation()->fullResolutionImage()->width(), 64);

  done = false;
  library.writeImageToSavedPhotosAlbum(
      nullptr, [&](auto url, auto e) { saved = url, error = e, done = true; });
  RunLoop::main().runUntil([&] { return done; });
  EXPECT_FALSE(saved);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->code, kAssetsLibraryWriteFailedError);
}

TEST(ScaledDecodeTest, JpegDecodesNearThumbnailSizeAndAppliesExif) {
  const std::string dir = SPROUT_SOURCE_DIR "/resources/samples/";
  auto data = FileManager::defaultManager().contentsAtPath(dir + "exif_orientation_6.jpg");
  ASSERT_TRUE(data);
  EXPECT_EQ(jpegExifOrientation(*data), 6);
  auto image = decodeImageFitting(*data, 60, false);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->bitmap()->width(), 60);  // stored 80 x 120, shown 120 x 80
  EXPECT_EQ(image->bitmap()->height(), 40);
  EXPECT_EQ(decodeImageFitting(Data{1, 2, 3}, 60, false), nullptr);
  EXPECT_EQ(decodeImageFitting(*data, 0, false), nullptr);
}

}  // namespace
