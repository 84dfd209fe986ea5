#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

#include "images/WIImageDownloaderOperation.h"
#include "platform/dispatch/OperationQueue.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/net/HTTPURLResponse.h"
#include "platform/net/URLSession.h"
#include "tests/images/ImageServerFixture.h"

namespace sprout::test {
namespace {

using platform::RunLoop;

constexpr WIImageDownloaderOptions kNoOptions{};

class WIImageDownloaderOperationTest : public ImageServerTest {
 protected:
  platform::URLRequest requestFor(const std::string& path) const {
    platform::URLRequest request(url(path),
                                 platform::URLRequestCachePolicy::ReloadIgnoringLocalCacheData, 15);
    request.setHTTPShouldHandleCookies(false);
    request.setAllHTTPHeaderFields({{"Accept", "image/*;q=0.8"}});
    return request;
  }

  struct Started {
    std::shared_ptr<DownloadRecorder> recorder;
    std::shared_ptr<WIImageDownloaderOperation> operation;
  };
  // An operation with a session of its own, recorded; queued unless `queued` is false.
  Started start(const std::string& path, WIImageDownloaderOptions options = kNoOptions,
                bool queued = true) {
    auto recorder = DownloadRecorder::create();
    auto operation = WIImageDownloaderOperation::create(
        requestFor(path), options, recorder->progressBlock(), recorder->completedBlock(),
        [runs = cancelBlockRuns_] { ++*runs; });
    if (queued) queue_->addOperation(operation);
    return {recorder, operation};
  }

