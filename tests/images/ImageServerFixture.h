#pragma once

#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "images/WIImageDownloader.h"
#include "images/WIImageDownloaderTypes.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Types.h"
#include "platform/net/HTTPCookieStorage.h"
#include "platform/net/URLCache.h"
#include "tests/images/ImageTestSupport.h"
#include "tests/support/net_test_server.h"

namespace sprout::test {

// Noise compresses badly, so the picture is long enough to arrive in several chunks.
platform::Data noisyJpeg(int width, int height);
std::string asString(const platform::Data& data);

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
  static std::shared_ptr<DownloadRecorder> create() {
    return std::shared_ptr<DownloadRecorder>(new DownloadRecorder());
  }

  WIImageDownloaderCompletedBlock completedBlock();
  WIImageDownloaderProgressBlock progressBlock();

  std::vector<DownloadCall> calls() const;
  std::vector<std::pair<long, long>> progress() const;
  bool progressOnlyOnMainThread() const;
  std::size_t finishedCount() const;
  std::size_t partialCount() const;
  DownloadCall lastCall() const;
  // Runs the main loop until a finished call arrived; false when the generous bound ran out.
  bool waitUntilFinished() const;

 private:
  DownloadRecorder() = default;

  mutable std::mutex mutex_;
  std::vector<DownloadCall> calls_;
  std::vector<std::pair<long, long>> progress_;
  bool progressOffMain_ = false;
};

// The four download notifications, in the order the main thread received them.
class NotificationLog {
 public:
  NotificationLog();
  // Names posted with `object`, and whether every one of them arrived on the main thread.
  std::vector<std::string> namesFor(const void* object) const;
  bool allOnMainThread() const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::pair<std::string, const void*>> seen_;
  bool offMain_ = false;
  std::vector<platform::ObserverToken> tokens_;
};

// Holds the server's handlers for gated paths until opened, counting the requests in flight.
class RequestGate {
 public:
  RequestGate() : state_(std::make_shared<State>()) {}
  void open();
  // For a handler: waits for open() (bounded, so a failing test cannot hang the server).
  void pass() const;
  int peakInFlight() const;
  // Until `count` handlers wait at the gate (bounded); true when they did.
  bool waitForInFlight(int count) const;

 private:
  struct State {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    int inFlight = 0;
    int peak = 0;
  };
  std::shared_ptr<State> state_;
};

// A loopback server, a fresh home, a private URL cache and cookie jar, and a downloader over them.
class ImageServerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  platform::URL url(const std::string& path) const;
  // A downloader over the private cache and cookies.
  std::shared_ptr<WIImageDownloader> makeDownloader() const;
  // Serves `picture_` (or `body`) as image/jpeg.
  void serveImage(const std::string& path);
  // As serveImage, once the gate opens.
  void serveGated(const std::string& path);
  // Starts a download of `path` with `downloader_` and records it.
  std::shared_ptr<DownloadRecorder> download(const std::string& path,
                                             WIImageDownloaderOptions options = {},
                                             std::shared_ptr<WIImageOperation>* token = nullptr);
  static std::shared_ptr<WIImageDownloadToken> tokenOf(
      const std::shared_ptr<WIImageOperation>& operation) {
    return std::dynamic_pointer_cast<WIImageDownloadToken>(operation);
  }

  TemporaryHome home_;
  std::unique_ptr<nettest::TestHTTPServer> server_;
  std::shared_ptr<platform::URLCache> cache_;
  std::shared_ptr<platform::HTTPCookieStorage> cookies_;
  RequestGate gate_;
  platform::Data picture_;
  std::shared_ptr<WIImageDownloader> downloader_;
};

}  // namespace sprout::test
