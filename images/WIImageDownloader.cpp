#include "images/WIImageDownloader.h"

#include <algorithm>
#include <mutex>
#include <utility>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/BindWeak.h"

namespace sprout {

using platform::QueuePriorityLevel;

namespace {

bool hasOption(WIImageDownloaderOptions options, WIImageDownloaderOptions option) {
  return (options & option) != 0;
}

WIImageDownloaderOperationFactory defaultFactory() {
  return
      [](const platform::URLRequest& request, const std::shared_ptr<platform::URLSession>& session,
         WIImageDownloaderOptions options, WIImageDownloaderProgressBlock progress,
         WIImageDownloaderCompletedBlock completed, WIImageNoParamsBlock cancelled) {
        return WIImageDownloaderOperation::create(request, session, options, std::move(progress),
                                                  std::move(completed), std::move(cancelled));
      };
}

}  // namespace

WIImageDownloader::WIImageDownloader()
    : operationFactory_(defaultFactory()),
      HTTPHeaders_{{"Accept", kAcceptHeaderValue}},
      downloadQueue_(platform::OperationQueue::create(kDownloadQueueName)),
      barrierQueue_(platform::DispatchQueue::createConcurrent(kBarrierQueueLabel)) {
  downloadQueue_->setMaxConcurrentOperationCount(kDefaultMaxConcurrentDownloads);
}

std::shared_ptr<WIImageDownloader> WIImageDownloader::sharedDownloader() {
  static std::once_flag once;
  static std::shared_ptr<WIImageDownloader> shared;
  std::call_once(once, [] { shared = create(); });
  return shared;
}

std::shared_ptr<WIImageDownloader> WIImageDownloader::create() {
  return create(platform::URLSessionConfiguration::defaultSessionConfiguration());
}

std::shared_ptr<WIImageDownloader> WIImageDownloader::create(
    platform::URLSessionConfiguration configuration) {
  std::shared_ptr<WIImageDownloader> downloader(new WIImageDownloader());
  downloader->makeSession(std::move(configuration));
  return downloader;
}

void WIImageDownloader::makeSession(platform::URLSessionConfiguration configuration) {
  configuration.setTimeoutIntervalForRequest(kDefaultDownloadTimeout);
  // The session holds us weakly, so owning it makes no cycle.
  session_ = platform::URLSession::create(std::move(configuration), shared_from_this());
}

WIImageDownloader::~WIImageDownloader() {
  if (session_) session_->invalidateAndCancel();
  session_.reset();
  downloadQueue_->cancelAllOperations();
}

std::shared_ptr<WIImageOperation> WIImageDownloader::downloadImageWithURL(
    const OptionalURL& url, WIImageDownloaderOptions options,
    WIImageDownloaderProgressBlock progress, WIImageDownloaderCompletedBlock completed) {
  return addProgressCallback(std::move(progress), std::move(completed), url,
                             [this, &url, options](std::uint64_t downloadId) {
                               return makeOperation(*url, options, downloadId);
                             });
}

std::shared_ptr<WIImageDownloadToken> WIImageDownloader::addProgressCallback(
    WIImageDownloaderProgressBlock progress, WIImageDownloaderCompletedBlock completed,
    const OptionalURL& url, const CreateCallback& create) {
  if (!url) {
    if (completed) completed(nullptr, std::nullopt, std::nullopt, false);
    return nullptr;
  }
  auto entry = std::make_shared<WIImageDownloaderCallbackEntry>();
  entry->progress = std::move(progress);
  entry->completed = std::move(completed);
  std::uint64_t downloadId = 0;
  std::weak_ptr<WIImageDownloaderOperation> operation;
  bool joined = false;
  bool failed = false;
  barrierQueue_->barrierSync([&] {
    auto [it, first] = URLCallbacks_.try_emplace(*url);
    CallbackList& list = it->second;
    list.entries.push_back(entry);
    joined = !first;
    downloadId = list.downloadId;
    if (first) {
      downloadId = list.downloadId = nextDownloadId_.fetch_add(1);
      auto made = create ? create(downloadId) : nullptr;
      // A list without a download would swallow every later request for the URL.
      failed = create && !made;
      if (failed) {
        URLCallbacks_.erase(it);
        return;
      }
      list.operation = made;
    }
    operation = list.operation;
  });
  if (failed) {
    if (entry->completed) {
      entry->completed(nullptr, std::nullopt,
                       platform::Error::make(platform::kURLErrorDomain, 0,
                                             WIImageDownloaderOperation::kConnectionErrorText),
                       true);
    }
    return nullptr;
  }
  return std::make_shared<WIImageDownloadToken>(weak_from_this(), *url, downloadId,
                                                std::move(entry), std::move(operation), joined);
}

platform::URLRequest WIImageDownloader::makeRequest(const platform::URL& url,
                                                    WIImageDownloaderOptions options) const {
  platform::TimeInterval timeout;
  WIImageDownloaderHeadersFilterBlock filter;
  platform::HTTPHeaderFields headers;
  {
    std::lock_guard lock(settingsMutex_);
    timeout = downloadTimeout_ == 0 ? kDefaultDownloadTimeout : downloadTimeout_;
    filter = headersFilter_;
    headers = HTTPHeaders_;
  }
  // Caching twice (the URL cache and the image cache) wastes memory unless the caller asks.
  const auto policy = hasOption(options, WIImageDownloaderUseNSURLCache)
                          ? platform::URLRequestCachePolicy::UseProtocolCachePolicy
                          : platform::URLRequestCachePolicy::ReloadIgnoringLocalCacheData;
  platform::URLRequest request(url, policy, timeout);
  request.setHTTPShouldHandleCookies(hasOption(options, WIImageDownloaderHandleCookies));
  request.setHTTPShouldUsePipelining(true);
  request.setAllHTTPHeaderFields(filter ? filter(url, headers) : std::move(headers));
  return request;
}

std::optional<platform::URLCredential> WIImageDownloader::credentialForOperation() const {
  std::lock_guard lock(settingsMutex_);
  if (urlCredential_) return urlCredential_;
  if (username_ && password_) {
    return platform::URLCredential(*username_, *password_,
                                   platform::URLCredentialPersistence::ForSession);
  }
  return std::nullopt;
}

std::shared_ptr<WIImageDownloaderOperation> WIImageDownloader::makeOperation(
    const platform::URL& url, WIImageDownloaderOptions options, std::uint64_t downloadId) {
  const std::weak_ptr<WIImageDownloader> weak = weak_from_this();
  auto progress = platform::bindWeak(weak, &WIImageDownloader::reportProgress, url, downloadId);
  auto completed = platform::bindWeak(weak, &WIImageDownloader::reportCompletion, url, downloadId);
  auto cancelled = platform::bindWeak(weak, &WIImageDownloader::removeCallbacks, url, downloadId);
  WIImageDownloaderOperationFactory factory;
  bool decompress;
  std::size_t maximumLength;
  {
    std::lock_guard lock(settingsMutex_);
    factory = operationFactory_;
    decompress = shouldDecompressImages_;
    maximumLength = maximumImageDataLength_;
  }
  auto operation = factory(makeRequest(url, options), session_, options, std::move(progress),
                           std::move(completed), std::move(cancelled));
  if (!operation) return nullptr;
  operation->setShouldDecompressImages(decompress);
  operation->setMaximumDataLength(maximumLength);
  operation->setCredential(credentialForOperation());
  enqueue(operation, options);
  return operation;
}

void WIImageDownloader::enqueue(const std::shared_ptr<WIImageDownloaderOperation>& operation,
                                WIImageDownloaderOptions options) {
  if (hasOption(options, WIImageDownloaderHighPriority)) {
    operation->setQueuePriority(QueuePriorityLevel::High);
  } else if (hasOption(options, WIImageDownloaderLowPriority)) {
    operation->setQueuePriority(QueuePriorityLevel::Low);
  }
  std::shared_ptr<platform::Operation> previous;
  bool lifo;
  {
    std::lock_guard lock(settingsMutex_);
    lifo = executionOrder_ == WIImageDownloaderLIFOExecutionOrder;
    if (lifo) {
      previous = lastAddedOperation_.lock();
      lastAddedOperation_ = operation;
    }
  }
  // The newest waiting request goes first: the one added before it now waits for it.
  if (previous) previous->addDependency(operation);
  downloadQueue_->addOperation(operation);
}

// --- settings

bool WIImageDownloader::shouldDecompressImages() const {
  std::lock_guard lock(settingsMutex_);
  return shouldDecompressImages_;
}

void WIImageDownloader::setShouldDecompressImages(bool value) {
  std::lock_guard lock(settingsMutex_);
  shouldDecompressImages_ = value;
}

platform::TimeInterval WIImageDownloader::downloadTimeout() const {
  std::lock_guard lock(settingsMutex_);
  return downloadTimeout_;
}

void WIImageDownloader::setDownloadTimeout(platform::TimeInterval seconds) {
  std::lock_guard lock(settingsMutex_);
  downloadTimeout_ = seconds;
}

WIImageDownloaderExecutionOrder WIImageDownloader::executionOrder() const {
  std::lock_guard lock(settingsMutex_);
  return executionOrder_;
}

void WIImageDownloader::setExecutionOrder(WIImageDownloaderExecutionOrder order) {
  std::lock_guard lock(settingsMutex_);
  executionOrder_ = order;
}

std::optional<platform::URLCredential> WIImageDownloader::urlCredential() const {
  std::lock_guard lock(settingsMutex_);
  return urlCredential_;
}

void WIImageDownloader::setUrlCredential(std::optional<platform::URLCredential> credential) {
  std::lock_guard lock(settingsMutex_);
  urlCredential_ = std::move(credential);
}

std::optional<std::string> WIImageDownloader::username() const {
  std::lock_guard lock(settingsMutex_);
  return username_;
}

void WIImageDownloader::setUsername(std::optional<std::string> username) {
  std::lock_guard lock(settingsMutex_);
  username_ = std::move(username);
}

std::optional<std::string> WIImageDownloader::password() const {
  std::lock_guard lock(settingsMutex_);
  return password_;
}

void WIImageDownloader::setPassword(std::optional<std::string> password) {
  std::lock_guard lock(settingsMutex_);
  password_ = std::move(password);
}

WIImageDownloaderHeadersFilterBlock WIImageDownloader::headersFilter() const {
  std::lock_guard lock(settingsMutex_);
  return headersFilter_;
}

void WIImageDownloader::setHeadersFilter(WIImageDownloaderHeadersFilterBlock filter) {
  std::lock_guard lock(settingsMutex_);
  headersFilter_ = std::move(filter);
}

std::size_t WIImageDownloader::maximumImageDataLength() const {
  std::lock_guard lock(settingsMutex_);
  return maximumImageDataLength_;
}

void WIImageDownloader::setMaximumImageDataLength(std::size_t bytes) {
  std::lock_guard lock(settingsMutex_);
  maximumImageDataLength_ = bytes;
}

WIImageDownloaderOperationFactory WIImageDownloader::operationClass() const {
  std::lock_guard lock(settingsMutex_);
  return operationFactory_;
}

void WIImageDownloader::setOperationClass(WIImageDownloaderOperationFactory factory) {
  std::lock_guard lock(settingsMutex_);
  operationFactory_ = factory ? std::move(factory) : defaultFactory();
}

void WIImageDownloader::setValue(const std::optional<std::string>& value,
                                 const std::string& field) {
  std::lock_guard lock(settingsMutex_);
  if (value) {
    HTTPHeaders_[field] = *value;
  } else {
    HTTPHeaders_.erase(field);
  }
}

std::optional<std::string> WIImageDownloader::valueForHTTPHeaderField(
    const std::string& field) const {
  std::lock_guard lock(settingsMutex_);
  auto it = HTTPHeaders_.find(field);
  if (it == HTTPHeaders_.end()) return std::nullopt;
  return it->second;
}

platform::HTTPHeaderFields WIImageDownloader::HTTPHeaders() const {
  std::lock_guard lock(settingsMutex_);
  return HTTPHeaders_;
}

int WIImageDownloader::maxConcurrentDownloads() const {
  return downloadQueue_->maxConcurrentOperationCount();
}

void WIImageDownloader::setMaxConcurrentDownloads(int count) {
  downloadQueue_->setMaxConcurrentOperationCount(count);
}

std::size_t WIImageDownloader::currentDownloadCount() const {
  return downloadQueue_->operationCount();
}

void WIImageDownloader::setSuspended(bool suspended) { downloadQueue_->setSuspended(suspended); }

void WIImageDownloader::cancelAllDownloads() { downloadQueue_->cancelAllOperations(); }

}  // namespace sprout

