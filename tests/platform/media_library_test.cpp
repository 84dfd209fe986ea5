// The photo library over Photos/ in a temporary home: albums, assets, thumbnails and saving; and
// its bounds: it stays inside Photos/, reads no more of a file than its picture, and keeps its
// listing until a folder changes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/dispatch/RunLoop.h"
#include "platform/media/AssetsLibrary.h"
#include "platform/media/LibraryIndex.h"
#include "platform/media/PictureFile.h"
#include "platform/media/ScaledDecode.h"
#include "tests/platform/core_support.h"
#include "tests/platform/media_support.h"

using namespace platform;
using namespace platform::media_test;
namespace fs = std::filesystem;

namespace {

// An empty library in a temporary home, access granted, and what it logs.
class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override { AssetsLibrary::setAuthorizationStatus(AuthorizationStatus::Authorized); }
  void TearDown() override {
    AssetsLibrary::setAuthorizationStatus(AuthorizationStatus::Authorized);
  }

  std::shared_ptr<AssetsGroup> group(const std::string& name) {
    for (const auto& g : AssetsLibrary::listGroups()) {
      if (g->name() == name) return g;
    }
    return nullptr;
  }
  struct Saved {
    std::optional<URL> url;
    std::optional<Error> error;
  };
  Saved save(std::shared_ptr<Image> image = photo(40, 30)) {
    Saved saved;
    bool done = false;
    AssetsLibrary().writeImageToSavedPhotosAlbum(std::move(image), [&](auto url, auto error) {
      saved = {url, error};
      done = true;
    });
    RunLoop::main().runUntil([&] { return done; }, 20);
    return saved;
  }

  ScopedPhotoHome home;
  core_test::LogCapture logs;
};

// Two photos, a video and files that are not assets in the saved photos, a photo in "Trip".
class PhotoLibraryTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
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
  const Saved saved = save(photo(64, 48));
  ASSERT_FALSE(saved.error);
  ASSERT_TRUE(saved.url);
  auto asset = AssetsLibrary::assetWithURL(*saved.url);
  ASSERT_TRUE(asset);
  EXPECT_EQ(asset->defaultRepresentation()->filename(), "IMG_0004.JPG");
  EXPECT_EQ(asset->defaultRepresentation()->fullResolutionImage()->width(), 64);
  const Saved nothing = save(nullptr);
  EXPECT_FALSE(nothing.url);
  ASSERT_TRUE(nothing.error);
  EXPECT_EQ(nothing.error->code, kAssetsLibraryWriteFailedError);
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

// A field of /proc/self/status in bytes ("VmHWM" the peak, "VmRSS" now); -1 when missing.
long long residentBytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field + ":", 0) == 0) return std::stoll(line.substr(field.size() + 1)) * 1024;
  }
  return -1;
}

// Grows a file to `size` bytes with a hole: it takes no room on disk.
void padTo(const std::string& path, off_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, size), 0);
  ::close(fd);
}

