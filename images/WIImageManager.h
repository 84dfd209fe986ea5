#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "images/WIImageCache.h"
#include "images/WIImageCombinedOperation.h"
#include "images/WIImageDownloader.h"
#include "images/WIImageManagerDelegate.h"
#include "images/WIImageOperation.h"
#include "images/WIImageTypes.h"
#include "platform/foundation/URL.h"

namespace sprout {

// The one entry point for web images: memory cache, then disk cache, then the downloader; stores
// what it downloads and remembers URLs that failed for good. Completions reach the caller on the
// main thread: at once when the caller is on it, else by a synchronous hop to the main queue.
// A memory hit completes before downloadImageWithURL returns.
class WIImageManager : public std::enable_shared_from_this<WIImageManager> {
 public:
  // The shared cache and the shared downloader. Never destroyed.
  static std::shared_ptr<WIImageManager> sharedManager();
  static std::shared_ptr<WIImageManager> create();
  static std::shared_ptr<WIImageManager> create(std::shared_ptr<WIImageCache> cache,
                                                std::shared_ptr<WIImageDownloader> downloader);
  WIImageManager(const WIImageManager&) = delete;
  WIImageManager& operator=(const WIImageManager&) = delete;

  std::shared_ptr<WIImageManagerDelegate> delegate() const;
  void setDelegate(const std::shared_ptr<WIImageManagerDelegate>& delegate);  // held weakly
  const std::shared_ptr<WIImageCache>& imageCache() const { return imageCache_; }
  const std::shared_ptr<WIImageDownloader>& imageDownloader() const { return imageDownloader_; }
  WIImageCacheKeyFilterBlock cacheKeyFilter() const;
  void setCacheKeyFilter(WIImageCacheKeyFilterBlock filter);
  // Copies taken under the collections' locks.
  std::unordered_set<platform::URL> failedURLs() const;
  std::vector<std::shared_ptr<WIImageCombinedOperation>> runningOperations() const;

  // "" for no URL; else the filter's key, or the URL's absolute string.
  std::string cacheKeyForURL(const OptionalURL& url) const;
  bool cachedImageExistsForURL(const OptionalURL& url) const;  // memory, then the disk, here
  bool diskImageExistsForURL(const OptionalURL& url) const;
  // Both answer on the main queue.
  void cachedImageExistsForURL(const OptionalURL& url,
                               WIImageCheckCacheCompletionBlock completion) const;
  void diskImageExistsForURL(const OptionalURL& url,
                             WIImageCheckCacheCompletionBlock completion) const;

  // No URL, an empty one, or one that failed for good (unless WIImageRetryFailed) completes with
  // NSURLErrorDomain −1100 and the handle is never running. `progress` reaches the main queue.
  // The completion is handed `url` itself.
  std::shared_ptr<WIImageOperation> downloadImageWithURL(
      const OptionalURL& url, WIImageOptions options, WIImageDownloaderProgressBlock progress,
      WIImageCompletionWithFinishedBlock completed);
  // The same for a URL held as it is: copied only when the completion needs it.
  std::shared_ptr<WIImageOperation> downloadImageWithURL(
      const platform::URL& url, WIImageOptions options, WIImageDownloaderProgressBlock progress,
      WIImageCompletionWithFinishedBlock completed);
  // Text that is no valid URL counts as no URL.
  std::shared_ptr<WIImageOperation> downloadImageWithURL(
      const std::string& url, WIImageOptions options, WIImageDownloaderProgressBlock progress,
      WIImageCompletionWithFinishedBlock completed);
  // The older completion, without the URL.
  std::shared_ptr<WIImageOperation> downloadWithURL(const OptionalURL& url, WIImageOptions options,
                                                    WIImageDownloaderProgressBlock progress,
                                                    WIImageCompletedWithFinishedBlock completed);

  void saveImageToCache(const ImagePtr& image, const OptionalURL& url);
  void cancelAll();
  bool isRunning() const;

 private:
  struct Load;

