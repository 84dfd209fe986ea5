#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "images/WIImageDownloaderTypes.h"
#include "images/WIImageOperation.h"
#include "images/WIImageProgressiveDecoder.h"
#include "images/WIImageTypes.h"
#include "platform/dispatch/Operation.h"
#include "platform/dispatch/OperationQueue.h"
#include "platform/graphics/ImageOrientation.h"
#include "platform/net/URLCache.h"
#include "platform/net/URLCredential.h"
#include "platform/net/URLRequest.h"
#include "platform/net/URLResponse.h"
#include "platform/net/URLSession.h"
#include "platform/net/URLSessionDataDelegate.h"
#include "platform/net/URLSessionDataTask.h"

namespace sprout {

// Downloads one image over one data task. An asynchronous operation: start() launches the task
// and the session's events (forwarded by the downloader, or straight from a session of its own)
// carry it to its end: status check, bytes, partial images, decoding, one final report.
//
// Threads: all download state is touched only on the session's delegate queue (the
// operation's own serial queue when it makes its own session). start() and cancel() may be called
// from any thread; they hand their work to that queue. Progress runs on the delegate queue; partial
// images reach the completion block on the main thread; the final image is decoded, and reported,
// on the image decode queue, the operation having finished once its body was complete.
class WIImageDownloaderOperation : public platform::Operation,
                                   public platform::URLSessionDataDelegate,
                                   public WIImageOperation {
 public:
  // What one image may make us hold in memory, announced or received.
  static constexpr std::size_t kDefaultMaximumDataLength = std::size_t{64} << 20;
  static constexpr platform::TimeInterval kOwnSessionTimeout = 15.0;
  static constexpr char kConnectionErrorText[] = "Connection can't be initialized";
  static constexpr char kZeroPixelsErrorText[] = "Downloaded image has 0 pixels";
  static constexpr char kNilDataErrorText[] = "Image data is nil";

  using ScaleKeyProvider = std::function<std::string(const platform::URL& url)>;

  // `session` is held weakly; the downloader owns it.
  static std::shared_ptr<WIImageDownloaderOperation> create(
      const platform::URLRequest& request, const std::shared_ptr<platform::URLSession>& session,
      WIImageDownloaderOptions options, WIImageDownloaderProgressBlock progress,
      WIImageDownloaderCompletedBlock completed, WIImageNoParamsBlock cancelled);
  // Makes a session of its own when it starts (15 s timeout, itself as delegate).
  static std::shared_ptr<WIImageDownloaderOperation> create(
      const platform::URLRequest& request, WIImageDownloaderOptions options,
      WIImageDownloaderProgressBlock progress, WIImageDownloaderCompletedBlock completed,
      WIImageNoParamsBlock cancelled);

  ~WIImageDownloaderOperation() override;

  // EXIF orientation 1...8 to the image orientation; anything else is Up.
  static platform::ImageOrientation orientationFromPropertyValue(int value);
  // The cache key whose "@2x."/"@3x." sets the scale of downloaded images. The manager installs
  // its own cacheKeyForURL here; until then the key is the URL's absolute string.
  static void setScaleKeyProvider(ScaleKeyProvider provider);
  static std::string scaleKeyForURL(const platform::URL& url);

  void start() override;
  // Runs the cancel block at once (the downloader forgets the URL's callbacks), then stops the
  // task on the delegate queue. Nothing is reported to the completion block afterwards.
  void cancel() override;
  bool isAsynchronous() const override { return true; }
  bool isConcurrent() const { return true; }

  const platform::URLRequest& request() const { return request_; }
  WIImageDownloaderOptions options() const { return options_; }
  std::shared_ptr<platform::URLSessionDataTask> dataTask() const;
  // True when `task` is this operation's current data task.
  bool ownsTask(const platform::URLSessionDataTask& task) const;
  std::optional<platform::URLCredential> credential() const;
  void setCredential(std::optional<platform::URLCredential> credential);
  bool shouldDecompressImages() const { return shouldDecompress_.load(); }
  void setShouldDecompressImages(bool value) { shouldDecompress_.store(value); }
  std::size_t maximumDataLength() const { return maximumDataLength_.load(); }
  void setMaximumDataLength(std::size_t bytes) { maximumDataLength_.store(bytes); }
  // Bytes the response announced; 0 before the response and when it announced none.
  std::int64_t expectedSize() const { return expectedSize_.load(); }
  std::shared_ptr<const platform::URLResponse> response() const;
  bool responseFromCached() const { return responseFromCached_.load(); }
  // The progressive picture's pixel size and orientation; 0 until known.
  int width() const { return width_.load(); }
  int height() const { return height_.load(); }
  platform::ImageOrientation orientation() const { return orientation_.load(); }
  bool shouldContinueWhenAppEntersBackground() const;
  ImagePtr scaledImageForKey(const std::string& key, const ImagePtr& image) const;

  // Session events; each must arrive on the delegate queue.
  void didReceiveResponse(platform::URLSession& session,
                          const std::shared_ptr<platform::URLSessionDataTask>& task,
                          const std::shared_ptr<const platform::URLResponse>& response,
                          ResponseHandler completionHandler) override;
  void didReceiveData(platform::URLSession& session,
                      const std::shared_ptr<platform::URLSessionDataTask>& task,
                      const platform::Data& data) override;
  // The first bytes become the body buffer itself (no copy); later ones are appended.
  void didReceiveOwnedData(platform::URLSession& session,
                           const std::shared_ptr<platform::URLSessionDataTask>& task,
                           platform::Data&& data) override;
  void willCacheResponse(platform::URLSession& session,
                         const std::shared_ptr<platform::URLSessionDataTask>& task,
                         const platform::CachedURLResponse& proposedResponse,
                         CacheHandler completionHandler) override;
  void didCompleteWithError(platform::URLSession& session,
                            const std::shared_ptr<platform::URLSessionDataTask>& task,
                            const std::optional<platform::Error>& error) override;
  void didReceiveChallenge(platform::URLSession& session,
                           const std::shared_ptr<platform::URLSessionDataTask>& task,
                           const platform::URLAuthenticationChallenge& challenge,
                           ChallengeHandler completionHandler) override;

 protected:
  WIImageDownloaderOperation(const platform::URLRequest& request,
                             const std::shared_ptr<platform::URLSession>& session, bool hasSession,
                             WIImageDownloaderOptions options,
                             WIImageDownloaderProgressBlock progress,
                             WIImageDownloaderCompletedBlock completed,
                             WIImageNoParamsBlock cancelled);

  // Delegate queue only.
  void done();
  void reset();
  void cancelInternal();

 private:
  std::shared_ptr<WIImageDownloaderOperation> self();
  void runOnDelegateQueue(void (WIImageDownloaderOperation::*step)());
  void begin();
  std::shared_ptr<platform::URLSession> sessionForStart();
  // Stops the task and ends with `error` (nullopt: no image, no error).
  void abort(const OptionalError& error);
  bool acceptsLength(std::int64_t length) const;
  // `handedOver` is `data` itself when the caller gives the buffer away.
  void receiveData(const std::shared_ptr<platform::URLSessionDataTask>& task,
                   const platform::Data& data, platform::Data* handedOver);
  void deliverPartialImage();
  void deliverFinalImage(const WIImageDownloaderCompletedBlock& completed);
  bool cachedResponseExists() const;
  ImagePtr finishImage(const ImagePtr& image) const;
  // Posted on the main queue; a second name follows the first in the same main-queue task.
  void postNotification(const char* name, const char* then = nullptr);

  const platform::URLRequest request_;
  const WIImageDownloaderOptions options_;
  const std::weak_ptr<platform::URLSession> unownedSession_;
  const bool hasSession_;
  const std::shared_ptr<platform::OperationQueue> delegateQueue_;

  // Delegate queue only.
  WIImageDownloaderProgressBlock progressBlock_;
  WIImageDownloaderCompletedBlock completedBlock_;
  std::optional<platform::Data> imageData_;
  std::shared_ptr<platform::URLSession> ownedSession_;
  std::shared_ptr<platform::URLCache> urlCache_;
  WIImageProgressiveDecoder progressive_;
  bool ended_ = false;

  // Read from any thread.
  mutable std::mutex stateMutex_;
  WIImageNoParamsBlock cancelBlock_;
  std::shared_ptr<platform::URLSessionDataTask> dataTask_;
  std::shared_ptr<const platform::URLResponse> response_;
  std::optional<platform::URLCredential> credential_;
  std::atomic<bool> cancelRequested_{false};
  std::atomic<bool> shouldDecompress_{true};
  std::atomic<bool> responseFromCached_{true};
  std::atomic<std::size_t> maximumDataLength_{kDefaultMaximumDataLength};
  std::atomic<std::int64_t> expectedSize_{0};
  std::atomic<int> width_{0};
  std::atomic<int> height_{0};
  std::atomic<platform::ImageOrientation> orientation_{platform::ImageOrientation::Up};
};

}  // namespace sprout