void setModified(const std::string& path, time_t secondsAgo) {
  timespec times[2];
  times[0].tv_sec = times[1].tv_sec = ::time(nullptr) - secondsAgo;
  times[0].tv_nsec = times[1].tv_nsec = 0;
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class LibraryBounds : public LibraryTest {};

TEST_F(LibraryBounds, ALinkedSavedPhotosAlbumIsRefusedForSavingAndListing) {
  const std::string outside = home.album("..") + "/elsewhere";
  fs::create_directories(outside);
  writePhoto(outside + "/IMG_0001.JPG", 32, 24);
  fs::create_directory_symlink(outside,
                               FileManager::photosDirectory() + "/" + kSavedPhotosAlbumName);
  writePhoto(home.album("Trip") + "/a.jpg", 32, 24);

  const Saved saved = save();
  ASSERT_TRUE(saved.error);
  EXPECT_FALSE(saved.url);
  EXPECT_EQ(saved.error->code, kAssetsLibraryWriteFailedError);
  EXPECT_NE(saved.error->localizedDescription().find("symbolic link"), std::string::npos);
  std::vector<std::string> left;
  for (const auto& item : fs::directory_iterator(outside)) left.push_back(item.path().filename());
  EXPECT_EQ(left, std::vector<std::string>{"IMG_0001.JPG"});  // nothing written outside

  auto groups = AssetsLibrary::listGroups();
  ASSERT_EQ(groups.size(), 1u);  // the link is not an album
  EXPECT_EQ(groups[0]->name(), "Trip");
  EXPECT_TRUE(logs.mentions("symbolic link"));
}

TEST_F(LibraryBounds, ALinkedLibraryFolderOrFileIsNeverFollowed) {
  writePhoto(home.album("Trip") + "/a.jpg", 32, 24);
  writePhoto(home.album("Trip") + "/b.jpg", 32, 24);
  const std::string outside = home.album("..") + "/outside.jpg";
  writePhoto(outside, 32, 24);
  fs::create_symlink(outside, home.album("Trip") + "/c.jpg");  // not listed
  auto trip = group("Trip");
  ASSERT_TRUE(trip);
  EXPECT_EQ(trip->numberOfAssets(), 2u);
  auto b = trip->assetAtFileIndex(1);
  ASSERT_TRUE(b->thumbnail());

  // A file swapped for a link after the album was listed is not read through it.
  fs::remove(home.album("Trip") + "/b.jpg");
  fs::create_symlink(outside, home.album("Trip") + "/b.jpg");
  EXPECT_EQ(b->thumbnail(), nullptr);
  EXPECT_EQ(b->defaultRepresentation()->fullScreenImage(), nullptr);
  EXPECT_EQ(b->defaultRepresentation()->fullResolutionImage(), nullptr);
  EXPECT_TRUE(logs.mentions("symbolic link"));

  // So is a library folder that became a link.
  const std::string photos = FileManager::photosDirectory();
  fs::rename(photos, photos + "-moved");
  fs::create_directory_symlink(photos + "-moved", photos);
  EXPECT_EQ(trip->assetAtFileIndex(0)->thumbnail(), nullptr);
  EXPECT_TRUE(AssetsLibrary::listGroups().empty());
  EXPECT_TRUE(save().error);
  EXPECT_FALSE(fs::exists(photos + "-moved/" + kSavedPhotosAlbumName));
  fs::remove(photos);
  fs::rename(photos + "-moved", photos);
}

TEST_F(LibraryBounds, AFileLargerThanAnyPictureIsRefusedBeforeItIsRead) {
  const std::string path = home.album("Trip") + "/huge.jpg";
  writePhoto(path, 32, 24);
  padTo(path, static_cast<off_t>(PictureFile::kMaxBytes + 1));
  auto opened = PictureFile::open(FileManager::photosDirectory(), "Trip", "huge.jpg");
  ASSERT_FALSE(opened);
  EXPECT_EQ(opened.error().domain, kAssetsLibraryErrorDomain);
  EXPECT_EQ(opened.error().code, kAssetsLibraryDataUnavailableError);
  EXPECT_NE(opened.error().localizedDescription().find("more than any picture"), std::string::npos);

  auto asset = group("Trip")->assetAtFileIndex(0);
  EXPECT_EQ(asset->thumbnail(), nullptr);
  EXPECT_EQ(asset->defaultRepresentation()->fullScreenImage(), nullptr);
  EXPECT_TRUE(logs.mentions("more than any picture"));

  // The limit is the caller's: a smaller one refuses a small file too, a file at it is read.
  const auto size = static_cast<std::uint64_t>(fs::file_size(path));
  EXPECT_FALSE(PictureFile::open(FileManager::photosDirectory(), "Trip", "huge.jpg", size - 1));
  writePhoto(home.album("Trip") + "/small.jpg", 32, 24);
  const auto small = static_cast<std::uint64_t>(fs::file_size(home.album("Trip") + "/small.jpg"));
  EXPECT_TRUE(PictureFile::open(FileManager::photosDirectory(), "Trip", "small.jpg", small));
  EXPECT_FALSE(PictureFile::open(FileManager::photosDirectory(), "Trip", "small.jpg", small - 1));
  EXPECT_FALSE(PictureFile::open(FileManager::photosDirectory(), "Trip", "../Trip/small.jpg"));
  EXPECT_FALSE(PictureFile::open(FileManager::photosDirectory(), "..", "small.jpg"));
}

TEST_F(LibraryBounds, APaddedPhotoCostsOnlyItsPicture) {
  const std::string path = home.album("Trip") + "/padded.jpg";
  writePhoto(path, 640, 480, 0x2040E0);
  constexpr long long kPadding = 96ll << 20;
  padTo(path, kPadding);
  auto asset = group("Trip")->assetAtFileIndex(0);
  ASSERT_TRUE(asset);
  std::ofstream clear("/proc/self/clear_refs");  // resets the peak
  clear << "5" << std::flush;
  if (!clear) GTEST_SKIP() << "no peak memory reset here";
  const long long base = residentBytes("VmRSS");
  auto thumb = asset->aspectRatioThumbnail();
  auto full = asset->defaultRepresentation()->fullScreenImage();
  auto stored = asset->defaultRepresentation()->fullResolutionImage();
  const long long grown = residentBytes("VmHWM") - base;
  ASSERT_TRUE(thumb);
  ASSERT_TRUE(full);
  ASSERT_TRUE(stored);
  EXPECT_EQ(thumb->bitmap()->width(), Asset::kThumbnailPixels);
  EXPECT_TRUE(near(thumb->bitmap()->pixel(30, 22), 0x2040E0));
  EXPECT_EQ(stored->width(), 640);
  EXPECT_TRUE(near(stored->pixel(128, 96), 0x2040E0));
  // The padding is never read: what grows is the pictures' pixels, far below the file's size.
  EXPECT_LT(grown, kPadding / 4) << "peak grew by " << grown << " bytes";
}

TEST_F(LibraryBounds, TheListingIsKeptUntilAFolderChanges) {
  const std::string trip = home.album("Trip");
  for (int i = 0; i < 20; ++i) writePhoto(trip + "/p" + std::to_string(100 + i) + ".jpg", 8, 8);
  setModified(trip, 10);  // changed well before it is listed, so the listing can be trusted
  setModified(FileManager::photosDirectory(), 10);
  auto& index = LibraryIndex::shared();
  const URL url = group("Trip")->assetAtFileIndex(7)->url();
  const std::size_t read = index.foldersRead();
  for (int i = 0; i < 100; ++i) {
    auto found = AssetsLibrary::assetWithURL(url);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->location().file, "p107.jpg");
  }
  EXPECT_EQ(index.foldersRead(), read);  // no folder read again

  // A photo added ahead of it moves it on; the next look-up sees it.
  writePhoto(trip + "/p000.jpg", 8, 8);
  EXPECT_EQ(AssetsLibrary::assetWithURL(url)->location().file, "p106.jpg");
  EXPECT_GT(index.foldersRead(), read);

  // A save of this process is seen at once.
  const Saved saved = save();
  ASSERT_FALSE(saved.error);
  auto asset = AssetsLibrary::assetWithURL(*saved.url);
  ASSERT_TRUE(asset);
  EXPECT_EQ(asset->location().album, kSavedPhotosAlbumName);
  EXPECT_EQ(asset->location().file, "IMG_0001.JPG");
}

}  // namespace
