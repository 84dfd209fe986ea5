#include "images/WIImageManager.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <unordered_set>
#include <utility>

#include "images/WIImageDownloaderOperation.h"
#include "images/WIImageDownloaderTypes.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Error.h"

namespace sprout {
namespace {

using platform::Data;
namespace URLError = platform::URLError;

// Errors that say nothing about the URL itself (no network, a cancel, a timeout, an unreachable
// host): such a URL is worth trying again later. The code alone counts, whatever the domain.
bool isTransientFailure(long code) {
  switch (code) {
    case URLError::NotConnectedToInternet:
    case URLError::Cancelled:
    case URLError::TimedOut:
    case URLError::InternationalRoamingOff:
    case URLError::DataNotAllowed:
    case URLError::CannotFindHost:
    case URLError::CannotConnectToHost:
    case URLError::NetworkConnectionLost:  // a dropped connection says nothing about the URL
      return true;
    default:
      return false;
  }
}

WIImageDownloaderOptions downloaderOptionsFor(WIImageOptions options, bool refreshingCached) {
  static constexpr std::pair<std::uint32_t, std::uint32_t> kMapping[] = {
      {WIImageLowPriority, WIImageDownloaderLowPriority},
      {WIImageProgressiveDownload, WIImageDownloaderProgressiveDownload},
      {WIImageRefreshCached, WIImageDownloaderUseNSURLCache},
      {WIImageContinueInBackground, WIImageDownloaderContinueInBackground},
      {WIImageHandleCookies, WIImageDownloaderHandleCookies},
      {WIImageAllowInvalidSSLCertificates, WIImageDownloaderAllowInvalidSSLCertificates},
      {WIImageHighPriority, WIImageDownloaderHighPriority},
  };
  std::uint32_t out = 0;
  for (const auto& [managerBit, downloaderBit] : kMapping) {
    if (options & managerBit) out |= downloaderBit;
  }
  if (refreshingCached) {
    // The caller already has the cached picture: no partial ones, and an answer the URL cache
    // gives unchanged must not be delivered a second time.
    out &= ~std::uint32_t{WIImageDownloaderProgressiveDownload};
    out |= WIImageDownloaderIgnoreCachedResponse;
  }
  return static_cast<WIImageDownloaderOptions>(out);
}

// Hands `call` the caller's own optional when it gave one, else the URL copied into one.
template <class F>
void withOptionalURL(const platform::URL& url, const OptionalURL* held, F&& call) {
  if (held) {
    call(*held);
  } else {
    call(OptionalURL(url));
  }
}

platform::Error fileDoesNotExistError() {
  return platform::Error{platform::kURLErrorDomain, URLError::FileDoesNotExist, {}};
}

// Runs its tasks one after another, in the order given, on the high-priority global queue, so the
// transformed partial images of one load can never overtake its final image.
class TransformSequence : public std::enable_shared_from_this<TransformSequence> {
 public:
  void post(std::function<void()> task) {
    {
      std::lock_guard lock(mutex_);
      tasks_.push_back(std::move(task));
      if (draining_) return;
      draining_ = true;
    }
    platform::DispatchQueue::global(platform::QueuePriority::High)
        ->async([self = shared_from_this()] { self->drain(); });
  }

 private:
  void drain() {
    for (;;) {
      std::function<void()> task;
      {
        std::lock_guard lock(mutex_);
        if (tasks_.empty()) {
          draining_ = false;
          return;
        }
        task = std::move(tasks_.front());
        tasks_.pop_front();
      }
      task();
    }
  }

  std::mutex mutex_;
  std::deque<std::function<void()>> tasks_;
  bool draining_ = false;
};

}  // namespace

// Everything one call of downloadImageWithURL carries from step to step. The handle is held
// weakly: a caller that lets go of it (and is no longer running) hears nothing more.
struct WIImageManager::Load {
  std::weak_ptr<WIImageCombinedOperation> operation;
  platform::URL url;
  std::string key;
  WIImageOptions options;
  WIImageDownloaderProgressBlock progress;
  WIImageCompletionWithFinishedBlock completed;
  std::shared_ptr<TransformSequence> transforms = std::make_shared<TransformSequence>();

