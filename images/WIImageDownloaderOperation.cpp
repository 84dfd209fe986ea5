#include "images/WIImageDownloaderOperation.h"

#include <utility>

#include "images/WIImageKeyScale.h"
#include "images/WIImageMultiFormat.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/NotificationCenter.h"
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
