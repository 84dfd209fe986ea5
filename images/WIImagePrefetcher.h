#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "images/WIImageManager.h"
#include "images/WIImagePrefetcherDelegate.h"
#include "images/WIImageTypes.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/Types.h"

namespace sprout {

using WIImagePrefetcherProgressBlock =
    std::function<void(std::size_t finishedCount, std::size_t totalCount)>;
using WIImagePrefetcherCompletionBlock =
    std::function<void(std::size_t finishedCount, std::size_t skippedCount)>;

// Warms the image cache for a list of URLs, a few loads at a time, through a manager. Its counts,
// its blocks and its delegate calls all live on one queue, prefetcherQueue (the main queue unless
// changed): the manager's completions hop there before anything is counted.
class WIImagePrefetcher : public std::enable_shared_from_this<WIImagePrefetcher> {
 public:
  static constexpr std::size_t kDefaultMaxConcurrentDownloads = 3;

  // A prefetcher on a manager of its own, over the shared cache and downloader. Never destroyed.
  static std::shared_ptr<WIImagePrefetcher> sharedImagePrefetcher();
  static std::shared_ptr<WIImagePrefetcher> create();
  // Sets the manager's downloader to 3 concurrent downloads: with the shared downloader that
  // bounds every download of the process.
  static std::shared_ptr<WIImagePrefetcher> create(std::shared_ptr<WIImageManager> manager);
  WIImagePrefetcher(const WIImagePrefetcher&) = delete;
  WIImagePrefetcher& operator=(const WIImagePrefetcher&) = delete;

  const std::shared_ptr<WIImageManager>& manager() const { return manager_; }
  WIImageOptions options() const;
  void setOptions(WIImageOptions options);
  std::shared_ptr<platform::DispatchQueue> prefetcherQueue() const;
  void setPrefetcherQueue(std::shared_ptr<platform::DispatchQueue> queue);
  std::shared_ptr<WIImagePrefetcherDelegate> delegate() const;
  void setDelegate(const std::shared_ptr<WIImagePrefetcherDelegate>& delegate);  // held weakly
  // The manager's downloader's.
  std::size_t maxConcurrentDownloads() const;
  void setMaxConcurrentDownloads(std::size_t count);

  std::vector<OptionalURL> prefetchURLs() const;  // empty when none
  std::size_t requestedCount() const { return requestedCount_.load(); }
  std::size_t skippedCount() const { return skippedCount_.load(); }
  std::size_t finishedCount() const { return finishedCount_.load(); }
  platform::TimeInterval startedTime() const { return startedTime_.load(); }

  // Cancels what runs, then loads `urls` with at most maxConcurrentDownloads at once. An empty list
  // completes at once with (0, 0). A URL that ends without an image counts as skipped. Called off
  // the prefetcher queue (which must be serial), this and cancelPrefetching are queued there in
  // call order and return at once.
  void prefetchURLs(std::vector<OptionalURL> urls,
                    WIImagePrefetcherProgressBlock progress = nullptr,
                    WIImagePrefetcherCompletionBlock completion = nullptr);
  // Text that is no valid URL is a URL that will be skipped.
  void prefetchURLs(const std::vector<std::string>& urls,
                    WIImagePrefetcherProgressBlock progress = nullptr,
                    WIImagePrefetcherCompletionBlock completion = nullptr);
  // Forgets the list and the counts and cancels every load of the manager, not only the
  // prefetches. A cancelled prefetch never calls its completion.
  void cancelPrefetching();

 private:
  explicit WIImagePrefetcher(std::shared_ptr<WIImageManager> manager);

  // Runs `task` at once on the prefetcher queue, else queues it there without waiting.
  void onQueue(std::function<void()> task);
  void cancelOnQueue();
  void startPrefetchingAtIndex(std::size_t index);
  // On the thread the manager answers on: hops to the prefetcher's queue.
  void loadEnded(std::uint64_t generation, std::size_t index, bool gotImage);
  void loadFinished(std::uint64_t generation, std::size_t index, bool gotImage);
  void reportStatus();

  const std::shared_ptr<WIImageManager> manager_;

  mutable std::mutex configMutex_;  // options_, queue_, delegate_, urls_
  WIImageOptions options_ = WIImageLowPriority;
  std::shared_ptr<platform::DispatchQueue> queue_;
  std::weak_ptr<WIImagePrefetcherDelegate> delegate_;
  std::vector<OptionalURL> urls_;  // written on the queue only; read elsewhere under the lock

  // Changed on the queue only; atomic so any thread may read them.
  std::atomic<std::size_t> requestedCount_{0};
  std::atomic<std::size_t> skippedCount_{0};
  std::atomic<std::size_t> finishedCount_{0};
  std::atomic<platform::TimeInterval> startedTime_{0};
  // Bumped by every start and cancel, so answers of an earlier prefetch are recognised and dropped.
  std::uint64_t generation_ = 0;
  WIImagePrefetcherProgressBlock progressBlock_;
  WIImagePrefetcherCompletionBlock completionBlock_;
};

}  // namespace sprout
