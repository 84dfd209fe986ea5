#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "images/AutoPurgeCache.h"
#include "images/WIImageCache.h"
#include "platform/foundation/Clock.h"
#include "platform/ui/Application.h"
#include "tests/images/CacheTestFixture.h"

namespace sprout::test {
namespace {

using platform::Application;
using platform::TimeInterval;

constexpr TimeInterval kNow = 1'800'000'000.0;
constexpr TimeInterval kWeek = 604800.0;

class WIImageCacheCleaningTest : public WIImageCacheTest {
 protected:
  void SetUp() override {
    WIImageCacheTest::SetUp();
    platform::Clock::setCurrent(clock_);
  }
  void cleanAndWait() {
    ASSERT_TRUE(completesOnMain([&](auto done) { cache_->cleanDiskWithCompletionBlock(done); }));
  }
  // The size a small file takes on disk; 0 where small files do not take whole blocks.
  std::uint64_t blockOf(const std::string& path) const {
    const std::uint64_t block = files().attributesOfItem(path)->allocatedSize;
    return block < 400 ? 0 : block;
  }

  std::shared_ptr<platform::VirtualClock> clock_ = std::make_shared<platform::VirtualClock>(kNow);
};

TEST_F(WIImageCacheCleaningTest, RemovesFilesAtOrPastTheirAge) {
  const std::string atExpiry = writeFile("at-expiry", 10, kNow - kWeek);
  const std::string justInside = writeFile("just-inside", 10, kNow - kWeek + 1);
  const std::string nested = writeFile("sub/nested", 10, kNow - 2 * kWeek);
  const std::string hidden = writeFile(".hidden", 10, kNow - 2 * kWeek);
  cleanAndWait();
  EXPECT_FALSE(exists(atExpiry));
  EXPECT_TRUE(exists(justInside));
  EXPECT_FALSE(exists(nested));
  EXPECT_TRUE(exists(cache_->diskCachePath() + "/sub"));  // folders are never aged out
  EXPECT_TRUE(exists(hidden));                            // hidden entries are not looked at

  cache_->setMaxCacheAge(60);
  clock_->advance(60);
  cleanAndWait();
  EXPECT_FALSE(exists(justInside));
}

// Sizes are what the files take on disk. On a file system with 4 KiB blocks 400-byte files take
// 4 KiB each, so limits are set in blocks (logical sizes would never reach them).
TEST_F(WIImageCacheCleaningTest, RemovesOldestFirstUntilBelowHalfTheLimit) {
  std::vector<std::string> paths;
  for (int i = 0; i < 5; ++i)
    paths.push_back(writeFile("f" + std::to_string(i), 400, kNow - 500 + 100 * i));
  const std::uint64_t block = blockOf(paths[0]);
  if (block == 0) GTEST_SKIP() << "this file system stores small files without whole blocks";

  cache_->setMaxCacheSize(block * 5);  // at the limit is not over it
  cleanAndWait();
  EXPECT_TRUE(exists(paths[0]));

  // Five blocks are over four; the target is two blocks, and reaching it exactly is not below it.
  cache_->setMaxCacheSize(block * 4);
  cleanAndWait();
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(exists(paths[i])) << i;
  EXPECT_TRUE(exists(paths[4]));

  // Expired files go first and do not count towards the size.
  const std::string stale = writeFile("stale", 4000, kNow - 2 * kWeek);
  const std::string fresh = writeFile("fresh", 400, kNow - 50);
  cache_->setMaxCacheSize(block * 2);
  cleanAndWait();
  EXPECT_FALSE(exists(stale));
  EXPECT_TRUE(exists(paths[4]));
  EXPECT_TRUE(exists(fresh));
}

TEST_F(WIImageCacheCleaningTest, AnswersTheApplicationsNotifications) {
  auto& app = Application::shared();
  cache_->storeImage(solidImage(2, 2, kOpaqueRed), "http://h/a.png", false);
  app.simulateMemoryWarning();
  EXPECT_EQ(cache_->memCache().count(), 0u);

  const std::string old1 = writeFile("old1", 10, kNow - 2 * kWeek);
  const std::string young = writeFile("young", 10, kNow);
  app.simulateWillTerminate();
  drain(*cache_);
  EXPECT_FALSE(exists(old1));
  EXPECT_TRUE(exists(young));

  // Entering the background cleans inside a background task that ends with the cleaning. The
  // shared cache answers too (other suites may have made it; made here, it surely exists).
  WIImageCache::sharedImageCache();
  const std::size_t livingCaches = 2;
  const std::string old2 = writeFile("old2", 10, kNow - 2 * kWeek);
  const std::size_t tasksBefore = app.backgroundTaskCount();
  app.simulateDidEnterBackground();
  EXPECT_EQ(app.backgroundTaskCount(), tasksBefore + livingCaches);
  ASSERT_TRUE(runMainUntil([&] { return app.backgroundTaskCount() == tasksBefore; }));
  EXPECT_FALSE(exists(old2));

  // When the time runs out first, the expiration ends the task; the cleaning still finishes.
  const std::string old3 = writeFile("old3", 10, kNow - 2 * kWeek);
  {
    QueueHold hold(*cache_->ioQueue());
    app.simulateDidEnterBackground();
    EXPECT_EQ(app.backgroundTaskCount(), tasksBefore + livingCaches);
    app.expireBackgroundTasks();
    EXPECT_EQ(app.backgroundTaskCount(), tasksBefore);
  }
  drain(*cache_);
  EXPECT_EQ(app.backgroundTaskCount(), tasksBefore);
  EXPECT_FALSE(exists(old3));

  // A destroyed cache no longer listens.
  auto other = WIImageCache::create("other");
  auto queue = other->ioQueue();
  const std::string path = other->diskCachePath() + "/old";
  files().createDirectory(other->diskCachePath(), true);
  ASSERT_TRUE(files().writeFile(path, platform::Data(10, 1)));
  ASSERT_TRUE(files().setModificationDate(path, kNow - 2 * kWeek));
  other.reset();
  app.simulateWillTerminate();
  app.simulateMemoryWarning();
  queue->sync([] {});
  EXPECT_TRUE(exists(path));
}

// The memory layer empties itself on a memory warning, whoever owns it, and only while alive.
TEST(AutoPurgeCacheTest, EmptiesOnMemoryWarningWhileAlive) {
  auto cache = std::make_unique<AutoPurgeCache>("purge");
  cache->setObject("a", std::make_shared<int>(1), 1);
  platform::NotificationCenter::defaultCenter().post("SomethingElse");
  EXPECT_EQ(cache->count(), 1u);
  Application::shared().simulateMemoryWarning();
  EXPECT_EQ(cache->count(), 0u);
  cache.reset();
  Application::shared().simulateMemoryWarning();  // must not reach the destroyed cache
}

}  // namespace
}  // namespace sprout::test
