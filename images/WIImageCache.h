#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "images/AutoPurgeCache.h"
#include "images/WIImageTypes.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/Operation.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Types.h"
#include "platform/graphics/Image.h"

namespace sprout {

using WIImageQueryCompletedBlock =
    std::function<void(const ImagePtr& image, WIImageCacheType cacheType)>;
using WIImageCheckCacheCompletionBlock = std::function<void(bool isInCache)>;
using WIImageCalculateSizeBlock = std::function<void(std::size_t fileCount, std::size_t totalSize)>;

// Data of at least 8 bytes that starts with the PNG signature.
bool WIImageDataHasPNGSignature(const platform::Data& data);

// The extension a cache file carries: the key's path extension when it is 1 to 8 ASCII letters or
// digits (case kept), else none. Raw URL text ("png?x=1", a 300-character suffix) would make names
// that some writes can never create.
std::string cacheFileExtension(const std::string& key);

// Decoded images in memory, their encoded bytes on disk, both under the cache key of the image's
// URL. Disk work runs in order on one serial I/O queue; completions are posted to the main queue,
// except a memory hit, an empty key and a memory-only removal, which answer on the calling thread.
// The empty key stands for "no key": it is never stored, removed or looked up.
class WIImageCache : public std::enable_shared_from_this<WIImageCache> {
 public:
  // Linux sends no memory warnings, so the memory layer is bounded from the start: 64 M pixels,
  // about 256 MB of 32-bit pixels. setMaxMemoryCost(0) lifts the bound.
  static constexpr std::size_t kDefaultMaxMemoryCost = std::size_t{1} << 26;
  static constexpr std::int64_t kDefaultMaxCacheAge = 60 * 60 * 24 * 7;  // one week
  static constexpr char kFullNamespacePrefix[] = "com.brasswick.WIImageCache.";
  static constexpr char kIOQueueLabel[] = "com.brasswick.WIImageCache";

  // Namespace "default", in Caches/default/com.brasswick.WIImageCache.default.
  static std::shared_ptr<WIImageCache> sharedImageCache();
  static std::shared_ptr<WIImageCache> create();
  static std::shared_ptr<WIImageCache> create(const std::string& ns);
  // The disk folder is `directory` + the full namespace; no directory: makeDiskCachePath(ns).
  static std::shared_ptr<WIImageCache> create(const std::string& ns,
                                              const std::optional<std::string>& directory);
  ~WIImageCache();
  WIImageCache(const WIImageCache&) = delete;
  WIImageCache& operator=(const WIImageCache&) = delete;

  static std::string makeDiskCachePath(const std::string& name);  // Caches/<name>
  static std::string cachedFileNameForKey(const std::string& key);
  void addReadOnlyCachePath(const std::string& path);
  std::string cachePathForKey(const std::string& key, const std::string& directory) const;
  std::string defaultCachePathForKey(const std::string& key) const;

  // Memory cost of an image: its pixel count, every frame of an animated one.
  static std::size_t costForImage(const platform::Image& image);

  // Into memory (when enabled) at once; onto disk on the I/O queue. The given bytes are written
  // as they are unless `recalculate` is set or there are none: then the image is encoded again,
  // as PNG when it has alpha (or when the given bytes are PNG), else as JPEG at quality 1.
  void storeImage(const ImagePtr& image, bool recalculate,
                  const std::optional<platform::Data>& imageData, const std::string& key,
                  bool toDisk);
  void storeImage(const ImagePtr& image, const std::string& key, bool toDisk = true);
  // On the I/O queue only. Replaces the file atomically.
  void storeImageDataToDisk(const std::optional<platform::Data>& data, const std::string& key);

  bool diskImageExistsWithKey(const std::string& key) const;  // on the calling thread
  void diskImageExistsWithKey(const std::string& key, WIImageCheckCacheCompletionBlock completion);

  // Memory hit or empty key: `done` runs before this returns and the result is nullptr. Else the
  // disk is read on the I/O queue and `done` is posted to the main queue (a miss as a null image
  // of type Disk); cancelling the returned token before the I/O queue reaches it, or before the
  // read bytes are decoded, drops `done`. Hits decode side by side, so their answers may come in
  // another order than the queries.
  std::shared_ptr<platform::Operation> queryDiskCacheForKey(const std::string& key,
                                                            WIImageQueryCompletedBlock done);