  WIImageManager(std::shared_ptr<WIImageCache> cache,
                 std::shared_ptr<WIImageDownloader> downloader);

  // `held` is the caller's own optional holding `url`, when it gave one. The blocks are moved
  // from only when a load is started.
  std::shared_ptr<WIImageOperation> loadURL(const platform::URL& url, const OptionalURL* held,
                                            WIImageOptions options,
                                            WIImageDownloaderProgressBlock& progress,
                                            WIImageCompletionWithFinishedBlock& completed);
  std::shared_ptr<WIImageOperation> answerFromMemory(
      const ImagePtr& image, const platform::URL& url, const OptionalURL* held,
      const WIImageCompletionWithFinishedBlock& completed);
  bool isFailedURL(const platform::URL& url) const;
  void cacheAnswered(const std::shared_ptr<Load>& load, const ImagePtr& cached,
                     WIImageCacheType cacheType);
  void startDownload(const std::shared_ptr<Load>& load,
                     const std::shared_ptr<WIImageCombinedOperation>& operation, bool hadCached);
  void downloadCompleted(const std::shared_ptr<Load>& load, bool hadCached,
                         const ImagePtr& downloaded, const std::optional<platform::Data>& data,
                         const OptionalError& error, bool finished);
  void downloadSucceeded(const std::shared_ptr<Load>& load, bool hadCached,
                         const ImagePtr& downloaded, const std::optional<platform::Data>& data,
                         bool finished, std::function<void()> after);
  void transformLater(const std::shared_ptr<Load>& load,
                      const std::shared_ptr<WIImageManagerDelegate>& delegate,
                      const ImagePtr& downloaded, const std::optional<platform::Data>& data,
                      bool finished);
  void storeDownloaded(const ImagePtr& image, bool recalculate,
                       const std::optional<platform::Data>& data, const std::string& key,
                       bool toDisk);
  // On the main thread (inline there, else waiting for it), to a handle that is alive and not
  // cancelled.
  static void deliver(const Load& load, const ImagePtr& image, const OptionalError& error,
                      WIImageCacheType cacheType, bool finished);
  // The same without waiting: posted to the main queue from any other thread; `after` runs
  // next on the main thread whether or not the caller heard anything.
  static void deliverLater(const std::shared_ptr<Load>& load, const ImagePtr& image,
                           const OptionalError& error, WIImageCacheType cacheType, bool finished,
                           std::function<void()> after);
  void setFailed(const platform::URL& url, bool failed);
  void removeRunning(const std::shared_ptr<WIImageCombinedOperation>& operation);

  const std::shared_ptr<WIImageCache> imageCache_;
  const std::shared_ptr<WIImageDownloader> imageDownloader_;

  mutable std::mutex configMutex_;  // delegate_ and cacheKeyFilter_
  std::weak_ptr<WIImageManagerDelegate> delegate_;
  WIImageCacheKeyFilterBlock cacheKeyFilter_;
  // Lets a load key by the URL's own text without the lock or a copy when there is no filter.
  std::atomic<bool> hasCacheKeyFilter_{false};

  mutable std::mutex failedURLsMutex_;
  std::unordered_set<platform::URL> failedURLs_;
  std::atomic<std::size_t> failedURLCount_{0};  // lets a lookup skip the lock and the hash
  mutable std::mutex runningOperationsMutex_;
  std::vector<std::shared_ptr<WIImageCombinedOperation>> runningOperations_;
  // Memory hits whose completions are running, innermost last: running loads too, though never
  // in the list. Main thread only (where hits are delivered), so a hit takes no lock for them.
  // Each points at the handle the call holds until it returns; cancelAll empties a slot.
  std::vector<const std::shared_ptr<WIImageCombinedOperation>*> hitsDelivering_;

  struct LastStore {
    std::weak_ptr<platform::Image> image;
    std::string key;
    bool toDisk = false;
  };
  std::mutex lastStoreMutex_;
  LastStore lastStore_;
};

}  // namespace sprout