// The per-URL callback lists of the downloader and the session events it forwards.
namespace sprout {

using EntryPtr = std::shared_ptr<WIImageDownloaderCallbackEntry>;

void WIImageDownloader::reportProgress(const platform::URL& url, std::uint64_t downloadId,
                                       long received, long expected) {
  std::vector<EntryPtr> entries;
  // A plain read: progress readers may run side by side, never beside a change.
  barrierQueue_->sync([&] {
    auto it = URLCallbacks_.find(url);
    if (it != URLCallbacks_.end() && it->second.downloadId == downloadId) {
      entries = it->second.entries;
    }
  });
  std::erase_if(entries, [](const EntryPtr& entry) { return !entry->progress; });
  if (entries.empty()) return;
  // One main-queue task per chunk, however many callers share the download.
  platform::runOnMainAsync([entries = std::move(entries), received, expected] {
    for (const auto& entry : entries) {
      if (!entry->cancelled.load()) entry->progress(received, expected);
    }
  });
}

void WIImageDownloader::reportCompletion(const platform::URL& url, std::uint64_t downloadId,
                                         const ImagePtr& image,
                                         const std::optional<platform::Data>& data,
                                         const OptionalError& error, bool finished) {
  std::vector<EntryPtr> entries;
  auto take = [&] {
    auto it = URLCallbacks_.find(url);
    // A list made for a later download of the same URL is none of this download's business.
    if (it == URLCallbacks_.end() || it->second.downloadId != downloadId) return;
    entries = it->second.entries;
    if (finished) URLCallbacks_.erase(it);
  };
  // A partial image only reads the list; the final report removes it.
  if (finished) {
    barrierQueue_->barrierSync(take);
  } else {
    barrierQueue_->sync(take);
  }
  for (const auto& entry : entries) {
    if (entry->completed && !entry->cancelled.load())
      entry->completed(image, data, error, finished);
  }
}

void WIImageDownloader::removeCallbacks(const platform::URL& url, std::uint64_t downloadId) {
  barrierQueue_->barrierSync([&] {
    auto it = URLCallbacks_.find(url);
    if (it != URLCallbacks_.end() && it->second.downloadId == downloadId) URLCallbacks_.erase(it);
  });
}

void WIImageDownloader::cancelCallback(const platform::URL& url, std::uint64_t downloadId,
                                       const EntryPtr& entry) {
  entry->cancelled.store(true);
  std::shared_ptr<WIImageDownloaderOperation> orphaned;
  barrierQueue_->barrierSync([&] {
    auto it = URLCallbacks_.find(url);
    if (it == URLCallbacks_.end() || it->second.downloadId != downloadId) return;
    auto& entries = it->second.entries;
    entries.erase(std::remove(entries.begin(), entries.end(), entry), entries.end());
    if (entries.empty()) {
      // Removed here, at once, so a request that follows starts a download of its own.
      orphaned = it->second.operation.lock();
      URLCallbacks_.erase(it);
    }
  });
  // Outside the barrier: cancelling runs the operation's cancel block, which takes it again.
  if (orphaned) orphaned->cancel();
}

std::shared_ptr<WIImageDownloaderOperation> WIImageDownloader::operationWithTask(
    const platform::URLSessionDataTask& task) const {
  {
    std::lock_guard lock(taskOwnersMutex_);
    auto it = taskOwners_.find(&task);
    if (it != taskOwners_.end()) {
      auto operation = it->second.lock();
      if (operation && operation->ownsTask(task)) return operation;
      taskOwners_.erase(it);
    }
  }
  for (const auto& queued : downloadQueue_->operations()) {
    auto operation = std::dynamic_pointer_cast<WIImageDownloaderOperation>(queued);
    if (operation && operation->ownsTask(task)) {
      std::lock_guard lock(taskOwnersMutex_);
      taskOwners_[&task] = operation;
      return operation;
    }
  }
  return nullptr;
}

void WIImageDownloader::forgetTask(const platform::URLSessionDataTask& task) {
  std::lock_guard lock(taskOwnersMutex_);
  taskOwners_.erase(&task);
}

// Events for a task no queued operation owns (it was cancelled, or has ended) reach nobody:
// the response is refused, nothing is stored and challenges get the default handling.
void WIImageDownloader::didReceiveResponse(
    platform::URLSession& session, const std::shared_ptr<platform::URLSessionDataTask>& task,
    const std::shared_ptr<const platform::URLResponse>& response,
    ResponseHandler completionHandler) {
  if (auto operation = operationWithTask(*task)) {
    operation->didReceiveResponse(session, task, response, std::move(completionHandler));
  } else if (completionHandler) {
    completionHandler(platform::URLSessionResponseDisposition::Cancel);
  }
}

void WIImageDownloader::didReceiveData(platform::URLSession& session,
                                       const std::shared_ptr<platform::URLSessionDataTask>& task,
                                       const platform::Data& data) {
  if (auto operation = operationWithTask(*task)) operation->didReceiveData(session, task, data);
}

void WIImageDownloader::didReceiveOwnedData(
    platform::URLSession& session, const std::shared_ptr<platform::URLSessionDataTask>& task,
    platform::Data&& data) {
  if (auto operation = operationWithTask(*task)) {
    operation->didReceiveOwnedData(session, task, std::move(data));
  }
}

void WIImageDownloader::willCacheResponse(platform::URLSession& session,
                                          const std::shared_ptr<platform::URLSessionDataTask>& task,
                                          const platform::CachedURLResponse& proposedResponse,
                                          CacheHandler completionHandler) {
  if (auto operation = operationWithTask(*task)) {
    operation->willCacheResponse(session, task, proposedResponse, std::move(completionHandler));
  } else if (completionHandler) {
    completionHandler(std::nullopt);
  }
}

void WIImageDownloader::didCompleteWithError(
    platform::URLSession& session, const std::shared_ptr<platform::URLSessionDataTask>& task,
    const std::optional<platform::Error>& error) {
  auto operation = operationWithTask(*task);
  forgetTask(*task);  // its last event
  if (operation) operation->didCompleteWithError(session, task, error);
}

void WIImageDownloader::didReceiveChallenge(
    platform::URLSession& session, const std::shared_ptr<platform::URLSessionDataTask>& task,
    const platform::URLAuthenticationChallenge& challenge, ChallengeHandler completionHandler) {
  if (auto operation = operationWithTask(*task)) {
    operation->didReceiveChallenge(session, task, challenge, std::move(completionHandler));
  } else if (completionHandler) {
    completionHandler(platform::URLSessionAuthChallengeDisposition::PerformDefaultHandling,
                      std::nullopt);
  }
}

}  // namespace sprout
