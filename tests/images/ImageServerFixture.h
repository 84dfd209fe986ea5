#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "images/WIImageCache.h"
#include "images/WIImageDownloader.h"
#include "images/WIImageDownloaderTypes.h"
#include "images/WIImageManager.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Types.h"
#include "platform/net/HTTPCookieStorage.h"
#include "platform/net/URLCache.h"
#include "platform/net/URLSessionConfiguration.h"
#include "tests/images/ImageTestSupport.h"
#include "tests/support/net_test_server.h"

namespace sprout::test {

// An 8-pixel-high opaque PNG as a response body; widths tell loads apart.
inline std::string pngBody(int width = 8, std::uint32_t argb = kOpaqueRed) {
  return asString(pngData(width, 8, argb, false));
}

// A waiting runUntil() sleeps until something is posted; calls from other threads post nothing.
inline void wakeMainLoop() {
  if (!platform::RunLoop::isMainThread()) platform::RunLoop::main().post([] {});
}

// A fresh home and a loopback server whose gated routes wait for gate_.
class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override { server_ = nettest::TestHTTPServer::start(); }
  void TearDown() override { gate_.open(); }

  platform::URL url(const std::string& path) const {
    return *platform::URL::parse(server_->url(path));
  }
  // Answers `body` once gate_ lets the request through.
  void serveGated(const std::string& path, const std::string& body = pngBody(),
                  const std::string& type = "image/png") {
    server_->handle(
        path, [gate = gate_, body, type](const nettest::RecordedRequest&, nettest::Reply& reply) {
          gate.pass();
          reply.body = body;
          reply.contentType = type;
        });
  }

  TemporaryHome home_;
  std::unique_ptr<nettest::TestHTTPServer> server_;
  Gate gate_;
};

struct DownloadCall {
  ImagePtr image;
  std::optional<platform::Data> data;
  OptionalError error;
  bool finished = false;
  bool onMainThread = false;
};

// What the blocks of one download heard. Shared with the blocks, which may outlive a test.
class DownloadRecorder : public std::enable_shared_from_this<DownloadRecorder> {
 public:
  static std::shared_ptr<DownloadRecorder> create() { return std::make_shared<DownloadRecorder>(); }

  WIImageDownloaderCompletedBlock completedBlock() {
    return [self = shared_from_this()](const ImagePtr& image,
                                       const std::optional<platform::Data>& data,
                                       const OptionalError& error, bool finished) {
      const bool onMain = platform::RunLoop::isMainThread();
      self->heard_.update([&](Heard& heard) {
        heard.calls.push_back({image, data, error, finished, onMain});
      });
      wakeMainLoop();
    };
  }
  WIImageDownloaderProgressBlock progressBlock() {
    return [self = shared_from_this()](long received, long expected) {
      self->heard_.update([&](Heard& heard) {
        heard.progress.emplace_back(received, expected);
        heard.progressOffMain |= !platform::RunLoop::isMainThread();
      });
      wakeMainLoop();
    };
  }

  std::vector<DownloadCall> calls() const { return heard_.get().calls; }
  std::vector<std::pair<long, long>> progress() const { return heard_.get().progress; }
  bool progressOffMain() const { return heard_.get().progressOffMain; }
  std::size_t finishedCount() const {
    const auto all = calls();
    return std::count_if(all.begin(), all.end(), [](const auto& call) { return call.finished; });
  }
  DownloadCall lastCall() const {
    const auto all = calls();
    return all.empty() ? DownloadCall{} : all.back();
  }
  // Runs the main loop until a finished call arrived; false when the generous bound ran out.
  bool waitUntilFinished() const {
    const bool done = runMainUntil([this] { return finishedCount() > 0; });
    // Progress is posted to the main queue before the completion runs; let it land.
    platform::RunLoop::main().runPending();
    return done;
  }

 private:
  struct Heard {
    std::vector<DownloadCall> calls;
    std::vector<std::pair<long, long>> progress;
    bool progressOffMain = false;
  };
  Locked<Heard> heard_;
};

// The four download notifications, in the order the main thread received them.
class NotificationLog {
 public:
  NotificationLog() {
    for (const char* name :
         {kWIImageDownloadStartNotification, kWIImageDownloadReceiveResponseNotification,
          kWIImageDownloadStopNotification, kWIImageDownloadFinishNotification}) {
      tokens_.push_back(platform::NotificationCenter::defaultCenter().addObserver(
          name, nullptr, [this](const platform::Notification& notification) {
            if (!platform::RunLoop::isMainThread()) offMain_ = true;
            seen_.update([&](auto& seen) {
              seen.emplace_back(notification.name, notification.object.get());
            });
          }));
    }
  }
  // Names posted with `object`, and whether every one of them arrived on the main thread.
  std::vector<std::string> namesFor(const void* object) const {
    std::vector<std::string> names;
    for (const auto& [name, poster] : seen_.get()) {
      if (poster == object) names.push_back(name);
    }
    return names;
  }
  bool allOnMainThread() const { return !offMain_; }
  // Runs the main loop until `count` names for `object` arrived (bounded).
  bool waitForNames(const void* object, std::size_t count) const {
    return runMainUntil([&] { return namesFor(object).size() >= count; });
  }

