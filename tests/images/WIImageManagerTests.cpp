#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "images/WIImageDecodeQueue.h"
#include "images/WIImageManager.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Error.h"
#include "tests/images/ImageServerFixture.h"

namespace sprout::test {
namespace {

using platform::RunLoop;

class TestDelegate : public WIImageManagerDelegate {
 public:
  std::optional<bool> shouldDownloadImageForURL(WIImageManager&, const platform::URL&) override {
    return shouldDownload;
  }
  bool respondsToTransformDownloadedImage() const override { return transform != nullptr; }
  ImagePtr transformDownloadedImage(WIImageManager&, const ImagePtr& image,
                                    const platform::URL&) override {
    return transform(image);
  }

  std::optional<bool> shouldDownload;
  std::function<ImagePtr(const ImagePtr&)> transform;
};

class WIImageManagerTest : public ManagerTest {
 protected:
  bool isFailed(const std::string& path) const { return manager_->failedURLs().count(url(path)); }
};

bool inRunning(const WIImageManager& manager, const std::shared_ptr<WIImageOperation>& op) {
  for (const auto& running : manager.runningOperations()) {
    if (running == op) return true;
  }
  return false;
}

TEST_F(WIImageManagerTest, UnusableURLsFailAtOnceOnTheMainThread) {
  Deliveries d;
  std::vector<std::shared_ptr<WIImageOperation>> ops{
      manager_->downloadImageWithURL(std::nullopt, {}, nullptr, d.block()),
      manager_->downloadImageWithURL(std::string(), {}, nullptr, d.block()),
      manager_->downloadImageWithURL(std::string("http://exa mple.com/{x}"), {}, nullptr,
                                     d.block())};
  ASSERT_EQ(d.size(), 3u);  // before the calls returned
  for (std::size_t i = 0; i < 3; ++i) {
    const Delivery got = d.at(i);
    ASSERT_TRUE(got.error);
    EXPECT_EQ(got.error->domain, platform::kURLErrorDomain);
    EXPECT_EQ(got.error->code, platform::URLError::FileDoesNotExist);
    EXPECT_TRUE(got.error->userInfo.empty());
    EXPECT_FALSE(got.image);
    EXPECT_TRUE(got.finished);
    EXPECT_EQ(got.cacheType, WIImageCacheTypeNone);
    EXPECT_FALSE(inRunning(*manager_, ops[i]));
  }
  EXPECT_FALSE(manager_->isRunning());

  std::thread caller([&] { manager_->downloadImageWithURL(std::nullopt, {}, nullptr, d.block()); });
  EXPECT_TRUE(d.waitFor(4));
  caller.join();
  EXPECT_TRUE(d.at(3).onMain);
  EXPECT_EQ(server_->requestCount(), 0u);
}

TEST_F(WIImageManagerTest, RemembersURLsThatFailedForGoodButNotTransientFailures) {
  Deliveries first, second, retry;
  load("/gone.png", first);
  ASSERT_TRUE(first.waitFor(1));
  ASSERT_TRUE(first.at(0).error);
  EXPECT_EQ(first.at(0).error->code, 404);
  EXPECT_TRUE(first.at(0).onMain);
  ASSERT_TRUE(waitUntilIdle());
  EXPECT_TRUE(isFailed("/gone.png"));

  load("/gone.png", second);
  ASSERT_EQ(second.size(), 1u);
  EXPECT_EQ(second.at(0).error->code, platform::URLError::FileDoesNotExist);
  EXPECT_EQ(server_->requestCount("/gone.png"), 1u);
  // Refused before the memory cache is asked, even with its picture there.
  cache_->storeImage(solidImage(2, 2, kOpaqueGreen), url("/gone.png").absoluteString(), false);
  load("/gone.png", second);
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(second.at(1).error->code, platform::URLError::FileDoesNotExist);
  cache_->clearMemory();

  server_->serve("/gone.png", pngBody(), "image/png");
  load("/gone.png", retry, WIImageRetryFailed);
  ASSERT_TRUE(retry.waitFor(1));
  EXPECT_TRUE(retry.at(0).image);
  ASSERT_TRUE(waitUntilIdle());
  EXPECT_FALSE(isFailed("/gone.png"));

  // Nobody listening (−1004), a stalled server (−1001) and a body cut short by a restart say
  // nothing about the URL: the next load goes to the network again.
  Deliveries refused, stalled, cut;
  manager_->downloadImageWithURL(std::string("http://127.0.0.1:1/x.png"), {}, nullptr,
                                 refused.block());
  downloader_->setDownloadTimeout(0.2);
  server_->serveStall("/slow.png", "", 4096);
  load("/slow.png", stalled);
  const std::string picture = pngBody();
  server_->serveReset("/cut.png", picture.substr(0, picture.size() / 2), picture.size());
  load("/cut.png", cut);
  ASSERT_TRUE(refused.waitFor(1) && stalled.waitFor(1) && cut.waitFor(1));
  EXPECT_EQ(refused.at(0).error->code, platform::URLError::CannotConnectToHost);
  EXPECT_EQ(stalled.at(0).error->code, platform::URLError::TimedOut);
  EXPECT_EQ(cut.at(0).error->code, platform::URLError::NetworkConnectionLost);
  ASSERT_TRUE(waitUntilIdle());
  EXPECT_EQ(manager_->failedURLs().size(), 0u);
  server_->serve("/cut.png", picture, "image/png");
  load("/slow.png", stalled);
  load("/cut.png", cut);
  ASSERT_TRUE(stalled.waitFor(2) && cut.waitFor(2));
  EXPECT_EQ(server_->requestCount("/slow.png"), 2u);
  EXPECT_TRUE(cut.at(1).image);
}

TEST_F(WIImageManagerTest, AnswersFromMemoryThenDiskThenNetwork) {
  server_->serve("/a.png", pngBody(), "image/png");
  const std::string key = manager_->cacheKeyForURL(url("/a.png"));
  Deliveries miss, memory, disk, memoryOnly;
  load("/a.png", miss);
  EXPECT_EQ(miss.size(), 0u);
  ASSERT_TRUE(miss.waitFor(1));
  EXPECT_EQ(miss.at(0).cacheType, WIImageCacheTypeNone);
  ASSERT_TRUE(miss.at(0).image);
  EXPECT_EQ(*miss.at(0).url, url("/a.png"));
  ASSERT_TRUE(waitUntilIdle());
  settle();
  EXPECT_EQ(cache_->imageFromMemoryCacheForKey(key), miss.at(0).image);
  EXPECT_TRUE(manager_->diskImageExistsForURL(url("/a.png")));

  load("/a.png", memory);
  ASSERT_EQ(memory.size(), 1u);  // before the call returned
  EXPECT_EQ(memory.at(0).cacheType, WIImageCacheTypeMemory);
  EXPECT_FALSE(manager_->isRunning());

  cache_->clearMemory();
  load("/a.png", disk);
  EXPECT_EQ(disk.size(), 0u);
  ASSERT_TRUE(disk.waitFor(1));
  EXPECT_EQ(disk.at(0).cacheType, WIImageCacheTypeDisk);
  EXPECT_TRUE(disk.at(0).image);
  EXPECT_EQ(server_->requestCount("/a.png"), 1u);

  server_->serve("/b.png", pngBody(), "image/png");
  load("/b.png", memoryOnly, WIImageCacheMemoryOnly);
  ASSERT_TRUE(memoryOnly.waitFor(1));
  ASSERT_TRUE(waitUntilIdle());
  settle();
  EXPECT_TRUE(manager_->cachedImageExistsForURL(url("/b.png")));
  EXPECT_FALSE(manager_->diskImageExistsForURL(url("/b.png")));

  bool answered = false, exists = false;
  manager_->cachedImageExistsForURL(url("/b.png"), [&](bool found) {
    answered = true;
    exists = found && RunLoop::isMainThread();
  });
  EXPECT_FALSE(answered);
  EXPECT_TRUE(runMainUntil([&] { return answered; }));
  EXPECT_TRUE(exists);
}

TEST_F(WIImageManagerTest, RefreshCachedRevalidatesWithTheServer) {
  server_->serveValidated("/e.png", pngBody(), "\"v1\"", std::nullopt, "no-cache", "image/png");
  Deliveries fresh, unchanged, changed;
  load("/e.png", fresh, WIImageRefreshCached);
  ASSERT_TRUE(fresh.waitFor(1));
  ASSERT_TRUE(waitUntilIdle());

  load("/e.png", unchanged, WIImageRefreshCached);
  ASSERT_EQ(unchanged.size(), 1u);
  EXPECT_EQ(unchanged.at(0).cacheType, WIImageCacheTypeMemory);
  ASSERT_TRUE(waitUntilIdle());
  RunLoop::main().runPending();
  EXPECT_EQ(server_->notModifiedCount("/e.png"), 1u);
  EXPECT_EQ(unchanged.size(), 1u);

  server_->serveValidated("/e.png", pngBody(8, kOpaqueBlue), "\"v2\"", std::nullopt, "no-cache",
                          "image/png");
  load("/e.png", changed, WIImageRefreshCached);
  ASSERT_TRUE(changed.waitFor(2));
  EXPECT_EQ(changed.at(0).cacheType, WIImageCacheTypeMemory);
  EXPECT_EQ(changed.at(1).cacheType, WIImageCacheTypeNone);
  ASSERT_TRUE(changed.at(1).image);
  EXPECT_EQ(changed.at(1).image->bitmap()->pixel(2, 2), kOpaqueBlue);
}

TEST_F(WIImageManagerTest, CancelledLoadsReportNothingAndLeaveTheRunningList) {
  cache_->storeImage(solidImage(4, 4, kOpaqueRed), manager_->cacheKeyForURL(url("/d.png")), true);
  settle();
  cache_->clearMemory();
  Deliveries beforeCache, midBody;
  {
    QueueHold hold(*cache_->ioQueue());
    load("/d.png", beforeCache)->cancel();
    EXPECT_FALSE(manager_->isRunning());
  }
  settle();

  server_->serveStall("/stall.png", "partial", 4096);
  auto op = load("/stall.png", midBody);
  settle();
  ASSERT_TRUE(server_->waitForRequests(1, std::chrono::seconds(30)));
  op->cancel();
  EXPECT_FALSE(manager_->isRunning());
  EXPECT_TRUE(downloadsEnded());  // the download's slot is free again
  settle();
  EXPECT_EQ(beforeCache.size(), 0u);
  EXPECT_EQ(midBody.size(), 0u);
}

TEST_F(WIImageManagerTest, LoadsOfOneURLShareOneRequestAndCancelSeparately) {
  for (const char* path : {"/s1.png", "/s2.png", "/s3.png"}) serveGated(path);
  Deliveries a, b, c, x, y, memoryOnly, toDisk;
  load("/s1.png", a);
  auto middle = load("/s1.png", b);
  load("/s1.png", c);
  auto firstOfTwo = load("/s2.png", x);
  load("/s2.png", y);
  // Callers of one download hear one image; one that wants it on disk gets it there even when a
  // memory-only caller stored it first.
  load("/s3.png", memoryOnly, WIImageCacheMemoryOnly);
  load("/s3.png", toDisk);
  settle();
  middle->cancel();
  firstOfTwo->cancel();
  gate_.open();
  ASSERT_TRUE(a.waitFor(1) && c.waitFor(1) && y.waitFor(1));
  ASSERT_TRUE(waitUntilIdle());
  EXPECT_TRUE(a.at(0).image);
  EXPECT_EQ(a.at(0).image, c.at(0).image);
  EXPECT_TRUE(y.at(0).image);
  EXPECT_EQ(b.size() + x.size(), 0u);
  EXPECT_EQ(server_->requestCount("/s1.png"), 1u);
  EXPECT_EQ(server_->requestCount("/s2.png"), 1u);
  ASSERT_TRUE(memoryOnly.waitFor(1) && toDisk.waitFor(1));
  settle();
  EXPECT_EQ(memoryOnly.at(0).image, toDisk.at(0).image);
  EXPECT_EQ(cache_->imageFromMemoryCacheForKey(server_->url("/s1.png")), a.at(0).image);
  EXPECT_TRUE(manager_->diskImageExistsForURL(url("/s1.png")));
  EXPECT_TRUE(manager_->diskImageExistsForURL(url("/s3.png")));
}

TEST_F(WIImageManagerTest, DelegateMayRefuseDownloadsAndTransformImages) {
  auto delegate = std::make_shared<TestDelegate>();
  manager_->setDelegate(delegate);
  delegate->shouldDownload = false;
  Deliveries refused, cachedRefresh;
  load("/r.png", refused);
  ASSERT_TRUE(refused.waitFor(1));
  EXPECT_FALSE(refused.at(0).image || refused.at(0).error);
  EXPECT_TRUE(refused.at(0).finished);
  cache_->storeImage(solidImage(4, 4, kOpaqueRed), manager_->cacheKeyForURL(url("/r.png")), false);
  load("/r.png", cachedRefresh, WIImageRefreshCached);
  ASSERT_EQ(cachedRefresh.size(), 1u);
  EXPECT_EQ(cachedRefresh.at(0).cacheType, WIImageCacheTypeMemory);
  EXPECT_EQ(server_->requestCount(), 0u);
  EXPECT_FALSE(manager_->isRunning());

  delegate->shouldDownload = std::nullopt;
  ImagePtr blue = solidImage(2, 2, kOpaqueBlue);
  delegate->transform = [blue](const ImagePtr&) { return blue; };
  server_->serve("/t.png", pngBody(), "image/png");
  const std::string gif = asString(gifData(4, 4, {{5, 0}, {5, 1}}));
  server_->serve("/still.gif", gif, "image/gif");
  server_->serve("/moving.gif", gif, "image/gif");
  Deliveries plain, still, moving;
  load("/t.png", plain);
  load("/still.gif", still);
  load("/moving.gif", moving, WIImageTransformAnimatedImage);
  ASSERT_TRUE(plain.waitFor(1) && still.waitFor(1) && moving.waitFor(1));
  EXPECT_EQ(plain.at(0).image, blue);
  EXPECT_EQ(cache_->imageFromMemoryCacheForKey(manager_->cacheKeyForURL(url("/t.png"))), blue);
  ASSERT_TRUE(still.at(0).image);
  EXPECT_TRUE(still.at(0).image->isAnimated());
  EXPECT_EQ(moving.at(0).image, blue);
  ASSERT_TRUE(waitUntilIdle());
  settle();
}

TEST_F(WIImageManagerTest, PartialImagesNeverOvertakeTheFinalOneThroughTransforms) {
  const std::string jpeg = asString(noisyJpeg(96, 96));
  std::vector<std::string> chunks;
  for (std::size_t at = 0; at < jpeg.size(); at += jpeg.size() / 4 + 1) {
    chunks.push_back(jpeg.substr(at, jpeg.size() / 4 + 1));
  }
  server_->serveSlowDrip("/p.jpg", chunks, std::chrono::milliseconds(30));
  auto delegate = std::make_shared<TestDelegate>();
  manager_->setDelegate(delegate);
  Gate firstTransform;
  std::atomic<int> calls{0};
  delegate->transform = [&](const ImagePtr& image) {
    if (calls++ == 0) firstTransform.pass();
    return image;
  };
  Deliveries d;
  load("/p.jpg", d, WIImageProgressiveDownload);
  // The final image has been handed over once the load stops running; only then may the first
  // (partial) transform finish.
  ASSERT_TRUE(waitUntilIdle());
  firstTransform.open();
  ASSERT_TRUE(runMainUntil([&] { return d.size() > 0 && d.all().back().finished; }));
  const auto all = d.all();
  ASSERT_GE(all.size(), 2u);
  for (std::size_t i = 0; i + 1 < all.size(); ++i) EXPECT_FALSE(all[i].finished);
  EXPECT_EQ(calls.load(), static_cast<int>(all.size()));
}

// A memory hit is answered inside the call, as a load in the running list; a load still waiting
// for the network stays there, whatever the hit's completion does.
TEST_F(WIImageManagerTest, AMemoryHitRunsItsCompletionAsARunningLoad) {
  server_->serve("/a.png", pngBody(), "image/png");
  Deliveries first;
  load("/a.png", first);
  ASSERT_TRUE(first.waitFor(1));
  ASSERT_TRUE(waitUntilIdle());
  serveGated("/held.png");
  Deliveries held;
  auto waiting = load("/held.png", held);
  settle();
  ASSERT_TRUE(gate_.waitForArrivals(1));

  std::vector<std::shared_ptr<WIImageCombinedOperation>> during;
  int hits = 0;
  auto hit =
      manager_->downloadImageWithURL(url("/a.png"), WIImageOptions{}, nullptr,
                                     [&](const ImagePtr& image, const OptionalError&,
                                         WIImageCacheType type, bool finished, const OptionalURL&) {
                                       if (image && type == WIImageCacheTypeMemory && finished)
                                         ++hits;
                                       during = manager_->runningOperations();
                                     });
  EXPECT_EQ(hits, 1);
  ASSERT_EQ(during.size(), 2u);
  EXPECT_EQ(during.front(), waiting);
  EXPECT_TRUE(inRunning(*manager_, waiting));
  EXPECT_FALSE(inRunning(*manager_, hit));
  EXPECT_EQ(manager_->runningOperations().size(), 1u);
  gate_.open();
  ASSERT_TRUE(held.waitFor(1));
  EXPECT_TRUE(held.at(0).image);
}

// Whichever way the URL is held, a hit completes inside the call, on the main thread, and hands
// back a handle of its own that is neither running nor cancelled.
TEST_F(WIImageManagerTest, AMemoryHitAnswersInsideTheCallWithAnIdleHandleOfItsOwn) {
  const platform::URL resident = *platform::URL::parse("http://memory.example/a.png");
  const ImagePtr picture = solidImage(4, 4, kOpaqueGreen);
  cache_->storeImage(picture, resident.absoluteString(), false);
  const OptionalURL held = resident;
  Deliveries d;
  const std::vector<std::shared_ptr<WIImageOperation>> ops{
      manager_->downloadImageWithURL(resident, {}, nullptr, d.block()),
      manager_->downloadImageWithURL(held, {}, nullptr, d.block()),
      manager_->downloadImageWithURL(resident.absoluteString(), {}, nullptr, d.block())};
  ASSERT_EQ(d.size(), 3u);
  for (std::size_t i = 0; i < ops.size(); ++i) {
    const Delivery got = d.at(i);
    EXPECT_EQ(got.image, picture);
    EXPECT_FALSE(got.error);
    EXPECT_EQ(got.cacheType, WIImageCacheTypeMemory);
    EXPECT_TRUE(got.finished);
    EXPECT_EQ(got.url, held);
    EXPECT_TRUE(got.onMain);
    auto handle = std::dynamic_pointer_cast<WIImageCombinedOperation>(ops[i]);
    ASSERT_TRUE(handle);
    EXPECT_FALSE(handle->isCancelled());
    EXPECT_FALSE(handle->cacheOperation());
    EXPECT_FALSE(handle->cancelBlock());
    EXPECT_FALSE(inRunning(*manager_, ops[i]));
    for (std::size_t j = 0; j < i; ++j) EXPECT_NE(ops[i], ops[j]);
  }
  EXPECT_FALSE(manager_->isRunning());
  ops[0]->cancel();
  EXPECT_TRUE(std::static_pointer_cast<WIImageCombinedOperation>(ops[0])->isCancelled());

  // From other threads at once: each waits for its completion to run on the main thread.
  std::atomic<int> answeredBeforeReturn{0}, returned{0};
  std::vector<std::thread> callers;
  for (int t = 0; t < 4; ++t) {
    callers.emplace_back([&] {
      for (int i = 0; i < 25; ++i) {
        bool answered = false;
        manager_->downloadImageWithURL(resident, {}, nullptr,
                                       [&](const ImagePtr& image, const OptionalError&,
                                           WIImageCacheType type, bool, const OptionalURL&) {
                                         answered = image == picture &&
                                                    type == WIImageCacheTypeMemory &&
                                                    platform::RunLoop::isMainThread() &&
                                                    manager_->isRunning();
                                       });
        if (answered) ++answeredBeforeReturn;
      }
      ++returned;
    });
  }
  EXPECT_TRUE(runMainUntil([&] { return returned == 4; }));
  for (auto& caller : callers) caller.join();
  EXPECT_EQ(answeredBeforeReturn, 100);
  EXPECT_FALSE(manager_->isRunning());
  EXPECT_EQ(server_->requestCount(), 0u);
}

// While its completion runs, a hit is a running load (so is a hit asked from inside it), and
// cancelAll from there cancels both and takes them off.
TEST_F(WIImageManagerTest, AHitsCompletionSeesItRunningAndMayCancelIt) {
  const platform::URL a = *platform::URL::parse("http://memory.example/a.png");
  const platform::URL b = *platform::URL::parse("http://memory.example/b.png");
  cache_->storeImage(solidImage(2, 2, kOpaqueGreen), a.absoluteString(), false);
  cache_->storeImage(solidImage(2, 2, kOpaqueRed), b.absoluteString(), false);
  using Running = std::vector<std::shared_ptr<WIImageCombinedOperation>>;
  Running outer, inner, afterCancel;
  bool runningAfterCancel = true;
  std::shared_ptr<WIImageOperation> innerOp;
  auto outerOp = manager_->downloadImageWithURL(
      a, {}, nullptr,
      [&](const ImagePtr&, const OptionalError&, WIImageCacheType, bool, const OptionalURL&) {
        outer = manager_->runningOperations();
        innerOp = manager_->downloadImageWithURL(
            b, {}, nullptr,
            [&](const ImagePtr&, const OptionalError&, WIImageCacheType, bool, const OptionalURL&) {
              inner = manager_->runningOperations();
              manager_->cancelAll();
              afterCancel = manager_->runningOperations();
              runningAfterCancel = manager_->isRunning();
            });
      });
  ASSERT_EQ(outer.size(), 1u);
  EXPECT_EQ(outer[0], outerOp);
  ASSERT_EQ(inner.size(), 2u);
  EXPECT_EQ(inner[0], outerOp);
  EXPECT_EQ(inner[1], innerOp);
  EXPECT_TRUE(afterCancel.empty());
  EXPECT_FALSE(runningAfterCancel);
  for (const auto& op : {outerOp, innerOp}) {
    EXPECT_TRUE(std::static_pointer_cast<WIImageCombinedOperation>(op)->isCancelled());
  }
  EXPECT_FALSE(manager_->isRunning());
}

TEST_F(WIImageManagerTest, CacheKeyFilterChoosesTheKey) {
  manager_->setCacheKeyFilter([](const platform::URL& u) {
    const std::string& text = u.absoluteString();
    return text.substr(0, text.find('?'));
  });
  EXPECT_EQ(manager_->cacheKeyForURL(std::nullopt), "");
  EXPECT_EQ(manager_->cacheKeyForURL(url("/k.png?sig=1")), server_->url("/k.png"));
  server_->serve("/k.png", pngBody(), "image/png");
  Deliveries signed1, signed2;
  load("/k.png?sig=1", signed1);
  ASSERT_TRUE(signed1.waitFor(1));
  ASSERT_TRUE(waitUntilIdle());
  load("/k.png?sig=2", signed2);
  ASSERT_EQ(signed2.size(), 1u);
  EXPECT_EQ(signed2.at(0).cacheType, WIImageCacheTypeMemory);
  EXPECT_EQ(server_->requestCount("/k.png"), 1u);

  manager_->saveImageToCache(solidImage(2, 2, kOpaqueGreen), url("/saved.png?v=9"));
  EXPECT_TRUE(manager_->cachedImageExistsForURL(url("/saved.png")));
  settle();

  // Without the filter the whole URL is the key again: another signature is another picture.
  manager_->setCacheKeyFilter(nullptr);
  Deliveries unfiltered;
  load("/k.png?sig=3", unfiltered);
  EXPECT_EQ(unfiltered.size(), 0u);
  ASSERT_TRUE(unfiltered.waitFor(1));
  EXPECT_EQ(unfiltered.at(0).cacheType, WIImageCacheTypeNone);
  EXPECT_EQ(server_->requestCount("/k.png"), 2u);
  ASSERT_TRUE(waitUntilIdle());
  EXPECT_TRUE(cache_->imageFromMemoryCacheForKey(server_->url("/k.png?sig=3")));
}

TEST_F(WIImageManagerTest, CancelAllStopsEveryLoad) {
  for (const char* path : {"/h1.png", "/h2.png", "/h3.png"}) serveGated(path);
  Deliveries d;
  std::vector<std::shared_ptr<WIImageOperation>> ops;
  for (const char* path : {"/h1.png", "/h2.png", "/h3.png"}) ops.push_back(load(path, d));
  settle();
  EXPECT_TRUE(manager_->isRunning());
  EXPECT_EQ(manager_->runningOperations().size(), 3u);
  EXPECT_TRUE(gate_.waitForArrivals(3));
  manager_->cancelAll();
  EXPECT_FALSE(manager_->isRunning());
  for (const auto& op : ops) {
    EXPECT_TRUE(std::static_pointer_cast<WIImageCombinedOperation>(op)->isCancelled());
  }
  gate_.open();
  EXPECT_TRUE(downloadsEnded());
  settle();
  EXPECT_EQ(d.size(), 0u);

  // The bridge for the older completion drops only the URL.
  server_->serve("/old.png", pngBody(), "image/png");
  bool finished = false;
  manager_->downloadWithURL(
      url("/old.png"), {}, nullptr,
      [&](const ImagePtr& image, const OptionalError& error, WIImageCacheType type, bool done) {
        finished = done && image && !error && type == WIImageCacheTypeNone;
      });
  EXPECT_TRUE(runMainUntil([&] { return finished; }));
}

// Downloads end, decode and are stored without waiting for the main thread (which may be busy
// drawing); only the callers' completions wait for it, in order, still on the main thread.
TEST_F(WIImageManagerTest, DecodedPicturesWaitForTheMainThreadOnlyToBeDelivered) {
  Deliveries a, b;
  server_->serve("/m1.png", pngBody(), "image/png");
  server_->serve("/m2.png", pngBody(), "image/png");
  load("/m1.png", a);
  load("/m2.png", b);
  settle();  // both disk misses answered: the downloads are on their way
  // The main loop stays still from here until both pictures are in the cache.
  std::atomic<bool> stored{false}, watched{false};
  Gate looked;
  std::thread watcher([&] {
    EXPECT_TRUE(downloader_->downloadQueue()->waitUntilAllOperationsAreFinished(30));
    WIImageDecodeQueue()->barrierSync([] {});
    stored = cache_->imageFromMemoryCacheForKey(url("/m1.png").absoluteString()) &&
             cache_->imageFromMemoryCacheForKey(url("/m2.png").absoluteString());
    looked.open();
    watched = true;
  });
  const bool storedWhileMainWasStill = looked.pass() && stored;
  const std::size_t deliveredEarly = a.size() + b.size();
  runMainUntil([&] { return watched.load(); });  // frees a watcher stuck behind the main thread
  watcher.join();
  EXPECT_TRUE(storedWhileMainWasStill);
  EXPECT_EQ(deliveredEarly, 0u);  // nothing reached a caller off the main thread
  ASSERT_TRUE(a.waitFor(1) && b.waitFor(1));
  EXPECT_TRUE(a.at(0).onMain && b.at(0).onMain);
  EXPECT_TRUE(a.at(0).image && b.at(0).image);
  EXPECT_TRUE(waitUntilIdle());
}

}  // namespace
}  // namespace sprout::test
