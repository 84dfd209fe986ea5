#include "images/WIImagePrefetcher.h"

#include <limits>
#include <utility>

#include "platform/foundation/Clock.h"

namespace sprout {

std::shared_ptr<WIImagePrefetcher> WIImagePrefetcher::sharedImagePrefetcher() {
  // Never destroyed, like the manager and downloader it stands on.
  static auto* const instance = new std::shared_ptr<WIImagePrefetcher>(create());
  return *instance;
}

std::shared_ptr<WIImagePrefetcher> WIImagePrefetcher::create() {
  return create(WIImageManager::create());
}

std::shared_ptr<WIImagePrefetcher> WIImagePrefetcher::create(
    std::shared_ptr<WIImageManager> manager) {
  auto prefetcher = std::shared_ptr<WIImagePrefetcher>(new WIImagePrefetcher(std::move(manager)));
  prefetcher->setMaxConcurrentDownloads(kDefaultMaxConcurrentDownloads);
  return prefetcher;
}

WIImagePrefetcher::WIImagePrefetcher(std::shared_ptr<WIImageManager> manager)
    : manager_(std::move(manager)), queue_(platform::DispatchQueue::main()) {}

WIImageOptions WIImagePrefetcher::options() const {
  std::lock_guard lock(configMutex_);
  return options_;
}

void WIImagePrefetcher::setOptions(WIImageOptions options) {
  std::lock_guard lock(configMutex_);
  options_ = options;
}

std::shared_ptr<platform::DispatchQueue> WIImagePrefetcher::prefetcherQueue() const {
  std::lock_guard lock(configMutex_);
  return queue_;
}

void WIImagePrefetcher::setPrefetcherQueue(std::shared_ptr<platform::DispatchQueue> queue) {
  std::lock_guard lock(configMutex_);
  queue_ = queue ? std::move(queue) : platform::DispatchQueue::main();
}

std::shared_ptr<WIImagePrefetcherDelegate> WIImagePrefetcher::delegate() const {
  std::lock_guard lock(configMutex_);
  return delegate_.lock();
}

void WIImagePrefetcher::setDelegate(const std::shared_ptr<WIImagePrefetcherDelegate>& delegate) {
  std::lock_guard lock(configMutex_);
  delegate_ = delegate;
}

std::size_t WIImagePrefetcher::maxConcurrentDownloads() const {
  // A negative count is the queue's "no limit".
  const int count = manager_->imageDownloader()->maxConcurrentDownloads();
  return count < 0 ? std::numeric_limits<std::size_t>::max() : static_cast<std::size_t>(count);
}

void WIImagePrefetcher::setMaxConcurrentDownloads(std::size_t count) {
  manager_->imageDownloader()->setMaxConcurrentDownloads(static_cast<int>(count));
}

std::vector<OptionalURL> WIImagePrefetcher::prefetchURLs() const {
  std::lock_guard lock(configMutex_);
  return urls_;
}

void WIImagePrefetcher::onQueue(std::function<void()> task) {
  auto queue = prefetcherQueue();
  if (queue->isCurrent()) {
    task();
    return;
  }
  // Queued, never waited for: waiting would need the main loop to run inside the caller (the
  // manager answers some loads through the main thread), and with it the caller's other work,
  // re-entrantly. The queue is serial, so calls still take effect in the order they were made.
  queue->async([self = shared_from_this(), task = std::move(task)] { task(); });
}

void WIImagePrefetcher::prefetchURLs(const std::vector<std::string>& urls,
                                     WIImagePrefetcherProgressBlock progress,
                                     WIImagePrefetcherCompletionBlock completion) {
  std::vector<OptionalURL> parsed;
  parsed.reserve(urls.size());
  for (const auto& text : urls) parsed.push_back(platform::URL::parse(text));
  prefetchURLs(std::move(parsed), std::move(progress), std::move(completion));
}

void WIImagePrefetcher::prefetchURLs(std::vector<OptionalURL> urls,
                                     WIImagePrefetcherProgressBlock progress,
                                     WIImagePrefetcherCompletionBlock completion) {
  onQueue([this, urls = std::move(urls), progress = std::move(progress),
           completion = std::move(completion)]() mutable {
    cancelOnQueue();
    startedTime_ = platform::Clock::current().now();
    {
      std::lock_guard lock(configMutex_);
      urls_ = std::move(urls);
    }
    progressBlock_ = std::move(progress);
    completionBlock_ = std::move(completion);
    const std::size_t total = prefetchURLs().size();
    if (total == 0) {
      auto done = std::exchange(completionBlock_, nullptr);
      progressBlock_ = nullptr;
      if (done) done(0, 0);
      return;
    }
    // A memory hit finishes inside startPrefetchingAtIndex and may start the next URL by itself;
    // the generation tells when a callback began another prefetch.
    const std::uint64_t generation = generation_;
    const std::size_t limit = maxConcurrentDownloads();
    for (std::size_t index = 0; index < limit && requestedCount_ < total; ++index) {
      if (generation != generation_) return;
      startPrefetchingAtIndex(requestedCount_);
    }
  });
}

void WIImagePrefetcher::cancelPrefetching() {
  onQueue([this] { cancelOnQueue(); });
}

void WIImagePrefetcher::cancelOnQueue() {
  ++generation_;
  {
    std::lock_guard lock(configMutex_);
    urls_.clear();
  }
  requestedCount_ = 0;
  skippedCount_ = 0;
  finishedCount_ = 0;
  manager_->cancelAll();
}

void WIImagePrefetcher::startPrefetchingAtIndex(std::size_t index) {
  OptionalURL url;
  {
    std::lock_guard lock(configMutex_);
    if (index >= urls_.size()) return;
    url = urls_[index];
  }
  ++requestedCount_;
  auto done = [weakSelf = weak_from_this(), generation = generation_, index](
                  const ImagePtr& image, const OptionalError&, WIImageCacheType, bool finished,
                  const OptionalURL&) {
    auto self = weakSelf.lock();
    if (self && finished) self->loadEnded(generation, index, image != nullptr);
  };
  manager_->downloadImageWithURL(url, options(), nullptr, std::move(done));
}

void WIImagePrefetcher::loadEnded(std::uint64_t generation, std::size_t index, bool gotImage) {
  auto queue = prefetcherQueue();
  if (queue->isCurrent()) {
    loadFinished(generation, index, gotImage);
    return;
  }
  queue->async([self = shared_from_this(), generation, index, gotImage] {
    self->loadFinished(generation, index, gotImage);
  });
}

void WIImagePrefetcher::loadFinished(std::uint64_t generation, std::size_t index, bool gotImage) {
  if (generation != generation_) return;
  const std::vector<OptionalURL> urls = prefetchURLs();
  const std::size_t total = urls.size();
  const std::size_t finished = ++finishedCount_;
  if (progressBlock_) progressBlock_(finished, total);
  if (generation != generation_) return;  // the progress block began another prefetch
  if (!gotImage) ++skippedCount_;
  if (auto delegate = this->delegate())
    delegate->didPrefetchURL(*this, urls[index], finished, total);
  if (generation != generation_) return;

  if (total > requestedCount_) {
    // The index is read when the start runs, so two loads that end together never pick one URL.
    prefetcherQueue()->async([weakSelf = weak_from_this(), generation] {
      auto self = weakSelf.lock();
      if (self && generation == self->generation_) {
        self->startPrefetchingAtIndex(self->requestedCount_);
      }
    });
  } else if (finishedCount_ == requestedCount_) {
    // Taken before anything is told, so a callback may start the next prefetch with new blocks.
    auto completion = std::exchange(completionBlock_, nullptr);
    progressBlock_ = nullptr;
    const std::size_t skipped = skippedCount_;
    reportStatus();
    if (completion) completion(finished, skipped);
  }
}

void WIImagePrefetcher::reportStatus() {
  const std::size_t total = prefetchURLs().size() - skippedCount_;
  if (auto delegate = this->delegate()) {
    delegate->didFinishWithTotalCount(*this, total, skippedCount_);
  }
}

}  // namespace sprout
