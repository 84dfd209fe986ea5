// The disk-wide work of WIImageCache: clearing, cleaning by age and size, sizes and counts, and
// the application events that trigger them.
#include <algorithm>
#include <utility>

#include "images/WIImageCache.h"
#include "images/WIImageDiskWriter.h"
#include "platform/foundation/Clock.h"
#include "platform/ui/Application.h"

namespace sprout {

using platform::DispatchQueue;
using platform::FileEntry;

void WIImageCache::observeApplication() {
  // Handlers hold the cache weakly: a notification never keeps it alive, and one that arrives
  // while it is being destroyed finds nothing to call.
  std::weak_ptr<WIImageCache> weak = weak_from_this();
  auto& center = platform::NotificationCenter::defaultCenter();
  auto observe = [&](const char* name, void (WIImageCache::*action)()) {
    observers_.push_back(
        center.addObserver(name, nullptr, [weak, action](const platform::Notification&) {
          if (auto self = weak.lock()) ((*self).*action)();
        }));
  };
  observe(platform::kApplicationDidReceiveMemoryWarningNotification, &WIImageCache::clearMemory);
  observe(platform::kApplicationWillTerminateNotification, &WIImageCache::cleanDisk);
  observe(platform::kApplicationDidEnterBackgroundNotification, &WIImageCache::backgroundCleanDisk);
}

void WIImageCache::clearDisk() { clearDiskOnCompletion(nullptr); }

void WIImageCache::clearDiskOnCompletion(WIImageNoParamsBlock completion) {
  ioQueue_->async([self = shared_from_this(), completion = std::move(completion)] {
    WIImageDiskWriter::shared().forgetInside(self->diskCachePath_);
    self->fileManager_->removeItem(self->diskCachePath_);
    self->fileManager_->createDirectory(self->diskCachePath_, true);
    if (completion) DispatchQueue::main()->async(completion);
  });
}

void WIImageCache::cleanDisk() { cleanDiskWithCompletionBlock(nullptr); }

void WIImageCache::cleanDiskWithCompletionBlock(WIImageNoParamsBlock completion) {
  ioQueue_->async([self = shared_from_this(), completion = std::move(completion)] {
    self->cleanDiskNow();
    if (completion) DispatchQueue::main()->async(completion);
  });
}

void WIImageCache::cleanDiskNow() {
  WIImageDiskWriter::shared().flush();  // every stored file counts, with its real date
  const platform::FileManager& files = *fileManager_;
  const std::vector<FileEntry> entries = files.enumerate(diskCachePath_, /*skipHidden=*/true);
  const platform::TimeInterval expiration =
      platform::dateNow() - static_cast<platform::TimeInterval>(maxCacheAge_);

  // A file exactly at the expiration instant has expired.
  std::vector<const FileEntry*> kept;
  std::uint64_t total = 0;
  for (const FileEntry& entry : entries) {
    if (entry.isDirectory) continue;
    if (entry.modificationDate <= expiration) {
      files.removeItem(entry.path);
      continue;
    }
    total += entry.allocatedSize;
    kept.push_back(&entry);
  }

  const std::uint64_t maxSize = maxCacheSize_;
  if (maxSize == 0 || total <= maxSize) return;
  // Oldest first, down to below half the limit so the next few writes do not clean again.
  const std::uint64_t target = maxSize / 2;
  std::sort(kept.begin(), kept.end(), [](const FileEntry* a, const FileEntry* b) {
    return a->modificationDate < b->modificationDate;
  });
  for (const FileEntry* entry : kept) {
    if (!files.removeItem(entry->path)) continue;
    total -= entry->allocatedSize;
    if (total < target) break;
  }
}

void WIImageCache::backgroundCleanDisk() {
  using platform::BackgroundTaskIdentifier;
  using platform::kInvalidBackgroundTask;
  // Ended exactly once, by whichever comes first: the expiration or the end of the cleaning.
  auto task = std::make_shared<std::atomic<BackgroundTaskIdentifier>>(kInvalidBackgroundTask);
  auto endTask = [task] {
    const BackgroundTaskIdentifier id = task->exchange(kInvalidBackgroundTask);
    if (id != kInvalidBackgroundTask) platform::Application::shared().endBackgroundTask(id);
  };
  task->store(platform::Application::shared().beginBackgroundTask(endTask));
  cleanDiskWithCompletionBlock(endTask);
}

std::uint64_t WIImageCache::getSize() const {
  std::uint64_t size = 0;
  ioQueue_->sync([&] {
    WIImageDiskWriter::shared().flush();
    for (const FileEntry& entry : fileManager_->enumerate(diskCachePath_, false)) {
      size += entry.fileSize;
    }
  });
  return size;
}

std::size_t WIImageCache::getDiskCount() const {
  std::size_t count = 0;
  ioQueue_->sync([&] {
    WIImageDiskWriter::shared().flush();
    count = fileManager_->enumerate(diskCachePath_, false).size();
  });
  return count;
}

void WIImageCache::calculateSizeWithCompletionBlock(WIImageCalculateSizeBlock completion) {
  ioQueue_->async([self = shared_from_this(), completion = std::move(completion)] {
    WIImageDiskWriter::shared().flush();
    std::size_t count = 0;
    std::size_t total = 0;
    for (const FileEntry& entry : self->fileManager_->enumerate(self->diskCachePath_, true)) {
      ++count;
      total += entry.fileSize;
    }
    if (completion)
      DispatchQueue::main()->async([completion, count, total] { completion(count, total); });
  });
}

}  // namespace sprout
