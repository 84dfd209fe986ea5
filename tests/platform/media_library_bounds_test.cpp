// The library stays inside Photos/, reads no more of a file than its picture, and keeps its
// listing until a folder changes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Log.h"
#include "platform/media/AssetsLibrary.h"
#include "platform/media/LibraryIndex.h"
#include "platform/media/PictureFile.h"
#include "tests/platform/media_support.h"

using namespace platform;
using namespace platform::media_test;
namespace fs = std::filesystem;

namespace {

// Collects what the library logs, for the length of a test.
class LogCapture {
 public:
  LogCapture() {
    setLogSink([this](LogLevel, std::string_view tag, std::string_view message) {
      std::lock_guard lock(mutex_);
      if (tag == "media") lines_.emplace_back(message);
    });
  }
  ~LogCapture() { setLogSink(nullptr); }
  bool mentions(const std::string& text) {
    std::lock_guard lock(mutex_);
    for (const auto& line : lines_) {
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

// Peak resident memory since the last reset, in bytes; -1 where the kernel offers no reset.
long long resetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return clear ? 0 : -1;
}

long long peakResident() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stoll(line.substr(6)) * 1024;
  }
  return -1;
}

long long residentNow() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stoll(line.substr(6)) * 1024;
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

class LibraryBounds : public ::testing::Test {
 protected:
  void SetUp() override { AssetsLibrary::setAuthorizationStatus(AuthorizationStatus::Authorized); }

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
  Saved save() {
    Saved saved;
    bool done = false;
    AssetsLibrary().writeImageToSavedPhotosAlbum(photo(40, 30), [&](auto url, auto error) {
      saved = {url, error};
      done = true;
    });
    RunLoop::main().runUntil([&] { return done; }, 20);
    return saved;
  }

  ScopedPhotoHome home;
  LogCapture logs;
};

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
  auto trip = group("Trip");
  ASSERT_TRUE(trip);
  auto b = trip->assetAtFileIndex(1);
  ASSERT_TRUE(b->thumbnail());

  // A file swapped for a link after the album was listed is not read through it.
  const std::string outside = home.album("..") + "/outside.jpg";
  writePhoto(outside, 32, 24);
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
  if (resetPeak() < 0) GTEST_SKIP() << "no peak memory reset here";
  const long long base = residentNow();
  auto thumb = asset->aspectRatioThumbnail();
  auto full = asset->defaultRepresentation()->fullScreenImage();
  auto stored = asset->defaultRepresentation()->fullResolutionImage();
  const long long grown = peakResident() - base;
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
