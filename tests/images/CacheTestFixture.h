#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "images/WIImageCache.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/FileManager.h"
#include "tests/images/ImageTestSupport.h"

namespace sprout::test {

// A cache of namespace "test" in a fresh home folder; every queued disk job and main-queue
// completion is finished before the folder goes.
class WIImageCacheTest : public ::testing::Test {
 protected:
  void SetUp() override { cache_ = WIImageCache::create("test"); }
  void TearDown() override {
    drain(*cache_);
    cache_.reset();
    platform::Clock::setCurrent(nullptr);
  }

  static void drain(const WIImageCache& cache) { test::drainImageQueues(cache); }

  // What a disk query answered, and whether on the main thread.
  struct Answer {
    bool done = false, onMain = false;
    ImagePtr image;
    WIImageCacheType type = WIImageCacheTypeNone;
  };
  std::shared_ptr<platform::Operation> ask(const std::string& key, Answer& answer) {
    return cache_->queryDiskCacheForKey(
        key, [&answer](const ImagePtr& image, WIImageCacheType type) {
          answer = {true, platform::RunLoop::isMainThread(), image, type};
        });
  }
  // Starts a job given its completion and runs the main loop until that ran; true when it ran
  // there.
  static bool completesOnMain(const std::function<void(std::function<void()>)>& start) {
    bool done = false, onMain = false;
    start([&] {
      done = true;
      onMain = platform::RunLoop::isMainThread();
    });
    return runMainUntil([&] { return done; }) && onMain;
  }

  const platform::FileManager& files() const { return platform::FileManager::defaultManager(); }
  bool exists(const std::string& path) const { return files().fileExists(path); }

  // Writes `bytes` bytes at `relative` inside the disk folder, modified at `modified`.
  std::string writeFile(const std::string& relative, std::size_t bytes,
                        platform::TimeInterval modified) {
    const std::string path = cache_->diskCachePath() + "/" + relative;
    files().createDirectory(path.substr(0, path.rfind('/')), true);
    EXPECT_TRUE(files().writeFile(path, platform::Data(bytes, 0x5A)));
    EXPECT_TRUE(files().setModificationDate(path, modified));
    return path;
  }

  TemporaryHome home_;  // first in, last out
  std::shared_ptr<WIImageCache> cache_;
};

}  // namespace sprout::test
