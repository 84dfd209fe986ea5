// The per-URL callback lists of the downloader and the session events it forwards.

#include <algorithm>
#include <utility>

#include "images/WIImageDownloader.h"
#include "platform/dispatch/DispatchQueue.h"

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