 private:
  Locked<std::vector<std::pair<std::string, const void*>>> seen_;
  std::atomic<bool> offMain_{false};
  std::vector<platform::ObserverToken> tokens_;
};

// A private URL cache and cookie jar, and a downloader over them.
class ImageServerTest : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    cache_ = platform::URLCache::create(1 << 20, 0, "");
    cookies_ = platform::HTTPCookieStorage::create();
    picture_ = jpegData(24, 16, JpegColor::RGB);
    downloader_ = makeDownloader();
  }
  void TearDown() override {
    ServerTest::TearDown();
    downloader_.reset();
    platform::RunLoop::main().runPending();
  }

  std::shared_ptr<WIImageDownloader> makeDownloader() const {
    auto configuration = platform::URLSessionConfiguration::defaultSessionConfiguration();
    configuration.setURLCache(cache_);
    configuration.setCookieStorage(cookies_);
    return WIImageDownloader::create(configuration);
  }
  // Serves `picture_` as image/jpeg, at once or once the gate opens.
  void serveImage(const std::string& path) { server_->serve(path, picture(), "image/jpeg"); }
  void serveGatedImage(const std::string& path) { serveGated(path, picture(), "image/jpeg"); }
  std::string picture() const { return asString(picture_); }
  // Starts a download of `path` with `downloader_` and records it.
  std::shared_ptr<DownloadRecorder> download(const std::string& path,
                                             WIImageDownloaderOptions options = {},
                                             std::shared_ptr<WIImageOperation>* token = nullptr) {
    auto recorder = DownloadRecorder::create();
    auto made = downloader_->downloadImageWithURL(url(path), options, recorder->progressBlock(),
                                                  recorder->completedBlock());
    if (token) *token = made;
    return recorder;
  }
  static std::shared_ptr<WIImageDownloadToken> tokenOf(
      const std::shared_ptr<WIImageOperation>& operation) {
    return std::dynamic_pointer_cast<WIImageDownloadToken>(operation);
  }

  std::shared_ptr<platform::URLCache> cache_;
  std::shared_ptr<platform::HTTPCookieStorage> cookies_;
  platform::Data picture_;
  std::shared_ptr<WIImageDownloader> downloader_;
};

// Everything the manager (or a view binding) told one caller, in order.
struct Delivery {
  ImagePtr image;
  OptionalError error;
  WIImageCacheType cacheType;
  bool finished;
  OptionalURL url;
  bool onMain;
};

class Deliveries {
 public:
  WIImageCompletionWithFinishedBlock block() {
    return [this](const ImagePtr& image, const OptionalError& error, WIImageCacheType type,
                  bool finished, const OptionalURL& url) {
      const bool onMain = platform::RunLoop::isMainThread();
      list_.update([&](auto& list) {
        list.push_back({image, error, type, finished, url, onMain});
      });
    };
  }
  WIImageCompletionBlock viewBlock() {
    return [completed = block()](const ImagePtr& image, const OptionalError& error,
                                 WIImageCacheType type, const OptionalURL& url) {
      completed(image, error, type, true, url);
    };
  }
  std::vector<Delivery> all() const { return list_.get(); }
  std::size_t size() const { return all().size(); }
  Delivery at(std::size_t index) const { return all().at(index); }
  // Runs the main loop until `count` deliveries arrived (bounded).
  bool waitFor(std::size_t count) const {
    return runMainUntil([&] { return size() >= count; });
  }

 private:
  Locked<std::vector<Delivery>> list_;
};

// A manager over a cache and a downloader of its own.
class ManagerTest : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    cache_ = WIImageCache::create("manager");
    downloader_ = WIImageDownloader::create();
    manager_ = WIImageManager::create(cache_, downloader_);
  }
  void TearDown() override {
    manager_->cancelAll();
    ServerTest::TearDown();
    server_.reset();
    downloadsEnded();
    settle();
  }

  std::shared_ptr<WIImageOperation> load(const std::string& path, Deliveries& into,
                                         WIImageOptions options = WIImageOptions{}) {
    return manager_->downloadImageWithURL(url(path), options, nullptr, into.block());
  }
  // Main queue drained, disk answers posted and run: every load so far has reached the
  // downloader.
  void settle() {
    platform::RunLoop::main().runPending();
    drainImageQueues(*cache_);
  }
  // Download operations finish once their bodies are complete; pictures may still be decoding.
  // The main loop runs meanwhile.
  bool downloadsEnded() {
    return downloader_->downloadQueue()->waitUntilAllOperationsAreFinished(30);
  }
  // Every load has ended: downloaded, decoded and reported.
  bool waitUntilIdle() {
    settle();
    return downloadsEnded() && runMainUntil([&] { return !manager_->isRunning(); });
  }

  std::shared_ptr<WIImageCache> cache_;
  std::shared_ptr<WIImageDownloader> downloader_;
  std::shared_ptr<WIImageManager> manager_;
};

}  // namespace sprout::test
