#include "images/WIImageDownloaderOperation.h"

#include <algorithm>
#include <utility>

#include "images/WIImageDecodeQueue.h"
#include "images/WIImageForceDecode.h"
#include "images/WIImageKeyScale.h"
#include "images/WIImageMultiFormat.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/net/HTTPURLResponse.h"
#include "platform/net/URLErrors.h"
#include "platform/net/URLProtectionSpace.h"
#include "platform/net/URLSessionConfiguration.h"
#include "platform/ui/Application.h"

namespace sprout {

using platform::Error;

namespace {

std::mutex gScaleKeyMutex;
WIImageDownloaderOperation::ScaleKeyProvider gScaleKeyProvider;

bool hasOption(WIImageDownloaderOptions options, WIImageDownloaderOptions option) {
  return (options & option) != 0;
}

}  // namespace

std::shared_ptr<WIImageDownloaderOperation> WIImageDownloaderOperation::create(
    const platform::URLRequest& request, const std::shared_ptr<platform::URLSession>& session,
    WIImageDownloaderOptions options, WIImageDownloaderProgressBlock progress,
    WIImageDownloaderCompletedBlock completed, WIImageNoParamsBlock cancelled) {
  return std::shared_ptr<WIImageDownloaderOperation>(
      new WIImageDownloaderOperation(request, session, true, options, std::move(progress),
                                     std::move(completed), std::move(cancelled)));
}

std::shared_ptr<WIImageDownloaderOperation> WIImageDownloaderOperation::create(
    const platform::URLRequest& request, WIImageDownloaderOptions options,
    WIImageDownloaderProgressBlock progress, WIImageDownloaderCompletedBlock completed,
    WIImageNoParamsBlock cancelled) {
  return std::shared_ptr<WIImageDownloaderOperation>(
      new WIImageDownloaderOperation(request, nullptr, false, options, std::move(progress),
                                     std::move(completed), std::move(cancelled)));
}

namespace {

// The given session's delegate queue; without a session, a serial queue of the operation's own
// that its session will deliver on.
std::shared_ptr<platform::OperationQueue> delegateQueueFor(
    const std::shared_ptr<platform::URLSession>& session) {
  if (session) return session->delegateQueue();
  auto queue = platform::OperationQueue::create("WIImageDownloaderOperation delegate queue");
  queue->setMaxConcurrentOperationCount(1);
  return queue;
}

}  // namespace

WIImageDownloaderOperation::WIImageDownloaderOperation(
    const platform::URLRequest& request, const std::shared_ptr<platform::URLSession>& session,
    bool hasSession, WIImageDownloaderOptions options, WIImageDownloaderProgressBlock progress,
    WIImageDownloaderCompletedBlock completed, WIImageNoParamsBlock cancelled)
    : request_(request),
      options_(options),
      unownedSession_(session),
      hasSession_(hasSession),
      delegateQueue_(delegateQueueFor(session)),
      progressBlock_(std::move(progress)),
      completedBlock_(std::move(completed)),
      cancelBlock_(std::move(cancelled)) {}

WIImageDownloaderOperation::~WIImageDownloaderOperation() {
  // A session of our own must not outlive us with tasks running for nobody.
  if (ownedSession_) ownedSession_->invalidateAndCancel();
}

platform::ImageOrientation WIImageDownloaderOperation::orientationFromPropertyValue(int value) {
  return wi_exifOrientationToiOSOrientation(value);
}

void WIImageDownloaderOperation::setScaleKeyProvider(ScaleKeyProvider provider) {
  std::lock_guard lock(gScaleKeyMutex);
  gScaleKeyProvider = std::move(provider);
}

std::string WIImageDownloaderOperation::scaleKeyForURL(const platform::URL& url) {
  ScaleKeyProvider provider;
  {
    std::lock_guard lock(gScaleKeyMutex);
    provider = gScaleKeyProvider;
  }
  return provider ? provider(url) : url.absoluteString();
}

std::shared_ptr<WIImageDownloaderOperation> WIImageDownloaderOperation::self() {
  return std::static_pointer_cast<WIImageDownloaderOperation>(weak_from_this().lock());
}

void WIImageDownloaderOperation::runOnDelegateQueue(void (WIImageDownloaderOperation::*step)()) {
  auto me = self();
  if (!me) return;  // being destroyed: nothing left to run for
  delegateQueue_->addOperation([me, step] { ((*me).*step)(); });
}

void WIImageDownloaderOperation::start() {
  if (isFinished()) return;
  // Started in the slot a download just freed on the delegate queue: begin here, not behind
  // every event queued meanwhile.
  if (delegateQueue_->isCurrent()) {
    begin();
    return;
  }
  runOnDelegateQueue(&WIImageDownloaderOperation::begin);
}

void WIImageDownloaderOperation::cancel() {
  if (isFinished() || cancelRequested_.exchange(true)) return;
  platform::Operation::cancel();
  WIImageNoParamsBlock cancelled;
  {
    std::lock_guard lock(stateMutex_);
    cancelled = std::exchange(cancelBlock_, nullptr);
  }
  if (cancelled) cancelled();
  runOnDelegateQueue(&WIImageDownloaderOperation::cancelInternal);
}

void WIImageDownloaderOperation::begin() {
  if (ended_) return;
  if (isCancelled()) {
    done();
    return;
  }
  auto& application = platform::Application::shared();
  auto background = std::make_shared<std::atomic<platform::BackgroundTaskIdentifier>>(
      platform::kInvalidBackgroundTask);
  if (shouldContinueWhenAppEntersBackground()) {
    std::weak_ptr<WIImageDownloaderOperation> weak = self();
    background->store(application.beginBackgroundTask([weak, background, &application] {
      if (auto operation = weak.lock()) operation->cancel();
      const auto id = background->exchange(platform::kInvalidBackgroundTask);
      if (id != platform::kInvalidBackgroundTask) application.endBackgroundTask(id);
    }));
  }

  auto session = sessionForStart();
  auto task = session ? session->dataTaskWithRequest(request_) : nullptr;
  setExecuting(true);
  if (task) {
    urlCache_ = session->configuration().urlCache();
    {
      std::lock_guard lock(stateMutex_);
      dataTask_ = task;
    }
    // Our callbacks only hand work on, except a partial image's wait for the main thread: the
    // network thread may deliver the others itself, saving a thread hand-over per event.
    task->setDeliversOnNetworkThreadWhenIdle(
        !hasOption(options_, WIImageDownloaderProgressiveDownload));
    task->resume();
    if (progressBlock_) progressBlock_(0, platform::URLResponse::kUnknownLength);
    postNotification(kWIImageDownloadStartNotification);
  } else {
    // Without a task nothing would ever end us: finish here so the queue slot is freed.
    if (completedBlock_) {
      completedBlock_(nullptr, std::nullopt,
                      Error::make(platform::kURLErrorDomain, 0, kConnectionErrorText), true);
    }
    done();
  }

  const auto id = background->exchange(platform::kInvalidBackgroundTask);
  if (id != platform::kInvalidBackgroundTask) application.endBackgroundTask(id);
}

std::shared_ptr<platform::URLSession> WIImageDownloaderOperation::sessionForStart() {
  if (hasSession_) return unownedSession_.lock();
  auto configuration = platform::URLSessionConfiguration::defaultSessionConfiguration();
  configuration.setTimeoutIntervalForRequest(kOwnSessionTimeout);
  ownedSession_ = platform::URLSession::create(configuration, self(), delegateQueue_);
  return ownedSession_;
}

void WIImageDownloaderOperation::cancelInternal() {
  if (ended_) return;
  if (auto task = dataTask()) {
    task->cancel();
    postNotification(kWIImageDownloadStopNotification);
    done();
  } else {
    // Not started yet: the queue still starts it, and start ends it at once.
    reset();
  }
}

void WIImageDownloaderOperation::done() {
  if (ended_) return;
  ended_ = true;
  reset();
  finish();
}

void WIImageDownloaderOperation::reset() {
  {
    std::lock_guard lock(stateMutex_);
    cancelBlock_ = nullptr;
    dataTask_.reset();
  }
  progressBlock_ = nullptr;
  completedBlock_ = nullptr;
  imageData_.reset();
  if (ownedSession_) {
    ownedSession_->invalidateAndCancel();
    ownedSession_.reset();
  }
}

std::shared_ptr<platform::URLSessionDataTask> WIImageDownloaderOperation::dataTask() const {
  std::lock_guard lock(stateMutex_);
  return dataTask_;
}

bool WIImageDownloaderOperation::ownsTask(const platform::URLSessionDataTask& task) const {
  std::lock_guard lock(stateMutex_);
  return dataTask_.get() == &task;
}

std::optional<platform::URLCredential> WIImageDownloaderOperation::credential() const {
  std::lock_guard lock(stateMutex_);
  return credential_;
}

void WIImageDownloaderOperation::setCredential(std::optional<platform::URLCredential> credential) {
  std::lock_guard lock(stateMutex_);
  credential_ = std::move(credential);
}

std::shared_ptr<const platform::URLResponse> WIImageDownloaderOperation::response() const {
  std::lock_guard lock(stateMutex_);
  return response_;
}

bool WIImageDownloaderOperation::shouldContinueWhenAppEntersBackground() const {
  return hasOption(options_, WIImageDownloaderContinueInBackground);
}

ImagePtr WIImageDownloaderOperation::scaledImageForKey(const std::string& key,
                                                       const ImagePtr& image) const {
  return image ? WIImageApplyKeyScale(key, image) : nullptr;
}

void WIImageDownloaderOperation::postNotification(const char* name, const char* then) {
  std::shared_ptr<void> object = self();
  platform::runOnMainAsync([name, then, object = std::move(object)] {
    auto& center = platform::NotificationCenter::defaultCenter();
    center.post(name, object);
    if (then) center.post(then, object);
  });
}

}  // namespace sprout

