#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "images/WIImageDecodeQueue.h"
#include "images/WIImageDownloader.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/net/URLSession.h"
#include "tests/images/ImageServerFixture.h"

namespace sprout::test {
namespace {

using platform::RunLoop;

constexpr WIImageDownloaderOptions kNoOptions{};

class WIImageDownloaderTest : public ImageServerTest {
 protected:
  // Queues `paths` while the queue is held, then lets it go; the order the server saw them.
  std::vector<std::string> orderOf(const std::vector<std::string>& paths,
                                   const std::vector<WIImageDownloaderOptions>& options) {
    const std::size_t before = server_->requestCount();
    downloader_->setSuspended(true);
    std::vector<std::shared_ptr<DownloadRecorder>> recorders;
    for (std::size_t i = 0; i < paths.size(); ++i) {
      serveImage(paths[i]);
      recorders.push_back(download(paths[i], options[i]));
    }
    downloader_->setSuspended(false);
    for (const auto& recorder : recorders) EXPECT_TRUE(recorder->waitUntilFinished());
    std::vector<std::string> seen;
    for (const auto& request : server_->requests()) seen.push_back(request.path);
    return {seen.begin() + static_cast<long>(before), seen.end()};
  }
};

TEST_F(WIImageDownloaderTest, OneRequestServesEveryCallerOfAURL) {
  auto none = DownloadRecorder::create();
  EXPECT_EQ(downloader_->downloadImageWithURL(std::nullopt, kNoOptions, none->progressBlock(),
                                              none->completedBlock()),
            nullptr);
  ASSERT_EQ(none->calls().size(), 1u);  // at once, on the calling thread
  EXPECT_FALSE(none->lastCall().finished);
  EXPECT_FALSE(none->lastCall().image || none->lastCall().error);

  serveGatedImage("/shared.jpg");
  std::shared_ptr<WIImageOperation> first, second;
  auto a = download("/shared.jpg", kNoOptions, &first);
  auto b = download("/shared.jpg", kNoOptions, &second);
  ASSERT_TRUE(tokenOf(first) && tokenOf(second));
  EXPECT_FALSE(tokenOf(first)->joinedExistingDownload());
  EXPECT_TRUE(tokenOf(second)->joinedExistingDownload());
  EXPECT_EQ(tokenOf(first)->operation(), tokenOf(second)->operation());
  gate_.open();
  ASSERT_TRUE(a->waitUntilFinished());
  ASSERT_TRUE(b->waitUntilFinished());
  ASSERT_TRUE(a->lastCall().image);
  EXPECT_EQ(a->lastCall().image, b->lastCall().image);
  EXPECT_EQ(server_->requestCount("/shared.jpg"), 1u);
  EXPECT_FALSE(a->progressOffMain() || b->progressOffMain());
  EXPECT_FALSE(b->progress().empty());

  // Once finished, the URL is free again: the next caller starts a download of its own.
  std::shared_ptr<WIImageOperation> third;
  auto c = download("/shared.jpg", kNoOptions, &third);
  EXPECT_FALSE(tokenOf(third)->joinedExistingDownload());
  ASSERT_TRUE(c->waitUntilFinished());
  EXPECT_EQ(server_->requestCount("/shared.jpg"), 2u);
}

// Callers sharing a download may leave one by one; the last one out cancels it, and the URL is
// free for the next caller at once (the abandoned operation must not drop the new caller's list).
TEST_F(WIImageDownloaderTest, TheLastCallerOutCancelsAndFreesTheURL) {
  serveGatedImage("/again.jpg");
  std::shared_ptr<WIImageOperation> tokenA, tokenB, fresh;
  auto a = download("/again.jpg", kNoOptions, &tokenA);
  auto b = download("/again.jpg", kNoOptions, &tokenB);
  auto abandoned = tokenOf(tokenA)->operation();
  ASSERT_TRUE(abandoned);
  tokenA->cancel();
  EXPECT_FALSE(abandoned->isCancelled());  // someone still waits for it
  tokenB->cancel();
  EXPECT_TRUE(abandoned->isCancelled());
  auto wanted = download("/again.jpg", kNoOptions, &fresh);
  EXPECT_FALSE(tokenOf(fresh)->joinedExistingDownload());
  EXPECT_NE(tokenOf(fresh)->operation(), abandoned);
  gate_.open();
  ASSERT_TRUE(wanted->waitUntilFinished());
  EXPECT_TRUE(wanted->lastCall().image);
  ASSERT_TRUE(abandoned->waitUntilFinished(30));
  RunLoop::main().runPending();
  EXPECT_TRUE(a->calls().empty() && b->calls().empty());
  EXPECT_EQ(wanted->calls().size(), 1u);
}

TEST_F(WIImageDownloaderTest, RunsAtMostSixDownloadsAtOnce) {
  EXPECT_EQ(downloader_->maxConcurrentDownloads(), 6);
  std::vector<std::shared_ptr<DownloadRecorder>> recorders;
  for (int i = 0; i < 10; ++i) {
    const std::string path = "/many" + std::to_string(i) + ".jpg";
    serveGatedImage(path);
    recorders.push_back(download(path));
  }
  ASSERT_TRUE(gate_.waitForArrivals(6));
  EXPECT_EQ(downloader_->currentDownloadCount(), 10u);
  const auto queued = downloader_->downloadQueue()->operations();
  EXPECT_EQ(std::count_if(queued.begin(), queued.end(),
                          [](const auto& operation) { return operation->isExecuting(); }),
            6);
  gate_.open();
  for (const auto& recorder : recorders) {
    ASSERT_TRUE(recorder->waitUntilFinished());
    EXPECT_TRUE(recorder->lastCall().image);
  }
  EXPECT_EQ(gate_.peak(), 6);
  EXPECT_LE(server_->peakConnections(), 6);
  EXPECT_EQ(server_->requestCount(), 10u);
}

TEST_F(WIImageDownloaderTest, OrdersWaitingDownloadsByPriorityThenByExecutionOrder) {
  downloader_->setMaxConcurrentDownloads(1);
  EXPECT_EQ(orderOf({"/a", "/b", "/c"}, {kNoOptions, kNoOptions, kNoOptions}),
            (std::vector<std::string>{"/a", "/b", "/c"}));
  EXPECT_EQ(orderOf({"/low", "/normal", "/high"},
                    {WIImageDownloaderLowPriority, kNoOptions, WIImageDownloaderHighPriority}),
            (std::vector<std::string>{"/high", "/normal", "/low"}));
  downloader_->setExecutionOrder(WIImageDownloaderLIFOExecutionOrder);
  EXPECT_EQ(orderOf({"/d", "/e", "/f"}, {kNoOptions, kNoOptions, kNoOptions}),
            (std::vector<std::string>{"/f", "/e", "/d"}));
}

TEST_F(WIImageDownloaderTest, SendsOnlyTheHeadersAndCookiesItIsAskedTo) {
  for (const char* path : {"/plain", "/extra", "/filtered", "/nocookie", "/cookie"}) {
    serveImage(path);
  }
  auto fetch = [&](const std::string& path, WIImageDownloaderOptions options = kNoOptions) {
    EXPECT_TRUE(download(path, options)->waitUntilFinished());
    return *server_->lastRequest(path);
  };
  auto names = [](const nettest::RecordedRequest& request) {
    auto all = request.headerNames();
    std::sort(all.begin(), all.end());
    return all;
  };
  const auto plain = fetch("/plain");
  EXPECT_EQ(names(plain), (std::vector<std::string>{"accept", "accept-encoding", "host"}));
  EXPECT_EQ(plain.header("Accept"), "image/*;q=0.8");

  downloader_->setValue("kindergarten", "X-Sprout");
  downloader_->setValue(std::nullopt, "Accept");
  const auto extra = fetch("/extra");
  EXPECT_EQ(names(extra), (std::vector<std::string>{"accept-encoding", "host", "x-sprout"}));

  platform::HTTPHeaderFields offered;
  downloader_->setHeadersFilter([&](const platform::URL&, const platform::HTTPHeaderFields& in) {
    offered = in;
    return platform::HTTPHeaderFields{};
  });
  EXPECT_EQ(names(fetch("/filtered")), (std::vector<std::string>{"accept-encoding", "host"}));
  EXPECT_EQ(offered.count("x-sprout"), 1u);
  downloader_->setHeadersFilter(nullptr);

  cookies_->storeCookiesFromResponse({"sid=42; Path=/"}, url("/"));
  EXPECT_FALSE(fetch("/nocookie").header("Cookie"));
  EXPECT_EQ(fetch("/cookie", WIImageDownloaderHandleCookies).header("Cookie"), "sid=42");
}

TEST_F(WIImageDownloaderTest, AnswersChallengesWithItsCredentials) {
  server_->serveBasicAuth("/private.jpg", "parent", "secret", picture());
  auto anonymous = download("/private.jpg");
  ASSERT_TRUE(anonymous->waitUntilFinished());
  ASSERT_TRUE(anonymous->lastCall().error);
  EXPECT_EQ(server_->requestCount("/private.jpg"), 1u);

  downloader_->setUsername("parent");
  downloader_->setPassword("secret");
  auto named = download("/private.jpg");
  ASSERT_TRUE(named->waitUntilFinished());
  EXPECT_TRUE(named->lastCall().image);
  EXPECT_EQ(server_->requestCount("/private.jpg"), 3u);

  // An explicit credential wins over the name and password; refused, it is tried only once.
  downloader_->setUrlCredential(
      platform::URLCredential("parent", "wrong", platform::URLCredentialPersistence::ForSession));
  auto refused = download("/private.jpg");
  ASSERT_TRUE(refused->waitUntilFinished());
  ASSERT_TRUE(refused->lastCall().error);
  EXPECT_EQ(refused->lastCall().error->code, platform::URLError::UserCancelledAuthentication);
  EXPECT_EQ(server_->requestCount("/private.jpg"), 5u);
}

// Without IgnoreCachedResponse a revalidated answer is decoded as usual (the manager's refresh
// tests cover the option).
TEST_F(WIImageDownloaderTest, DecodesARevalidatedResponse) {
  server_->serveValidated("/etag.jpg", picture(), "\"v1\"", std::nullopt, "no-cache", "image/jpeg");
  ASSERT_TRUE(download("/etag.jpg", WIImageDownloaderUseNSURLCache)->waitUntilFinished());
  auto again = download("/etag.jpg", WIImageDownloaderUseNSURLCache);
  ASSERT_TRUE(again->waitUntilFinished());
  EXPECT_EQ(server_->notModifiedCount("/etag.jpg"), 1u);
  EXPECT_TRUE(again->lastCall().image);
}

TEST_F(WIImageDownloaderTest, BuildsEachOperationFromItsSettings) {
  serveImage("/made.jpg");
  serveImage("/after.jpg");
  std::vector<platform::URLRequest> requests;
  std::vector<std::shared_ptr<WIImageDownloaderOperation>> made;
  bool broken = true;
  downloader_->setMaxConcurrentDownloads(1);
  downloader_->setDownloadTimeout(0);
  downloader_->setMaximumImageDataLength(123456);
  downloader_->setOperationClass(
      [&](const platform::URLRequest& request, const std::shared_ptr<platform::URLSession>& session,
          WIImageDownloaderOptions options, WIImageDownloaderProgressBlock progress,
          WIImageDownloaderCompletedBlock completed, WIImageNoParamsBlock cancelled) {
        requests.push_back(request);
        // The first gets a session that makes no tasks; it must still give its slot back.
        auto dead = platform::URLSession::create(
            platform::URLSessionConfiguration::defaultSessionConfiguration());
        dead->invalidateAndCancel();
        made.push_back(WIImageDownloaderOperation::create(
            request, std::exchange(broken, false) ? dead : session, options, std::move(progress),
            std::move(completed), std::move(cancelled)));
        return made.back();
      });
  auto failing = download("/made.jpg", WIImageDownloaderHandleCookies);
  auto following = download("/after.jpg", WIImageDownloaderUseNSURLCache);
  ASSERT_TRUE(failing->waitUntilFinished());
  // A session that makes no tasks: the operation still finishes, and frees its slot.
  const auto error = failing->lastCall().error;
  ASSERT_TRUE(error);
  EXPECT_EQ(error->domain, platform::kURLErrorDomain);
  EXPECT_EQ(error->code, 0);
  EXPECT_EQ(error->localizedDescription(), "Connection can't be initialized");
  ASSERT_TRUE(following->waitUntilFinished());
  EXPECT_TRUE(following->lastCall().image);

  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].timeoutInterval(), 15.0);  // 0 stands for the default
  EXPECT_TRUE(requests[0].HTTPShouldHandleCookies());
  EXPECT_EQ(requests[0].cachePolicy(),
            platform::URLRequestCachePolicy::ReloadIgnoringLocalCacheData);
  EXPECT_FALSE(requests[1].HTTPShouldHandleCookies());
  EXPECT_EQ(requests[1].cachePolicy(), platform::URLRequestCachePolicy::UseProtocolCachePolicy);
  EXPECT_EQ(made[0]->maximumDataLength(), 123456u);