  std::shared_ptr<platform::OperationQueue> queue_ =
      platform::OperationQueue::create("operation tests");
  std::shared_ptr<std::atomic<int>> cancelBlockRuns_ = std::make_shared<std::atomic<int>>(0);
};

TEST_F(WIImageDownloaderOperationTest, DeliversTheImageWithProgressAndNotificationsInOrder) {
  NotificationLog log;
  serveImage("/photo.jpg");
  auto [recorder, operation] = start("/photo.jpg");
  ASSERT_TRUE(recorder->waitUntilFinished());
  ASSERT_TRUE(log.waitForNames(operation.get(), 4));

  const auto calls = recorder->calls();
  ASSERT_EQ(calls.size(), 1u);
  ASSERT_TRUE(calls[0].image);
  EXPECT_FALSE(calls[0].error);
  EXPECT_FALSE(calls[0].onMainThread);  // the final report runs on the delegate queue
  EXPECT_EQ(calls[0].image->size().width, 24);
  EXPECT_EQ(calls[0].image->size().height, 16);
  EXPECT_EQ(calls[0].data, picture_);

  const long length = static_cast<long>(picture_.size());
  const auto progress = recorder->progress();
  ASSERT_GE(progress.size(), 3u);
  EXPECT_EQ(progress[0], std::make_pair(0L, -1L));
  EXPECT_EQ(progress[1], std::make_pair(0L, length));
  EXPECT_EQ(progress.back(), std::make_pair(length, length));

  EXPECT_EQ(log.namesFor(operation.get()),
            (std::vector<std::string>{
                kWIImageDownloadStartNotification, kWIImageDownloadReceiveResponseNotification,
                kWIImageDownloadStopNotification, kWIImageDownloadFinishNotification}));
  EXPECT_TRUE(log.allOnMainThread());
  EXPECT_TRUE(operation->waitUntilFinished(30));
  EXPECT_EQ(operation->expectedSize(), length);
  EXPECT_EQ(*cancelBlockRuns_, 0);
}

TEST_F(WIImageDownloaderOperationTest, ScalesByTheKeyOfTheURL) {
  serveImage("/icon@2x.jpg");
  auto doubled = start("/icon@2x.jpg").recorder;
  ASSERT_TRUE(doubled->waitUntilFinished());
  ASSERT_TRUE(doubled->lastCall().image);
  EXPECT_EQ(doubled->lastCall().image->scale(), 2.0);
  EXPECT_EQ(doubled->lastCall().image->size().width, 12);

  // The manager's key decides, once it has installed its own.
  WIImageDownloaderOperation::setScaleKeyProvider(
      [](const platform::URL&) { return std::string("filtered@3x.jpg"); });
  auto filtered = start("/icon@2x.jpg").recorder;
  const bool finished = filtered->waitUntilFinished();
  WIImageDownloaderOperation::setScaleKeyProvider(nullptr);
  ASSERT_TRUE(finished);
  ASSERT_TRUE(filtered->lastCall().image);
  EXPECT_EQ(filtered->lastCall().image->scale(), 3.0);
}

TEST_F(WIImageDownloaderOperationTest, RefusedResponsesEndOnceWithoutAFinishNotification) {
  NotificationLog log;
  auto [missing, missingOperation] = start("/missing.jpg");  // no route: 404
  server_->serve("/unchanged.jpg", "", "image/jpeg", {}, 304);
  auto unchanged = start("/unchanged.jpg").recorder;

  ASSERT_TRUE(missing->waitUntilFinished());
  ASSERT_EQ(missing->calls().size(), 1u);
  const auto error = missing->lastCall().error;
  ASSERT_TRUE(error);
  EXPECT_EQ(error->domain, platform::kURLErrorDomain);
  EXPECT_EQ(error->code, 404);
  EXPECT_FALSE(missing->lastCall().image);
  ASSERT_TRUE(log.waitForNames(missingOperation.get(), 2));
  RunLoop::main().runPending();
  EXPECT_EQ(log.namesFor(missingOperation.get()),
            (std::vector<std::string>{kWIImageDownloadStartNotification,
                                      kWIImageDownloadStopNotification}));

  // A 304 nobody asked for still ends the wait: no image, and no error to blame the URL with.
  ASSERT_TRUE(unchanged->waitUntilFinished());
  ASSERT_EQ(unchanged->calls().size(), 1u);
  EXPECT_TRUE(unchanged->lastCall().finished);
  EXPECT_FALSE(unchanged->lastCall().image);
  EXPECT_FALSE(unchanged->lastCall().error);
}

TEST_F(WIImageDownloaderOperationTest, BrokenBodiesEndInErrorObjects) {
  const std::string head = picture().substr(0, 100);
  server_->serveTruncated("/truncated.jpg", head, picture_.size());
  server_->serveReset("/reset.jpg", head, picture_.size());
  server_->serve("/garbage.jpg", std::string(3000, '\x5A'), "image/jpeg");
  server_->serve("/empty.jpg", "", "image/jpeg");
  std::map<std::string, std::shared_ptr<DownloadRecorder>> recorders;
  for (const char* path : {"/truncated.jpg", "/reset.jpg", "/garbage.jpg", "/empty.jpg"}) {
    recorders[path] = start(path).recorder;
  }
  for (const auto& [path, recorder] : recorders) {
    ASSERT_TRUE(recorder->waitUntilFinished()) << path;
    ASSERT_EQ(recorder->calls().size(), 1u) << path;
    EXPECT_FALSE(recorder->lastCall().image) << path;
    ASSERT_TRUE(recorder->lastCall().error) << path;
  }
  for (const char* cut : {"/truncated.jpg", "/reset.jpg"}) {
    EXPECT_EQ(recorders[cut]->lastCall().error->domain, platform::kURLErrorDomain) << cut;
  }
  // Bytes that decode to nothing, and no bytes at all, are an image of no pixels.
  for (const char* undecodable : {"/garbage.jpg", "/empty.jpg"}) {
    const auto error = *recorders[undecodable]->lastCall().error;
    EXPECT_EQ(error.domain, kWIImageErrorDomain) << undecodable;
    EXPECT_EQ(error.code, 0) << undecodable;
    EXPECT_EQ(error.localizedDescription(), "Downloaded image has 0 pixels") << undecodable;
  }
}

TEST_F(WIImageDownloaderOperationTest, CapsTheBytesAServerCanMakeItHold) {
  const platform::Data big = noisyJpeg(64, 64);
  ASSERT_GT(big.size(), 4000u);
  server_->serve("/announced.jpg", asString(big), "image/jpeg");
  server_->serveChunked("/unannounced.jpg",
                        {asString(big).substr(0, 2000), asString(big).substr(2000)});
  for (const char* path : {"/announced.jpg", "/unannounced.jpg"}) {
    auto [recorder, operation] = start(path, kNoOptions, false);
    operation->setMaximumDataLength(1000);
    queue_->addOperation(operation);
    ASSERT_TRUE(recorder->waitUntilFinished()) << path;
    ASSERT_EQ(recorder->calls().size(), 1u) << path;
    ASSERT_TRUE(recorder->lastCall().error) << path;
    EXPECT_EQ(recorder->lastCall().error->code, platform::URLError::DataLengthExceedsMaximum);
    EXPECT_TRUE(operation->waitUntilFinished(30));
  }
}

// An announced length is only a hint for the buffer: a picture followed by bytes it did not
// announce arrives whole and alone; a length near the limit with almost nothing behind it ends
// in an error, as any cut body does.
TEST_F(WIImageDownloaderOperationTest, LengthsThatLieChangeNothingButTheOutcome) {
  const platform::Data image = noisyJpeg(64, 48);
  server_->serveTruncated("/longer.jpg", asString(image) + std::string(4000, 'x'), image.size());
  server_->serveTruncated("/absurd.jpg", asString(image).substr(0, 100),
                          WIImageDownloaderOperation::kDefaultMaximumDataLength - 1);
  auto absurd = start("/absurd.jpg").recorder;
  ASSERT_TRUE(absurd->waitUntilFinished());
  EXPECT_FALSE(absurd->lastCall().image);
  ASSERT_TRUE(absurd->lastCall().error);
  EXPECT_EQ(absurd->lastCall().error->domain, platform::kURLErrorDomain);
  // Last: the bytes past the announced end stay on that connection.
  auto longer = start("/longer.jpg").recorder;
  ASSERT_TRUE(longer->waitUntilFinished());
  ASSERT_TRUE(longer->lastCall().image);
  EXPECT_EQ(longer->lastCall().data, image);
}

TEST_F(WIImageDownloaderOperationTest, ProgressiveDownloadShowsPartsThenOneFinalImage) {
  const platform::Data big = noisyJpeg(96, 64);
  const std::string body = asString(big);
  const std::size_t quarter = body.size() / 4;
  server_->serveSlowDrip("/slow.jpg",
                         {body.substr(0, quarter), body.substr(quarter, quarter),
                          body.substr(2 * quarter, quarter), body.substr(3 * quarter)},
                         std::chrono::milliseconds(40));
  server_->serveChunked("/chunked.jpg", {body.substr(0, quarter), body.substr(quarter)});

  auto [slow, operation] = start("/slow.jpg", WIImageDownloaderProgressiveDownload);
  ASSERT_TRUE(slow->waitUntilFinished());
  const auto calls = slow->calls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(slow->finishedCount(), 1u);
  EXPECT_TRUE(calls.back().finished);  // no partial image after the final one
  for (std::size_t i = 0; i + 1 < calls.size(); ++i) {
    ASSERT_TRUE(calls[i].image);
    EXPECT_TRUE(calls[i].onMainThread);
    EXPECT_EQ(calls[i].image->size().width, 96);
    EXPECT_EQ(calls[i].image->size().height, 64);
  }
  EXPECT_EQ(operation->width(), 96);
  EXPECT_EQ(operation->height(), 64);
  EXPECT_EQ(calls.back().data, big);

  // Without a length nothing can be judged partial: progress says 0 expected, no part is shown.
  auto chunked = start("/chunked.jpg", WIImageDownloaderProgressiveDownload).recorder;
  ASSERT_TRUE(chunked->waitUntilFinished());
  EXPECT_EQ(chunked->calls().size(), 1u);
  ASSERT_TRUE(chunked->lastCall().image);
  const auto progress = chunked->progress();
  ASSERT_GE(progress.size(), 3u);
  EXPECT_EQ(progress[0], std::make_pair(0L, -1L));
  EXPECT_EQ(progress[1], std::make_pair(0L, 0L));
  EXPECT_EQ(progress.back(), std::make_pair(static_cast<long>(big.size()), 0L));
}

TEST_F(WIImageDownloaderOperationTest, CancellationEndsTheOperationWithoutAReport) {
  serveImage("/early.jpg");
  auto [early, before] = start("/early.jpg", kNoOptions, false);
  before->cancel();
  queue_->addOperation(before);
  ASSERT_TRUE(before->waitUntilFinished(30));
  EXPECT_EQ(server_->requestCount("/early.jpg"), 0u);
  EXPECT_EQ(*cancelBlockRuns_, 1);

  NotificationLog log;
  server_->serveStall("/stalled.jpg", picture().substr(0, 64), picture_.size());
  auto [stalled, midway] = start("/stalled.jpg");
  ASSERT_TRUE(RunLoop::main().runUntil(
      [&] { return !stalled->progress().empty() && stalled->progress().back().first > 0; }, 30.0));
  midway->cancel();
  midway->cancel();
  ASSERT_TRUE(midway->waitUntilFinished(30));
  EXPECT_TRUE(midway->isCancelled());
  EXPECT_EQ(*cancelBlockRuns_, 2);  // once per operation, however often cancelled
  ASSERT_TRUE(log.waitForNames(midway.get(), 3));
  EXPECT_EQ(log.namesFor(midway.get()).back(), kWIImageDownloadStopNotification);

  RunLoop::main().runPending();
  EXPECT_TRUE(early->calls().empty());
  EXPECT_TRUE(stalled->calls().empty());
  EXPECT_TRUE(queue_->waitUntilAllOperationsAreFinished(30));
}

// Events the session queued before a cancel arrive after cancel() has returned: the partial image
// waiting for the main thread and the completion behind it must not reach the caller.
TEST_F(WIImageDownloaderOperationTest, EventsQueuedBeforeACancelReportNothing) {
  server_->serveStall("/queued.jpg", "", picture_.size());
  auto session = platform::URLSession::create(
      platform::URLSessionConfiguration::defaultSessionConfiguration());  // no delegate: we feed it
  auto recorder = DownloadRecorder::create();
  auto operation = WIImageDownloaderOperation::create(
      requestFor("/queued.jpg"), session, WIImageDownloaderProgressiveDownload,
      recorder->progressBlock(), recorder->completedBlock(), nullptr);
  queue_->addOperation(operation);
  ASSERT_TRUE(RunLoop::main().runUntil([&] { return operation->dataTask() != nullptr; }, 30.0));
  auto task = operation->dataTask();

  const platform::Data big = noisyJpeg(96, 64);
  const platform::Data half(big.begin(), big.begin() + static_cast<long>(big.size() / 2));
  auto response = std::make_shared<platform::HTTPURLResponse>(
      url("/queued.jpg"), 200, "HTTP/1.1",
      platform::HTTPHeaderFields{{"Content-Length", std::to_string(big.size())}});
  std::atomic<bool> fed{false};
  session->delegateQueue()->addOperation([&] {
    operation->didReceiveResponse(*session, task, response, nullptr);
    operation->didReceiveData(*session, task, half);  // waits for the main thread
    operation->didCompleteWithError(*session, task, std::nullopt);
    fed = true;
  });
  operation->cancel();  // on the main thread, before it runs the partial image
  ASSERT_TRUE(RunLoop::main().runUntil([&] { return fed.load() && operation->isFinished(); }, 30));
  RunLoop::main().runPending();
  EXPECT_TRUE(recorder->calls().empty());
}

// Name and password challenges are answered through the downloader's tests.
TEST_F(WIImageDownloaderOperationTest, TrustsAnUnknownCertificateOnlyWhenAllowed) {
  auto tls = nettest::TestHTTPServer::start(true);
  tls->serve("/secure.jpg", picture(), "image/jpeg");
  for (const bool allowInvalid : {false, true}) {
    auto recorder = DownloadRecorder::create();
    platform::URLRequest request(*platform::URL::parse(tls->url("/secure.jpg")));
    request.setHTTPShouldHandleCookies(false);
    queue_->addOperation(WIImageDownloaderOperation::create(
        request, allowInvalid ? WIImageDownloaderAllowInvalidSSLCertificates : kNoOptions, nullptr,
        recorder->completedBlock(), nullptr));
    ASSERT_TRUE(recorder->waitUntilFinished());
    EXPECT_EQ(static_cast<bool>(recorder->lastCall().image), allowInvalid);
    EXPECT_EQ(static_cast<bool>(recorder->lastCall().error), !allowInvalid);
  }
}

}  // namespace
}  // namespace sprout::test