// The session's events for one download operation, all on the delegate queue.
namespace sprout {

using platform::Error;
using platform::URLSessionAuthChallengeDisposition;
using platform::URLSessionResponseDisposition;

namespace {

constexpr long kStatusNotModified = 304;
constexpr long kFirstErrorStatus = 400;

}  // namespace

void WIImageDownloaderOperation::didReceiveResponse(
    platform::URLSession&, const std::shared_ptr<platform::URLSessionDataTask>& task,
    const std::shared_ptr<const platform::URLResponse>& response,
    ResponseHandler completionHandler) {
  // After cancel() the caller hears nothing more, even from events queued before it.
  if (ended_ || cancelRequested_.load() || !task || !ownsTask(*task) || !response) {
    if (completionHandler) completionHandler(URLSessionResponseDisposition::Cancel);
    return;
  }
  auto http = std::dynamic_pointer_cast<const platform::HTTPURLResponse>(response);
  const long status = http ? http->statusCode() : 0;
  if (http && (status >= kFirstErrorStatus || status == kStatusNotModified)) {
    // A 304 nobody asked for carries no image; it is no failure of the URL either, so the
    // callers hear "finished, nothing" rather than an error that would mark the URL failed.
    abort(status == kStatusNotModified
              ? std::nullopt
              : OptionalError(Error{platform::kURLErrorDomain, status, {}}));
  } else if (!acceptsLength(response->expectedContentLength())) {
    abort(platform::makeURLError(platform::URLError::DataLengthExceedsMaximum,
                                 request_.url().absoluteString(), "announced image too large"));
  } else {
    const std::int64_t announced = response->expectedContentLength();
    const std::int64_t expected = announced > 0 ? announced : 0;
    expectedSize_.store(expected);
    if (progressBlock_) progressBlock_(0, static_cast<long>(expected));
    // Empty: the first bytes bring the buffer, made by the session with room for the whole body.
    imageData_.emplace();
    {
      std::lock_guard lock(stateMutex_);
      response_ = response;
    }
    postNotification(kWIImageDownloadReceiveResponseNotification);
  }
  if (completionHandler) completionHandler(URLSessionResponseDisposition::Allow);
}

bool WIImageDownloaderOperation::acceptsLength(std::int64_t length) const {
  return length <= 0 || static_cast<std::uint64_t>(length) <= maximumDataLength();
}

void WIImageDownloaderOperation::abort(const OptionalError& error) {
  if (auto task = dataTask()) task->cancel();
  postNotification(kWIImageDownloadStopNotification);
  if (completedBlock_) completedBlock_(nullptr, std::nullopt, error, true);
  done();
}

void WIImageDownloaderOperation::didReceiveData(
    platform::URLSession&, const std::shared_ptr<platform::URLSessionDataTask>& task,
    const platform::Data& data) {
  receiveData(task, data, nullptr);
}

void WIImageDownloaderOperation::didReceiveOwnedData(
    platform::URLSession&, const std::shared_ptr<platform::URLSessionDataTask>& task,
    platform::Data&& data) {
  receiveData(task, data, &data);
}

void WIImageDownloaderOperation::receiveData(
    const std::shared_ptr<platform::URLSessionDataTask>& task, const platform::Data& data,
    platform::Data* handedOver) {
  if (ended_ || cancelRequested_.load() || !task || !ownsTask(*task)) return;
  if (!imageData_) imageData_.emplace();
  const std::size_t received = imageData_->size() + data.size();
  if (received > maximumDataLength()) {
    abort(platform::makeURLError(platform::URLError::DataLengthExceedsMaximum,
                                 request_.url().absoluteString(), "image body too large"));
    return;
  }
  if (imageData_->empty() && handedOver) {
    *imageData_ = std::move(*handedOver);
  } else {
    if (imageData_->empty()) {
      // Room for what was announced, as far as an announcement is believed before it arrives.
      imageData_->reserve(
          std::max(data.size(), std::min(static_cast<std::size_t>(expectedSize_.load()),
                                         platform::URLSessionDataTask::kMaxBodyReservation)));
    }
    imageData_->insert(imageData_->end(), data.begin(), data.end());
  }
  if (hasOption(options_, WIImageDownloaderProgressiveDownload) && expectedSize_.load() > 0 &&
      completedBlock_) {
    deliverPartialImage();
  }
  if (progressBlock_) {
    progressBlock_(static_cast<long>(received), static_cast<long>(expectedSize_.load()));
  }
}

void WIImageDownloaderOperation::deliverPartialImage() {
  ImagePtr image = progressive_.update(*imageData_, expectedSize_.load());
  width_.store(progressive_.width());
  height_.store(progressive_.height());
  orientation_.store(progressive_.orientation());
  if (!image) return;
  image = finishImage(image);
  // The block is ours and stays put: this queue waits until the main thread has run it.
  const WIImageDownloaderCompletedBlock& completed = completedBlock_;
  platform::runOnMainSync([&] {
    // The main thread may have cancelled us while this queue waited for it.
    if (!cancelRequested_.load()) completed(image, std::nullopt, std::nullopt, false);
  });
}

ImagePtr WIImageDownloaderOperation::finishImage(const ImagePtr& image) const {
  ImagePtr scaled = scaledImageForKey(scaleKeyForURL(request_.url()), image);
  if (scaled && !scaled->isAnimated() && shouldDecompressImages()) {
    scaled = decodedImageWithImage(scaled);
  }
  return scaled;
}

void WIImageDownloaderOperation::willCacheResponse(
    platform::URLSession&, const std::shared_ptr<platform::URLSessionDataTask>& task,
    const platform::CachedURLResponse& proposedResponse, CacheHandler completionHandler) {
  if (!ended_ && task && ownsTask(*task)) responseFromCached_.store(false);
  if (!completionHandler) return;
  const bool ignoresCache =
      request_.cachePolicy() == platform::URLRequestCachePolicy::ReloadIgnoringLocalCacheData;
  completionHandler(ignoresCache ? std::nullopt : std::optional(proposedResponse));
}

void WIImageDownloaderOperation::didCompleteWithError(
    platform::URLSession&, const std::shared_ptr<platform::URLSessionDataTask>& task,
    const std::optional<platform::Error>& error) {
  if (ended_ || !task || !ownsTask(*task)) return;
  if (cancelRequested_.load()) {
    cancelInternal();  // ends us now; the cancel step queued behind finds us ended
    return;
  }
  {
    std::lock_guard lock(stateMutex_);
    dataTask_.reset();
  }
  postNotification(kWIImageDownloadStopNotification,
                   error ? nullptr : kWIImageDownloadFinishNotification);
  const WIImageDownloaderCompletedBlock completed = completedBlock_;
  if (completed) {
    if (error) {
      completed(nullptr, std::nullopt, error, true);
    } else {
      deliverFinalImage(completed);
    }
  }
  setCompletionBlock(nullptr);
  // The body is complete: the download slot is free while the picture decodes elsewhere.
  done();
}

void WIImageDownloaderOperation::deliverFinalImage(
    const WIImageDownloaderCompletedBlock& completed) {
  if (hasOption(options_, WIImageDownloaderIgnoreCachedResponse) && responseFromCached_.load() &&
      cachedResponseExists()) {
    completed(nullptr, std::nullopt, std::nullopt, true);
    return;
  }
  if (!imageData_) {
    completed(nullptr, std::nullopt, Error::make(kWIImageErrorDomain, 0, kNilDataErrorText), true);
    return;
  }
  // Decoded on the concurrent decode queue, not here: this queue serves every download of the
  // session, and a decode costs far more than moving the bytes. Partial images were delivered
  // (synchronously) before the body was complete, so the final image cannot overtake them.
  WIImageDecodeQueue()->async(
      [self = self(), completed, data = std::exchange(imageData_, std::nullopt)]() mutable {
        ImagePtr image = self->finishImage(wi_imageWithData(*data));
        const bool empty = !image || image->size().width <= 0 || image->size().height <= 0;
        if (empty) {
          completed(nullptr, std::nullopt,
                    Error::make(kWIImageErrorDomain, 0, kZeroPixelsErrorText), true);
          return;
        }
        // Handed over, not copied: the operation is done with the bytes.
        completed(image, std::move(data), std::nullopt, true);
      });
}

bool WIImageDownloaderOperation::cachedResponseExists() const {
  auto cache = urlCache_ ? urlCache_ : platform::URLCache::sharedURLCache();
  return cache && cache->cachedResponseForRequest(request_).has_value();
}

void WIImageDownloaderOperation::didReceiveChallenge(
    platform::URLSession&, const std::shared_ptr<platform::URLSessionDataTask>& task,
    const platform::URLAuthenticationChallenge& challenge, ChallengeHandler completionHandler) {
  if (!completionHandler) return;
  if (ended_ || !task || !ownsTask(*task)) {
    completionHandler(URLSessionAuthChallengeDisposition::PerformDefaultHandling, std::nullopt);
    return;
  }
  const auto& space = challenge.protectionSpace();
  if (space.authenticationMethod() == platform::kURLAuthenticationMethodServerTrust) {
    if (hasOption(options_, WIImageDownloaderAllowInvalidSSLCertificates) && space.serverTrust()) {
      completionHandler(URLSessionAuthChallengeDisposition::UseCredential,
                        platform::URLCredential::forTrust(*space.serverTrust()));
    } else {
      completionHandler(URLSessionAuthChallengeDisposition::PerformDefaultHandling, std::nullopt);
    }
    return;
  }
  auto given = credential();
  if (challenge.previousFailureCount() == 0 && given) {
    completionHandler(URLSessionAuthChallengeDisposition::UseCredential, std::move(given));
  } else {
    completionHandler(URLSessionAuthChallengeDisposition::CancelAuthenticationChallenge,
                      std::nullopt);
  }
}

}  // namespace sprout