  // An empty factory restores the default operation.
  downloader_->setOperationClass(nullptr);
  downloader_->setDownloadTimeout(5);
  std::shared_ptr<WIImageOperation> token;
  serveGatedImage("/default.jpg");
  auto plain = download("/default.jpg", kNoOptions, &token);
  auto operation = tokenOf(token)->operation();
  ASSERT_TRUE(operation);
  EXPECT_EQ(operation->request().timeoutInterval(), 5.0);
  gate_.open();
  ASSERT_TRUE(plain->waitUntilFinished());
  EXPECT_TRUE(plain->lastCall().image);
  EXPECT_EQ(requests.size(), 2u);
  EXPECT_EQ(downloader_->session()->configuration().timeoutIntervalForRequest(), 15.0);
}

// A picture decodes off the session's delegate queue, with its download slot already free: with
// one slot, a caller still busy with the first picture does not hold up the second, which
// downloads and decodes beside it (decoding on the delegate queue would wait for ever here).
TEST_F(WIImageDownloaderTest, PicturesDecodeSideBySideWithTheirSlotsFree) {
  downloader_->setMaxConcurrentDownloads(1);
  serveImage("/first.jpg");
  serveImage("/second.jpg");
  Gate secondDone;
  bool firstSawSecond = false;
  downloader_->downloadImageWithURL(url("/first.jpg"), kNoOptions, nullptr,
                                    [&](const ImagePtr& image, const std::optional<platform::Data>&,
                                        const OptionalError&, bool finished) {
                                      if (finished && image) firstSawSecond = secondDone.pass();
                                    });
  downloader_->downloadImageWithURL(url("/second.jpg"), kNoOptions, nullptr,
                                    [&](const ImagePtr& image, const std::optional<platform::Data>&,
                                        const OptionalError&, bool finished) {
                                      if (finished && image) secondDone.open();
                                    });
  ASSERT_TRUE(downloader_->downloadQueue()->waitUntilAllOperationsAreFinished(30));
  WIImageDecodeQueue()->barrierSync([] {});
  EXPECT_TRUE(firstSawSecond);
}

}  // namespace
}  // namespace sprout::test
