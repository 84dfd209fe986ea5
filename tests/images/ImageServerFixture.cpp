#include "tests/images/ImageServerFixture.h"

#include <chrono>
#include <cstdint>
#include <random>

#include "platform/dispatch/RunLoop.h"
#include "platform/graphics/ImageEncoder.h"
#include "platform/net/URLSessionConfiguration.h"

namespace sprout::test {

using platform::RunLoop;

platform::Data noisyJpeg(int width, int height) {
  std::mt19937 random(7);
  auto bitmap = paintedBitmap(width, height,
                              [&](int, int) { return 0xFF000000u | (random() & 0x00FFFFFFu); });
  return platform::encodeJPEG(*bitmap, 0.9).value_or(platform::Data{});
}

std::string asString(const platform::Data& data) { return std::string(data.begin(), data.end()); }

namespace {

// A waiting runUntil() sleeps until something is posted; calls from other threads post nothing.
void wakeMainLoop() {
  if (!RunLoop::isMainThread()) RunLoop::main().post([] {});
}

}  // namespace

WIImageDownloaderCompletedBlock DownloadRecorder::completedBlock() {
  return
      [self = shared_from_this()](const ImagePtr& image, const std::optional<platform::Data>& data,
                                  const OptionalError& error, bool finished) {
        {
          std::lock_guard lock(self->mutex_);
          self->calls_.push_back({image, data, error, finished, RunLoop::isMainThread()});
        }
        wakeMainLoop();
      };
}

WIImageDownloaderProgressBlock DownloadRecorder::progressBlock() {
  return [self = shared_from_this()](long received, long expected) {
    {
      std::lock_guard lock(self->mutex_);
      self->progress_.emplace_back(received, expected);
      if (!RunLoop::isMainThread()) self->progressOffMain_ = true;
    }
    wakeMainLoop();
  };
}

std::vector<DownloadCall> DownloadRecorder::calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::vector<std::pair<long, long>> DownloadRecorder::progress() const {
  std::lock_guard lock(mutex_);
  return progress_;
}

bool DownloadRecorder::progressOnlyOnMainThread() const {
  std::lock_guard lock(mutex_);
  return !progressOffMain_;
}

std::size_t DownloadRecorder::finishedCount() const {
  std::lock_guard lock(mutex_);
  std::size_t count = 0;
  for (const auto& call : calls_) count += call.finished ? 1 : 0;
  return count;
}

std::size_t DownloadRecorder::partialCount() const {
  std::lock_guard lock(mutex_);
  std::size_t count = 0;
  for (const auto& call : calls_) count += call.finished ? 0 : 1;
  return count;
}

DownloadCall DownloadRecorder::lastCall() const {
  std::lock_guard lock(mutex_);
  return calls_.empty() ? DownloadCall{} : calls_.back();
}

bool DownloadRecorder::waitUntilFinished() const {
  const bool done = RunLoop::main().runUntil([this] { return finishedCount() > 0; }, 30.0);
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
          std::lock_guard lock(mutex_);
          seen_.emplace_back(notification.name, notification.object.get());
          if (!RunLoop::isMainThread()) offMain_ = true;
        }));
  }
}

std::vector<std::string> NotificationLog::namesFor(const void* object) const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> names;
  for (const auto& [name, poster] : seen_) {
    if (poster == object) names.push_back(name);
  }
  return names;
}

bool NotificationLog::allOnMainThread() const {
  std::lock_guard lock(mutex_);
  return !offMain_;
}

void RequestGate::open() {
  std::lock_guard lock(state_->mutex);
  state_->open = true;
  state_->changed.notify_all();
}

void RequestGate::pass() const {
  std::unique_lock lock(state_->mutex);
  state_->peak = std::max(state_->peak, ++state_->inFlight);
  state_->changed.notify_all();
  state_->changed.wait_for(lock, std::chrono::seconds(30), [&] { return state_->open; });
  --state_->inFlight;
}

bool RequestGate::waitForInFlight(int count) const {
  std::unique_lock lock(state_->mutex);
  return state_->changed.wait_for(lock, std::chrono::seconds(30),
                                  [&] { return state_->inFlight >= count; });
}

int RequestGate::peakInFlight() const {
  std::lock_guard lock(state_->mutex);
  return state_->peak;
}

void ImageServerTest::SetUp() {
  server_ = nettest::TestHTTPServer::start();
  cache_ = platform::URLCache::create(1 << 20, 0, "");
  cookies_ = platform::HTTPCookieStorage::create();
  picture_ = jpegData(24, 16, JpegColor::RGB);
  downloader_ = makeDownloader();
}

void ImageServerTest::TearDown() {
  gate_.open();
  downloader_.reset();
  RunLoop::main().runPending();
}

platform::URL ImageServerTest::url(const std::string& path) const {
  return *platform::URL::parse(server_->url(path));
}

std::shared_ptr<WIImageDownloader> ImageServerTest::makeDownloader() const {
  auto configuration = platform::URLSessionConfiguration::defaultSessionConfiguration();
  configuration.setURLCache(cache_);
  configuration.setCookieStorage(cookies_);
  return WIImageDownloader::create(configuration);
}

void ImageServerTest::serveImage(const std::string& path) {
  server_->serve(path, asString(picture_), "image/jpeg");
}

void ImageServerTest::serveGated(const std::string& path) {
  server_->handle(path, [gate = gate_, body = asString(picture_)](const nettest::RecordedRequest&,
                                                                  nettest::Reply& reply) {
    gate.pass();
    reply.body = body;
    reply.contentType = "image/jpeg";
  });
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

}  // namespace sprout::test