  // The caller's blocks may be the last owners of views, which die on the main thread only.
  ~Load() {
    if (platform::RunLoop::isMainThread() || (!progress && !completed)) return;
    platform::runOnMainAsync([progress = std::move(progress), completed = std::move(completed)] {});
  }
};

std::shared_ptr<WIImageManager> WIImageManager::sharedManager() {
  // Never destroyed: loads may still be finishing on other threads while the process exits.
  static auto* const instance = [] {
    auto* manager = new std::shared_ptr<WIImageManager>(create());
    // Downloaded images take their scale from the shared manager's cache key ("@2x." ...).
    WIImageDownloaderOperation::setScaleKeyProvider(
        [weak = std::weak_ptr(*manager)](const platform::URL& url) {
          auto shared = weak.lock();
          return shared ? shared->cacheKeyForURL(url) : url.absoluteString();
        });
    return manager;
  }();
  return *instance;
}

std::shared_ptr<WIImageManager> WIImageManager::create() {
  return create(WIImageCache::sharedImageCache(), WIImageDownloader::sharedDownloader());
}

std::shared_ptr<WIImageManager> WIImageManager::create(
    std::shared_ptr<WIImageCache> cache, std::shared_ptr<WIImageDownloader> downloader) {
  return std::shared_ptr<WIImageManager>(
      new WIImageManager(std::move(cache), std::move(downloader)));
}

WIImageManager::WIImageManager(std::shared_ptr<WIImageCache> cache,
                               std::shared_ptr<WIImageDownloader> downloader)
    : imageCache_(std::move(cache)), imageDownloader_(std::move(downloader)) {}

std::shared_ptr<WIImageManagerDelegate> WIImageManager::delegate() const {
  std::lock_guard lock(configMutex_);
  return delegate_.lock();
}

void WIImageManager::setDelegate(const std::shared_ptr<WIImageManagerDelegate>& delegate) {
  std::lock_guard lock(configMutex_);
  delegate_ = delegate;
}

WIImageCacheKeyFilterBlock WIImageManager::cacheKeyFilter() const {
  std::lock_guard lock(configMutex_);
  return cacheKeyFilter_;
}

void WIImageManager::setCacheKeyFilter(WIImageCacheKeyFilterBlock filter) {
  std::lock_guard lock(configMutex_);
  cacheKeyFilter_ = std::move(filter);
  hasCacheKeyFilter_.store(static_cast<bool>(cacheKeyFilter_), std::memory_order_release);
}

std::unordered_set<platform::URL> WIImageManager::failedURLs() const {
  std::lock_guard lock(failedURLsMutex_);
  return failedURLs_;
}

std::vector<std::shared_ptr<WIImageCombinedOperation>> WIImageManager::runningOperations() const {
  std::vector<std::shared_ptr<WIImageCombinedOperation>> running;
  {
    std::lock_guard lock(runningOperationsMutex_);
    running = runningOperations_;
  }
  if (platform::RunLoop::isMainThread()) {
    for (const auto* hit : hitsDelivering_) {
      if (hit) running.push_back(*hit);
    }
  }
  return running;
}

std::string WIImageManager::cacheKeyForURL(const OptionalURL& url) const {
  if (!url) return {};
  if (auto filter = cacheKeyFilter()) return filter(*url);
  return url->absoluteString();
}

bool WIImageManager::cachedImageExistsForURL(const OptionalURL& url) const {
  const std::string key = cacheKeyForURL(url);
  if (imageCache_->imageFromMemoryCacheForKey(key)) return true;
  return imageCache_->diskImageExistsWithKey(key);
}

bool WIImageManager::diskImageExistsForURL(const OptionalURL& url) const {
  return imageCache_->diskImageExistsWithKey(cacheKeyForURL(url));
}

void WIImageManager::cachedImageExistsForURL(const OptionalURL& url,
                                             WIImageCheckCacheCompletionBlock completion) const {
  const std::string key = cacheKeyForURL(url);
  if (imageCache_->imageFromMemoryCacheForKey(key)) {
    if (completion) platform::runOnMainAsync([completion] { completion(true); });
    return;
  }
  imageCache_->diskImageExistsWithKey(key, std::move(completion));
}

void WIImageManager::diskImageExistsForURL(const OptionalURL& url,
                                           WIImageCheckCacheCompletionBlock completion) const {
  imageCache_->diskImageExistsWithKey(cacheKeyForURL(url), std::move(completion));
}

bool WIImageManager::isFailedURL(const platform::URL& url) const {
  // Nearly always empty: then no URL needs hashing.
  if (failedURLCount_.load(std::memory_order_acquire) == 0) return false;
  std::lock_guard lock(failedURLsMutex_);
  return failedURLs_.count(url) != 0;
}

void WIImageManager::setFailed(const platform::URL& url, bool failed) {
  std::lock_guard lock(failedURLsMutex_);
  if (failed) {
    failedURLs_.insert(url);
  } else {
    failedURLs_.erase(url);
  }
  failedURLCount_.store(failedURLs_.size(), std::memory_order_release);
}

std::shared_ptr<WIImageOperation> WIImageManager::downloadImageWithURL(
    const std::string& url, WIImageOptions options, WIImageDownloaderProgressBlock progress,
    WIImageCompletionWithFinishedBlock completed) {
  return downloadImageWithURL(platform::URL::parse(url), options, std::move(progress),
                              std::move(completed));
}

std::shared_ptr<WIImageOperation> WIImageManager::downloadImageWithURL(
    const OptionalURL& url, WIImageOptions options, WIImageDownloaderProgressBlock progress,
    WIImageCompletionWithFinishedBlock completed) {
  if (!url) {
    platform::runOnMainSync([&] {
      if (completed) completed(nullptr, fileDoesNotExistError(), WIImageCacheTypeNone, true, url);
    });
    return WIImageCombinedOperation::create();
  }
  return loadURL(*url, &url, options, progress, completed);
}

std::shared_ptr<WIImageOperation> WIImageManager::downloadImageWithURL(
    const platform::URL& url, WIImageOptions options, WIImageDownloaderProgressBlock progress,
    WIImageCompletionWithFinishedBlock completed) {
  return loadURL(url, nullptr, options, progress, completed);
}

std::shared_ptr<WIImageOperation> WIImageManager::loadURL(
    const platform::URL& url, const OptionalURL* held, WIImageOptions options,
    WIImageDownloaderProgressBlock& progress, WIImageCompletionWithFinishedBlock& completed) {
  if (url.absoluteString().empty() || (!(options & WIImageRetryFailed) && isFailedURL(url))) {
    platform::runOnMainSync([&] {
      if (!completed) return;
      withOptionalURL(url, held, [&](const OptionalURL& given) {
        completed(nullptr, fileDoesNotExistError(), WIImageCacheTypeNone, true, given);
      });
    });
    return WIImageCombinedOperation::create();
  }
  // Without a filter the key is the URL's text: looked up in place, copied only for a miss.
  std::string filtered;
  const bool filteredKey = hasCacheKeyFilter_.load(std::memory_order_acquire);
  if (filteredKey) filtered = cacheKeyForURL(url);
  const std::string& key = filteredKey ? filtered : url.absoluteString();
  // A memory hit needs nothing of a load's machinery (no running list, no steps to carry, no
  // cancel block, no query token): one look into the cache, answered before the call returns.
  if (!(options & WIImageRefreshCached)) {
    if (ImagePtr hit = imageCache_->imageFromMemoryCacheForKey(key)) {
      return answerFromMemory(hit, url, held, completed);
    }
  }
  auto operation = WIImageCombinedOperation::create();
  {
    std::lock_guard lock(runningOperationsMutex_);
    runningOperations_.push_back(operation);
  }
  auto load = std::make_shared<Load>(Load{.operation = operation,
                                          .url = url,
                                          .key = filteredKey ? std::move(filtered) : key,
                                          .options = options,
                                          .progress = std::move(progress),
                                          .completed = std::move(completed)});

  // Until a download starts, cancelling only has to take the handle off the running list; the
  // cache drops its answer to a cancelled query, so nothing else would.
  operation->setCancelBlock(
      [weakSelf = weak_from_this(), weakOperation = std::weak_ptr(operation)] {
        auto self = weakSelf.lock();
        auto cancelled = weakOperation.lock();
        if (self && cancelled) self->removeRunning(cancelled);
      });
  operation->setCacheOperation(imageCache_->queryDiskCacheForKey(
      load->key, [self = shared_from_this(), load](const ImagePtr& image, WIImageCacheType type) {
        self->cacheAnswered(load, image, type);
      }));
  return operation;
}

std::shared_ptr<WIImageOperation> WIImageManager::answerFromMemory(
    const ImagePtr& image, const platform::URL& url, const OptionalURL* held,
    const WIImageCompletionWithFinishedBlock& completed) {
  // The handle exists only to be returned, and to stand in the running list while the caller
  // hears of its image.
  auto operation = WIImageCombinedOperation::create();
  if (!completed) return operation;
  auto deliver = [&] {
    hitsDelivering_.push_back(&operation);
    withOptionalURL(url, held, [&](const OptionalURL& given) {
      completed(image, std::nullopt, WIImageCacheTypeMemory, true, given);
    });
    hitsDelivering_.pop_back();
  };
  if (platform::RunLoop::isMainThread()) {
    deliver();
  } else {
    platform::runOnMainSync(deliver);
  }
  return operation;
}

void WIImageManager::cacheAnswered(const std::shared_ptr<Load>& load, const ImagePtr& cached,
                                   WIImageCacheType cacheType) {
  auto operation = load->operation.lock();
  if (!operation) return;
  if (operation->isCancelled()) {
    removeRunning(operation);
    return;
  }
  const bool refresh = (load->options & WIImageRefreshCached) != 0;
  bool download = !cached || refresh;
  if (download) {
    if (auto delegate = this->delegate()) {
      const std::optional<bool> should = delegate->shouldDownloadImageForURL(*this, load->url);
      download = should.value_or(true);
    }
  }
  if (!download) {
    // A cache hit, or a download the delegate refused: with a cached image that is a hit.
    deliver(*load, cached, std::nullopt, cached ? cacheType : WIImageCacheTypeNone, true);
    removeRunning(operation);
    return;
  }
  if (cached) {
    // Refreshing: the cached picture goes first, whatever becomes of the download.
    platform::runOnMainSync([&] {
      if (load->completed) load->completed(cached, std::nullopt, cacheType, true, load->url);
    });
  }
  startDownload(load, operation, cached != nullptr);
}

void WIImageManager::startDownload(const std::shared_ptr<Load>& load,
                                   const std::shared_ptr<WIImageCombinedOperation>& operation,
                                   bool hadCached) {
  const bool refreshingCached = hadCached && (load->options & WIImageRefreshCached);
  auto token = imageDownloader_->downloadImageWithURL(
      load->url, downloaderOptionsFor(load->options, refreshingCached), load->progress,
      [self = shared_from_this(), load, hadCached](const ImagePtr& image,
                                                   const std::optional<Data>& data,
                                                   const OptionalError& error, bool finished) {
        self->downloadCompleted(load, hadCached, image, data, error, finished);
      });
  // The token is this caller's share of the download: cancelling it leaves other callers of the
  // same URL downloading.
  operation->setCancelBlock(
      [token, weakSelf = weak_from_this(), weakOperation = std::weak_ptr(operation)] {
        if (token) token->cancel();
        auto self = weakSelf.lock();
        auto cancelled = weakOperation.lock();
        if (self && cancelled) self->removeRunning(cancelled);
      });
}

void WIImageManager::downloadCompleted(const std::shared_ptr<Load>& load, bool hadCached,
                                       const ImagePtr& downloaded, const std::optional<Data>& data,
                                       const OptionalError& error, bool finished) {
  auto operation = load->operation.lock();
  // What follows the caller's completion once the download has ended (run at once when nothing is
  // delivered): the handle leaves the running list and lets go of the download token.
  std::function<void()> after;
  if (finished && operation) {
    after = [self = shared_from_this(), operation] {
      self->removeRunning(operation);
      operation->setCancelBlock(nullptr);
    };
  }
  if (operation && !operation->isCancelled()) {
    if (error) {
      // Remembered after the caller heard of it, so a retry from the completion still loads.
      if (!isTransientFailure(error->code)) {
        after = [self = shared_from_this(), url = load->url, then = std::move(after)] {
          self->setFailed(url, true);
          if (then) then();
        };
      }
      deliverLater(load, nullptr, error, WIImageCacheTypeNone, finished, std::move(after));
    } else {
      downloadSucceeded(load, hadCached, downloaded, data, finished, std::move(after));
    }
    return;
  }
  if (after) after();
}

void WIImageManager::downloadSucceeded(const std::shared_ptr<Load>& load, bool hadCached,
                                       const ImagePtr& downloaded, const std::optional<Data>& data,
                                       bool finished, std::function<void()> after) {
  const WIImageOptions options = load->options;
  if (options & WIImageRetryFailed) setFailed(load->url, false);
  auto delegate = this->delegate();
  const bool transformable =
      downloaded && (!downloaded->isAnimated() || (options & WIImageTransformAnimatedImage));
  // Refreshing and the URL cache answered unchanged: the caller has its image already.
  const bool nothingNew = (options & WIImageRefreshCached) && hadCached && !downloaded;
  if (nothingNew || (transformable && delegate && delegate->respondsToTransformDownloadedImage())) {
    if (!nothingNew) transformLater(load, delegate, downloaded, data, finished);
    if (after) after();
    return;
  }
  if (downloaded && finished) {
    storeDownloaded(downloaded, false, data, load->key, !(options & WIImageCacheMemoryOnly));
  }
  deliverLater(load, downloaded, std::nullopt, WIImageCacheTypeNone, finished, std::move(after));
}

void WIImageManager::transformLater(const std::shared_ptr<Load>& load,
                                    const std::shared_ptr<WIImageManagerDelegate>& delegate,
                                    const ImagePtr& downloaded, const std::optional<Data>& data,
                                    bool finished) {
  // The task holds the handle: a load lives until its final image has been delivered, even
  // though it leaves the running list as soon as the download has ended.
  load->transforms->post([self = shared_from_this(), load, operation = load->operation.lock(),
                          delegate, downloaded, data, finished] {
    ImagePtr transformed = delegate->transformDownloadedImage(*self, downloaded, load->url);
    if (transformed && finished) {
      const bool recalculate = transformed != downloaded;
      self->storeDownloaded(transformed, recalculate, recalculate ? std::nullopt : data, load->key,
                            !(load->options & WIImageCacheMemoryOnly));
    }
    deliverLater(load, transformed, std::nullopt, WIImageCacheTypeNone, finished, nullptr);
  });
}

void WIImageManager::storeDownloaded(const ImagePtr& image, bool recalculate,
                                     const std::optional<Data>& data, const std::string& key,
                                     bool toDisk) {
  // Every caller of a shared download hears the same image and would store it again: the same
  // bytes queued for the disk once per caller. A store that repeats the one before it (this very
  // image, this key, no further than it went) is dropped while the memory cache still holds it.
  bool repeat = false;
  {
    std::lock_guard lock(lastStoreMutex_);
    repeat =
        lastStore_.image.lock() == image && lastStore_.key == key && (lastStore_.toDisk || !toDisk);
    if (!repeat) lastStore_ = LastStore{image, key, toDisk};
  }
  if (repeat && imageCache_->imageFromMemoryCacheForKey(key) == image) return;
  imageCache_->storeImage(image, recalculate, data, key, toDisk);
}

void WIImageManager::deliver(const Load& load, const ImagePtr& image, const OptionalError& error,
                             WIImageCacheType cacheType, bool finished) {
  platform::runOnMainSync([&] {
    auto operation = load.operation.lock();
    if (!operation || operation->isCancelled() || !load.completed) return;
    load.completed(image, error, cacheType, finished, load.url);
  });
}

void WIImageManager::deliverLater(const std::shared_ptr<Load>& load, const ImagePtr& image,
                                  const OptionalError& error, WIImageCacheType cacheType,
                                  bool finished, std::function<void()> after) {
  // Whoever keeps the handle alive now (the running list, a transform step) would have kept it
  // through a synchronous delivery: the posted one holds it as long.
  auto task = [load, handle = load->operation.lock(), image, error, cacheType, finished,
               after = std::move(after)] {
    deliver(*load, image, error, cacheType, finished);
    if (after) after();
  };
  if (platform::RunLoop::isMainThread()) {
    task();
    return;
  }
  // Posted, not waited for: the decode threads that get here go on to the next picture at once.
  // A load's deliveries reach here one after another (partial images synchronously from the
  // session's queue, transforms in sequence), and the main queue keeps their order.
  platform::runOnMainAsync(std::move(task));
}

void WIImageManager::saveImageToCache(const ImagePtr& image, const OptionalURL& url) {
  if (!image || !url) return;
  imageCache_->storeImage(image, cacheKeyForURL(url), true);
}

void WIImageManager::removeRunning(const std::shared_ptr<WIImageCombinedOperation>& operation) {
  std::lock_guard lock(runningOperationsMutex_);
  // From the back: a load that ends at once removes the handle it has just added.
  auto it = std::find(runningOperations_.rbegin(), runningOperations_.rend(), operation);
  if (it != runningOperations_.rend()) runningOperations_.erase(std::next(it).base());
}

void WIImageManager::cancelAll() {
  const auto copied = runningOperations();
  // Outside the lock: each handle's cancel block takes it to remove itself.
  for (const auto& operation : copied) operation->cancel();
  const std::unordered_set<const WIImageCombinedOperation*> cancelled = [&] {
    std::unordered_set<const WIImageCombinedOperation*> set;
    for (const auto& operation : copied) set.insert(operation.get());
    return set;
  }();
  if (platform::RunLoop::isMainThread()) {
    for (auto& hit : hitsDelivering_) {
      if (hit && cancelled.count(hit->get())) hit = nullptr;
    }
  }
  std::lock_guard lock(runningOperationsMutex_);
  std::erase_if(runningOperations_,
                [&](const auto& operation) { return cancelled.count(operation.get()) != 0; });
}

bool WIImageManager::isRunning() const {
  {
    std::lock_guard lock(runningOperationsMutex_);
    if (!runningOperations_.empty()) return true;
  }
  return platform::RunLoop::isMainThread() &&
         std::any_of(hitsDelivering_.begin(), hitsDelivering_.end(),
                     [](const auto* hit) { return hit != nullptr; });
}

std::shared_ptr<WIImageOperation> WIImageManager::downloadWithURL(
    const OptionalURL& url, WIImageOptions options, WIImageDownloaderProgressBlock progress,
    WIImageCompletedWithFinishedBlock completed) {
  return downloadImageWithURL(url, options, std::move(progress),
                              [completed = std::move(completed)](
                                  const ImagePtr& image, const OptionalError& error,
                                  WIImageCacheType cacheType, bool finished, const OptionalURL&) {
                                if (completed) completed(image, error, cacheType, finished);
                              });
}

}  // namespace sprout