  ImagePtr imageFromMemoryCacheForKey(const std::string& key) const;
  ImagePtr imageFromDiskCacheForKey(const std::string& key);  // reads the disk on this thread
  // Default folder first (with, then without extension), then the read-only folders in order.
  // Empty and unreadable files count as missing.
  std::optional<platform::Data> diskImageDataBySearchingAllPathsForKey(
      const std::string& key) const;
  // Decoded, key-scaled and (when enabled) force-decoded; nullptr for missing or undecodable bytes.
  ImagePtr diskImageForKey(const std::string& key) const;
  ImagePtr scaledImageForKey(const std::string& key, const ImagePtr& image) const;

  void removeImageForKey(const std::string& key, bool fromDisk = true,
                         WIImageNoParamsBlock completion = nullptr);

  void clearMemory();
  void clearDisk();
  void clearDiskOnCompletion(WIImageNoParamsBlock completion);
  void cleanDisk();
  // Removes files at least maxCacheAge old, then, over maxCacheSize (allocated bytes), the oldest
  // files until the total is below half of it.
  void cleanDiskWithCompletionBlock(WIImageNoParamsBlock completion);
  // cleanDisk inside an application background task.
  void backgroundCleanDisk();

  std::uint64_t getSize() const;     // logical bytes of every entry, on the I/O queue
  std::size_t getDiskCount() const;  // files and folders, on the I/O queue
  void calculateSizeWithCompletionBlock(WIImageCalculateSizeBlock completion);

  bool shouldDecompressImages() const { return shouldDecompressImages_; }
  void setShouldDecompressImages(bool value) { shouldDecompressImages_ = value; }
  bool shouldDisableiCloud() const { return shouldDisableiCloud_; }
  void setShouldDisableiCloud(bool value) { shouldDisableiCloud_ = value; }
  bool shouldCacheImagesInMemory() const { return shouldCacheImagesInMemory_; }
  void setShouldCacheImagesInMemory(bool value) { shouldCacheImagesInMemory_ = value; }
  std::int64_t maxCacheAge() const { return maxCacheAge_; }
  void setMaxCacheAge(std::int64_t seconds) { maxCacheAge_ = seconds; }
  std::uint64_t maxCacheSize() const { return maxCacheSize_; }
  void setMaxCacheSize(std::uint64_t bytes) { maxCacheSize_ = bytes; }
  std::size_t maxMemoryCost() const { return memCache_->totalCostLimit(); }
  void setMaxMemoryCost(std::size_t cost) { memCache_->setTotalCostLimit(cost); }
  std::size_t maxMemoryCountLimit() const { return memCache_->countLimit(); }
  void setMaxMemoryCountLimit(std::size_t count) { memCache_->setCountLimit(count); }

  AutoPurgeCache& memCache() const { return *memCache_; }
  const std::string& diskCachePath() const { return diskCachePath_; }
  std::vector<std::string> customPaths() const;
  const std::shared_ptr<platform::DispatchQueue>& ioQueue() const { return ioQueue_; }

 private:
  // diskImageForKey for bytes already read.
  ImagePtr imageFromDiskData(const std::string& key, const platform::Data& data) const;
  WIImageCache(const std::string& ns, std::string diskCachePath);
  void observeApplication();
  std::optional<platform::Data> encodeForDisk(const platform::Image& image,
                                              const std::optional<platform::Data>& given) const;
  void cleanDiskNow();
  // Puts an image read from disk into memory unless the memory layer changed since `generation`
  // was read: a store, removal or clear made meanwhile must not be undone by older disk bytes.
  // Stores and removals bump the generation and queue their disk work under memoryMutex_, and
  // queries read it and queue theirs under it too, so a query that sees a generation runs after
  // the disk work of every change before it.
  void fillMemoryFromDisk(const std::string& key, const ImagePtr& image, std::uint64_t generation);

  std::unique_ptr<platform::FileManager> fileManager_;  // used on the I/O queue only
  std::atomic<bool> shouldDecompressImages_{true};
  std::atomic<bool> shouldDisableiCloud_{true};
  std::atomic<bool> shouldCacheImagesInMemory_{true};
  std::atomic<std::int64_t> maxCacheAge_{kDefaultMaxCacheAge};
  std::atomic<std::uint64_t> maxCacheSize_{0};
  // Bumped by every store, removal and clear, under memoryMutex_ together with the change itself.
  mutable std::mutex memoryMutex_;
  std::uint64_t memoryGeneration_ = 0;
  std::shared_ptr<AutoPurgeCache> memCache_;
  const std::string diskCachePath_;
  mutable std::mutex customPathsMutex_;
  std::vector<std::string> customPaths_;
  std::shared_ptr<platform::DispatchQueue> ioQueue_;
  std::vector<platform::ObserverToken> observers_;
};

}  // namespace sprout
