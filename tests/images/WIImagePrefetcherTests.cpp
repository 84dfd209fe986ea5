#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "images/WIImagePrefetcher.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/RunLoop.h"
#include "tests/images/ImageServerFixture.h"

namespace sprout::test {
namespace {

using Counts = std::pair<std::size_t, std::size_t>;

class RecordingDelegate : public WIImagePrefetcherDelegate {
 public:
  struct Prefetched {
    OptionalURL url;
    std::size_t finished, total;
    bool onQueue;
  };
  explicit RecordingDelegate(std::shared_ptr<platform::DispatchQueue> queue)
      : queue_(std::move(queue)) {}

  void didPrefetchURL(WIImagePrefetcher&, const OptionalURL& url, std::size_t finished,
                      std::size_t total) override {
    prefetched.update([&](auto& all) {
      all.push_back({url, finished, total, queue_->isCurrent()});
    });
  }
  void didFinishWithTotalCount(WIImagePrefetcher&, std::size_t total,
                               std::size_t skipped) override {
    finishes.update([&](auto& all) { all.push_back({total, skipped}); });
  }

  Locked<std::vector<Prefetched>> prefetched;
  Locked<std::vector<Counts>> finishes;

 private:
  const std::shared_ptr<platform::DispatchQueue> queue_;
};

using WIImagePrefetcherTest = ManagerTest;

TEST_F(WIImagePrefetcherTest, KeepsThreeLoadsInFlightAndCountsSkippedURLs) {
  EXPECT_EQ(downloader_->maxConcurrentDownloads(), 6);
  auto prefetcher = WIImagePrefetcher::create(manager_);
  EXPECT_EQ(downloader_->maxConcurrentDownloads(), 3);
  EXPECT_EQ(prefetcher->options(), WIImageLowPriority);

  std::vector<std::string> urls;
  for (int i = 0; i < 9; ++i) {
    serveGated("/p" + std::to_string(i) + ".png");
    urls.push_back(server_->url("/p" + std::to_string(i) + ".png"));
  }
  urls.push_back(server_->url("/missing.png"));  // 404: finished, and skipped
  auto delegate = std::make_shared<RecordingDelegate>(platform::DispatchQueue::main());
  prefetcher->setDelegate(delegate);
  std::vector<Counts> progress;
  std::optional<Counts> completion;
  prefetcher->prefetchURLs(
      urls,
      [&](std::size_t finished, std::size_t total) {
        progress.push_back({finished, total});
      },
      [&](std::size_t finished, std::size_t skipped) {
        completion = Counts{finished, skipped};
      });
  EXPECT_EQ(prefetcher->requestedCount(), 3u);

  for (int released = 0; released < 9; ++released) {
    settle();
    ASSERT_TRUE(gate_.waitForArrivals(std::min(9, released + 3)));
    gate_.releaseOne();
    ASSERT_TRUE(runMainUntil([&] { return prefetcher->finishedCount() > std::size_t(released); }));
  }
  ASSERT_TRUE(runMainUntil([&] { return completion.has_value(); }));
  EXPECT_EQ(gate_.peak(), 3);
  EXPECT_EQ(*completion, Counts(10, 1));
  EXPECT_EQ(delegate->finishes.get(), std::vector<Counts>{Counts(9, 1)});
  const auto prefetched = delegate->prefetched.get();
  ASSERT_EQ(prefetched.size(), 10u);
  std::vector<std::string> reported;
  for (std::size_t i = 0; i < prefetched.size(); ++i) {
    EXPECT_EQ(prefetched[i].finished, i + 1);
    EXPECT_EQ(prefetched[i].total, 10u);
    EXPECT_TRUE(prefetched[i].onQueue);
    reported.push_back(prefetched[i].url->absoluteString());
  }
  std::sort(reported.begin(), reported.end());
  std::sort(urls.begin(), urls.end());
  EXPECT_EQ(reported, urls);
  ASSERT_EQ(progress.size(), 10u);
  EXPECT_EQ(progress.back(), Counts(10, 10));
  EXPECT_EQ(prefetcher->finishedCount(), 10u);
  EXPECT_EQ(prefetcher->skippedCount(), 1u);
  EXPECT_EQ(server_->requestCount(), 10u);
}

TEST_F(WIImagePrefetcherTest, PrefetchingAgainCancelsTheEarlierRun) {
  auto prefetcher = WIImagePrefetcher::create(manager_);
  serveGated("/w0.png");
  serveGated("/w1.png");
  std::atomic<bool> firstCompleted{false};
  prefetcher->prefetchURLs(
      std::vector<std::string>{server_->url("/w0.png"), server_->url("/w1.png")}, nullptr,
      [&](std::size_t, std::size_t) { firstCompleted = true; });
  settle();
  ASSERT_TRUE(gate_.waitForArrivals(2));

  std::optional<Counts> second;
  prefetcher->prefetchURLs(std::vector<OptionalURL>{}, nullptr,
                           [&](std::size_t finished, std::size_t skipped) {
                             second = Counts{finished, skipped};
                           });
  EXPECT_EQ(second, Counts(0, 0));
  EXPECT_FALSE(manager_->isRunning());
  EXPECT_EQ(prefetcher->requestedCount(), 0u);
  EXPECT_TRUE(prefetcher->prefetchURLs().empty());
  gate_.open();
  ASSERT_TRUE(downloader_->downloadQueue()->waitUntilAllOperationsAreFinished(30));
  settle();
  EXPECT_FALSE(firstCompleted);

  // On a queue of its own, counting and reporting happen there, whatever thread loads answer on.
  auto queue = platform::DispatchQueue::createSerial("prefetch-test");
  prefetcher->setPrefetcherQueue(queue);
  auto delegate = std::make_shared<RecordingDelegate>(queue);
  prefetcher->setDelegate(delegate);
  server_->serve("/m0.png", pngBody(), "image/png");
  cache_->storeImage(solidImage(2, 2, kOpaqueRed), server_->url("/m1.png"), false);
  std::atomic<bool> done{false}, completedOnQueue{false};
  std::atomic<std::size_t> finished{0}, skipped{0};
  prefetcher->prefetchURLs(
      std::vector<std::string>{server_->url("/m0.png"), server_->url("/m1.png"), "not a url"},
      nullptr, [&](std::size_t f, std::size_t s) {
        completedOnQueue = queue->isCurrent();
        finished = f;
        skipped = s;
        platform::runOnMainAsync([&] { done = true; });  // wakes the waiting main loop
      });
  ASSERT_TRUE(runMainUntil([&] { return done.load(); }));
  EXPECT_TRUE(completedOnQueue);
  EXPECT_EQ(Counts(finished, skipped), Counts(3, 1));
  EXPECT_EQ(delegate->finishes.get(), std::vector<Counts>{Counts(2, 1)});
  for (const auto& entry : delegate->prefetched.get()) EXPECT_TRUE(entry.onQueue);
}

// The manager answers an unusable URL (and a memory hit) through the main thread, so a start on
// the prefetcher's own queue needs the main thread: a call from the main thread neither waits for
// that queue (a deadlock) nor runs the main loop inside itself (other main-thread work, a HUD or a
// view's completion, would run re-entrantly inside the caller).
TEST_F(WIImagePrefetcherTest, AQueueOfItsOwnNeitherBlocksNorReentersTheMainThread) {
  auto prefetcher = WIImagePrefetcher::create(manager_);
  prefetcher->setMaxConcurrentDownloads(1);
  auto queue = platform::DispatchQueue::createSerial("prefetch-main-wait");
  prefetcher->setPrefetcherQueue(queue);
  // Everything queued there so far has run (the main loop serves it meanwhile).
  auto drainQueue = [&] {
    auto reached = std::make_shared<std::atomic<bool>>(false);
    queue->async([reached] {
      reached->store(true);
      platform::runOnMainAsync([] {});
    });
    ASSERT_TRUE(runMainUntil([&] { return reached->load(); }));
    settle();
  };
  bool otherMainWorkRan = false;
  platform::RunLoop::main().post([&] { otherMainWorkRan = true; });
  std::atomic<bool> completed{false};
  prefetcher->prefetchURLs(std::vector<OptionalURL>(4), nullptr,
                           [&](std::size_t, std::size_t) { completed = true; });
  prefetcher->cancelPrefetching();  // queued behind the start, in call order
  EXPECT_FALSE(otherMainWorkRan);
  drainQueue();
  EXPECT_TRUE(otherMainWorkRan);
  EXPECT_EQ(prefetcher->requestedCount(), 0u);
  EXPECT_TRUE(prefetcher->prefetchURLs().empty());
  EXPECT_FALSE(completed);

  // Queued calls keep their order: the second list replaces the first.
  std::atomic<bool> secondDone{false};
  prefetcher->prefetchURLs(std::vector<OptionalURL>(2), nullptr,
                           [&](std::size_t, std::size_t) { completed = true; });
  prefetcher->prefetchURLs(std::vector<OptionalURL>{}, nullptr,
                           [&](std::size_t f, std::size_t s) { secondDone = f == 0 && s == 0; });
  drainQueue();
  EXPECT_TRUE(secondDone);
  EXPECT_FALSE(completed);
}

}  // namespace
}  // namespace sprout::test
