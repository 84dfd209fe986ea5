#include "images/WIImageDownloader.h"

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
