#include "tests/images/ImageServerFixture.h"

#include <algorithm>

#include "images/WIImageCache.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/net/URLSessionConfiguration.h"

namespace sprout::test {

using platform::RunLoop;

namespace {

// A waiting runUntil() sleeps until something is posted; calls from other threads post nothing.
void wakeMainLoop() {
  if (!RunLoop::isMainThread()) RunLoop::main().post([] {});
}

}  // namespace

std::string pngBody(int width, std::uint32_t argb) {
  return asString(pngData(width, 8, argb, false));
}

void ServerTest::serveGated(const std::string& path, const std::string& body,
                            const std::string& type) {
  server_->handle(
      path, [gate = gate_, body, type](const nettest::RecordedRequest&, nettest::Reply& reply) {
        gate.pass();
        reply.body = body;
        reply.contentType = type;
      });
}

WIImageDownloaderCompletedBlock DownloadRecorder::completedBlock() {
  return
      [self = shared_from_this()](const ImagePtr& image, const std::optional<platform::Data>& data,
                                  const OptionalError& error, bool finished) {
        self->heard_.update([&](Heard& heard) {
          heard.calls.push_back({image, data, error, finished, RunLoop::isMainThread()});
        });
        wakeMainLoop();
      };
}

WIImageDownloaderProgressBlock DownloadRecorder::progressBlock() {
  return [self = shared_from_this()](long received, long expected) {
    self->heard_.update([&](Heard& heard) {
      heard.progress.emplace_back(received, expected);
      heard.progressOffMain |= !RunLoop::isMainThread();
    });
    wakeMainLoop();
  };
}

std::size_t DownloadRecorder::finishedCount() const {
  const auto all = calls();
  return std::count_if(all.begin(), all.end(), [](const auto& call) { return call.finished; });
}

DownloadCall DownloadRecorder::lastCall() const {
  const auto all = calls();
  return all.empty() ? DownloadCall{} : all.back();
}

bool DownloadRecorder::waitUntilFinished() const {
  const bool done = runMainUntil([this] { return finishedCount() > 0; });
  // Progress is posted to the main queue before the completion runs; let it land.
  RunLoop::main().runPending();
  return done;
}

NotificationLog::NotificationLog() {
  for (const char* name :
       {kWIImageDownloadStartNotification, kWIImageDownloadReceiveResponseNotification,
        kWIImageDownloadStopNotification, kWIImageDownloadFinishNotification}) {
    tokens_.push_back(platform::NotificationCenter::defaultCenter().addObserver(
        name, nullptr, [this](const platform::Notification& notification) {
          if (!RunLoop::isMainThread()) offMain_ = true;
          seen_.update(
              [&](auto& seen) { seen.emplace_back(notification.name, notification.object.get()); });
        }));
  }
}

std::vector<std::string> NotificationLog::namesFor(const void* object) const {
  std::vector<std::string> names;
  for (const auto& [name, poster] : seen_.get()) {
    if (poster == object) names.push_back(name);
  }
  return names;
}

bool NotificationLog::waitForNames(const void* object, std::size_t count) const {
  return runMainUntil([&] { return namesFor(object).size() >= count; });
}

void ImageServerTest::SetUp() {
  ServerTest::SetUp();
  cache_ = platform::URLCache::create(1 << 20, 0, "");
  cookies_ = platform::HTTPCookieStorage::create();
  picture_ = jpegData(24, 16, JpegColor::RGB);
  downloader_ = makeDownloader();
}

void ImageServerTest::TearDown() {
  ServerTest::TearDown();
  downloader_.reset();
  RunLoop::main().runPending();
}

std::shared_ptr<WIImageDownloader> ImageServerTest::makeDownloader() const {
  auto configuration = platform::URLSessionConfiguration::defaultSessionConfiguration();
  configuration.setURLCache(cache_);
  configuration.setCookieStorage(cookies_);
  return WIImageDownloader::create(configuration);
}

void ImageServerTest::serveImage(const std::string& path) {
  server_->serve(path, picture(), "image/jpeg");
}

std::shared_ptr<DownloadRecorder> ImageServerTest::download(
    const std::string& path, WIImageDownloaderOptions options,
    std::shared_ptr<WIImageOperation>* token) {
  auto recorder = DownloadRecorder::create();
  auto made = downloader_->downloadImageWithURL(url(path), options, recorder->progressBlock(),
                                                recorder->completedBlock());
  if (token) *token = made;
  return recorder;
}

WIImageCompletionWithFinishedBlock Deliveries::block() {
  return [this](const ImagePtr& image, const OptionalError& error, WIImageCacheType type,
                bool finished, const OptionalURL& url) {
    list_.update([&](auto& list) {
      list.push_back({image, error, type, finished, url, RunLoop::isMainThread()});
    });
  };
}

WIImageCompletionBlock Deliveries::viewBlock() {
  return [completed = block()](const ImagePtr& image, const OptionalError& error,
                               WIImageCacheType type, const OptionalURL& url) {
    completed(image, error, type, true, url);
  };
}

bool Deliveries::waitFor(std::size_t count) const {
  return runMainUntil([&] { return size() >= count; });
}

void ManagerTest::SetUp() {
  ServerTest::SetUp();
  cache_ = WIImageCache::create("manager");
  downloader_ = WIImageDownloader::create();
  manager_ = WIImageManager::create(cache_, downloader_);
}

void ManagerTest::TearDown() {
  manager_->cancelAll();
  ServerTest::TearDown();
  server_.reset();
  downloadsEnded();
  settle();
}

bool ManagerTest::waitUntilIdle() {
  settle();
  return downloadsEnded() && runMainUntil([&] { return !manager_->isRunning(); });
}

}  // namespace sprout::test
