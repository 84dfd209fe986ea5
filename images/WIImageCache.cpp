#include "images/WIImageCache.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "images/WIImageDecodeQueue.h"
#include "images/WIImageDiskWriter.h"
#include "images/WIImageForceDecode.h"
#include "images/WIImageKeyScale.h"
#include "images/WIImageMultiFormat.h"
#include "platform/dispatch/BlockOperation.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Digest.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Path.h"
#include "platform/foundation/Status.h"
#include "platform/graphics/ImageEncoder.h"
#include "platform/ui/Application.h"

namespace sprout {

using platform::Data;
using platform::DispatchQueue;
using platform::FileManager;
using platform::Image;

namespace {

constexpr std::uint8_t kPNGSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::size_t kMaxExtensionLength = 8;
constexpr char kLogTag[] = "WIImageCache";

bool isAlphanumeric(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Creates the folder when missing, replaces the file atomically, marks it excluded from backup.
void writeCacheFile(const FileManager& files, const std::string& directory, const std::string& path,
                    const Data& data, bool excludeFromBackup) {
  if (!files.fileExists(directory)) files.createDirectory(directory, true);
  if (platform::Status written = files.writeFile(path, data); !written) {
    platform::log(platform::LogLevel::Info, kLogTag,
                  "cannot write " + path + ": " + written.error().localizedDescription());
    return;
  }
  if (excludeFromBackup) files.setExcludedFromBackup(path, true);
}

std::optional<Data> readNonEmpty(const FileManager& files, const std::string& path) {
  auto data = files.contentsAtPath(path);
  if (!data || data->empty()) return std::nullopt;
  return data;
}

}  // namespace

bool WIImageDataHasPNGSignature(const Data& data) {
  return data.size() >= sizeof(kPNGSignature) &&
         std::memcmp(data.data(), kPNGSignature, sizeof(kPNGSignature)) == 0;
}

std::string cacheFileExtension(const std::string& key) {
  std::string extension = platform::pathExtension(key);
  if (extension.empty() || extension.size() > kMaxExtensionLength) return {};
  for (char c : extension) {
    if (!isAlphanumeric(c)) return {};
  }
  return extension;
}

std::shared_ptr<WIImageCache> WIImageCache::sharedImageCache() {
  // Never destroyed: its I/O queue may still be writing while the process exits.
  static auto* const instance = new std::shared_ptr<WIImageCache>(create());
  return *instance;
}

std::shared_ptr<WIImageCache> WIImageCache::create() { return create("default"); }

std::shared_ptr<WIImageCache> WIImageCache::create(const std::string& ns) {
  return create(ns, makeDiskCachePath(ns));
}

std::shared_ptr<WIImageCache> WIImageCache::create(const std::string& ns,
                                                   const std::optional<std::string>& directory) {
  std::string path = directory
                         ? platform::appendingPathComponent(*directory, kFullNamespacePrefix + ns)
                         : makeDiskCachePath(ns);
  std::shared_ptr<WIImageCache> cache(new WIImageCache(ns, std::move(path)));
  cache->observeApplication();
  return cache;
}

WIImageCache::WIImageCache(const std::string& ns, std::string diskCachePath)
    : memCache_(std::make_shared<AutoPurgeCache>(kFullNamespacePrefix + ns)),
      diskCachePath_(std::move(diskCachePath)),
      ioQueue_(DispatchQueue::createSerial(kIOQueueLabel)) {
  memCache_->setTotalCostLimit(kDefaultMaxMemoryCost);
  ioQueue_->sync([this] { fileManager_ = std::make_unique<FileManager>(); });
}

WIImageCache::~WIImageCache() { observers_.clear(); }

std::string WIImageCache::makeDiskCachePath(const std::string& name) {
  return platform::appendingPathComponent(FileManager::cachesDirectory(), name);
}

std::string WIImageCache::cachedFileNameForKey(const std::string& key) {
  std::string name = platform::md5Hex(key);
  const std::string extension = cacheFileExtension(key);
  if (!extension.empty()) name += "." + extension;
  return name;
}

void WIImageCache::addReadOnlyCachePath(const std::string& path) {
  std::lock_guard lock(customPathsMutex_);
  for (const auto& existing : customPaths_) {
    if (existing == path) return;
  }
  customPaths_.push_back(path);
}

std::vector<std::string> WIImageCache::customPaths() const {
  std::lock_guard lock(customPathsMutex_);
  return customPaths_;
}

std::string WIImageCache::cachePathForKey(const std::string& key,
                                          const std::string& directory) const {
  return platform::appendingPathComponent(directory, cachedFileNameForKey(key));
}

std::string WIImageCache::defaultCachePathForKey(const std::string& key) const {
  return cachePathForKey(key, diskCachePath_);
}

std::size_t WIImageCache::costForImage(const Image& image) {
  auto pixelsOf = [](const Image& one) {
    const platform::Size size = one.size();
    const double pixels = size.height * size.width * one.scale() * one.scale();
    return pixels > 0 ? pixels : 0.0;
  };
  // An animated picture holds every one of its frames.
  double pixels = 0;
  for (const auto& frame : image.images()) {
    if (frame) pixels += pixelsOf(*frame);
  }
  if (!image.isAnimated()) pixels = pixelsOf(image);
  return static_cast<std::size_t>(pixels);
}

void WIImageCache::storeImage(const ImagePtr& image, bool recalculate,
                              const std::optional<Data>& imageData, const std::string& key,
                              bool toDisk) {
  if (!image || key.empty()) return;
  // The memory change and the queued write are one step for queries (see fillMemoryFromDisk).
  std::lock_guard lock(memoryMutex_);
  if (shouldCacheImagesInMemory_) {
    ++memoryGeneration_;
    memCache_->setObject(key, image, costForImage(*image));
  }
  if (!toDisk) return;
  ioQueue_->async([self = shared_from_this(), image, recalculate, data = imageData, key]() mutable {
    if (recalculate || !data) data = self->encodeForDisk(*image, data);
    if (!data || data->empty()) return;
    // Written behind the I/O queue (see WIImageDiskWriter); what this queue does next sees it.
    WIImageDiskWriter::shared().add(
        self->defaultCachePathForKey(key), std::make_shared<const Data>(std::move(*data)),
        [directory = self->diskCachePath_, exclude = self->shouldDisableiCloud_.load()](
            const std::string& path, const Data& bytes) {
          writeCacheFile(FileManager::defaultManager(), directory, path, bytes, exclude);
        });
  });
}

void WIImageCache::storeImage(const ImagePtr& image, const std::string& key, bool toDisk) {
  storeImage(image, /*recalculate=*/true, std::nullopt, key, toDisk);
}

std::optional<Data> WIImageCache::encodeForDisk(const Image& image,
                                                const std::optional<Data>& given) const {
  using platform::AlphaInfo;
  const auto& bitmap = image.bitmap();
  const AlphaInfo alpha = bitmap ? bitmap->alphaInfo() : AlphaInfo::None;
  bool asPNG = alpha != AlphaInfo::None && alpha != AlphaInfo::NoneSkipLast &&
               alpha != AlphaInfo::NoneSkipFirst;
  // Bytes that were handed in know their own format better than the bitmap does.
  if (given && given->size() >= sizeof(kPNGSignature)) asPNG = WIImageDataHasPNGSignature(*given);
  return asPNG ? platform::encodePNG(image) : platform::encodeJPEG(image, 1.0);
}

void WIImageCache::storeImageDataToDisk(const std::optional<Data>& data, const std::string& key) {
  // An empty file would only ever be read as missing, so none is written.
  if (!data || data->empty() || key.empty()) return;
  const std::string path = defaultCachePathForKey(key);
  // A store still waiting for the writer is older than these bytes.
  WIImageDiskWriter::shared().forget(path);
  writeCacheFile(*fileManager_, diskCachePath_, path, *data, shouldDisableiCloud_);
}

bool WIImageCache::diskImageExistsWithKey(const std::string& key) const {
  if (key.empty()) return false;
  const FileManager& files = FileManager::defaultManager();
  if (WIImageDiskWriter::shared().pending(defaultCachePathForKey(key))) return true;
  return files.fileExists(defaultCachePathForKey(key)) ||
         files.fileExists(platform::appendingPathComponent(diskCachePath_, platform::md5Hex(key)));
}

void WIImageCache::diskImageExistsWithKey(const std::string& key,
                                          WIImageCheckCacheCompletionBlock completion) {
  ioQueue_->async([self = shared_from_this(), key, completion = std::move(completion)] {
    const bool exists = self->diskImageExistsWithKey(key);
    if (completion) DispatchQueue::main()->async([completion, exists] { completion(exists); });
  });
}

std::shared_ptr<platform::Operation> WIImageCache::queryDiskCacheForKey(
    const std::string& key, WIImageQueryCompletedBlock done) {
  if (!done) return nullptr;
  if (key.empty()) {
    done(nullptr, WIImageCacheTypeNone);
    return nullptr;
  }
  ImagePtr hit;
  std::shared_ptr<platform::Operation> token;
  {
    std::lock_guard lock(memoryMutex_);
    hit = imageFromMemoryCacheForKey(key);
    if (!hit) {
      // Only a cancellation flag: the token is never queued.
      token = platform::BlockOperation::create([] {});
      // The file is read on the I/O queue, in order with the writes and removals queued before
      // it; the decode runs on the concurrent decode queue, so disk hits decode on all cores.
      // The generation taken now still decides whether the result may fill the memory cache.
      ioQueue_->async([self = shared_from_this(), token, key, generation = memoryGeneration_,
                       done] {
        if (token->isCancelled()) return;
        auto data = self->diskImageDataBySearchingAllPathsForKey(key);
        if (!data) {
          DispatchQueue::main()->async([done] { done(nullptr, WIImageCacheTypeDisk); });
          return;
        }
        WIImageDecodeQueue()->async([self, token, key, generation, done, data = std::move(*data)] {
          if (token->isCancelled()) return;
          ImagePtr image = self->imageFromDiskData(key, data);
          self->fillMemoryFromDisk(key, image, generation);
          DispatchQueue::main()->async([done, image] { done(image, WIImageCacheTypeDisk); });
        });
      });
    }
  }
  if (hit) done(hit, WIImageCacheTypeMemory);
  return token;
}

ImagePtr WIImageCache::imageFromMemoryCacheForKey(const std::string& key) const {
  if (key.empty()) return nullptr;
  return std::static_pointer_cast<Image>(memCache_->objectForKey(key));
}

ImagePtr WIImageCache::imageFromDiskCacheForKey(const std::string& key) {
  std::uint64_t generation = 0;
  {
    std::lock_guard lock(memoryMutex_);
    if (auto image = imageFromMemoryCacheForKey(key)) return image;
    generation = memoryGeneration_;
  }
  ImagePtr image = diskImageForKey(key);
  fillMemoryFromDisk(key, image, generation);
  return image;
}

void WIImageCache::fillMemoryFromDisk(const std::string& key, const ImagePtr& image,
                                      std::uint64_t generation) {
  if (!image || !shouldCacheImagesInMemory_) return;
  std::lock_guard lock(memoryMutex_);
  if (memoryGeneration_ != generation) return;  // a missed fill only costs another disk read
  memCache_->setObject(key, image, costForImage(*image));
}

std::optional<Data> WIImageCache::diskImageDataBySearchingAllPathsForKey(
    const std::string& key) const {
  if (key.empty()) return std::nullopt;
  if (auto waiting = WIImageDiskWriter::shared().pending(defaultCachePathForKey(key))) {
    return *waiting;  // stored, not yet on disk
  }
  const FileManager& files = FileManager::defaultManager();
  const std::string bareName = platform::md5Hex(key);
  std::vector<std::string> directories{diskCachePath_};
  for (auto& path : customPaths()) directories.push_back(std::move(path));
  for (const auto& directory : directories) {
    if (auto data = readNonEmpty(files, cachePathForKey(key, directory))) return data;
    if (auto data = readNonEmpty(files, platform::appendingPathComponent(directory, bareName))) {
      return data;
    }
  }
  return std::nullopt;
}

ImagePtr WIImageCache::diskImageForKey(const std::string& key) const {
  auto data = diskImageDataBySearchingAllPathsForKey(key);
  return data ? imageFromDiskData(key, *data) : nullptr;
}

ImagePtr WIImageCache::imageFromDiskData(const std::string& key, const Data& data) const {
  auto decoded = wi_decodeImageData(data, WIImageDefaultDecodeLimits());
  if (!decoded || !decoded.value()) {
    platform::log(platform::LogLevel::Info, kLogTag,
                  "cached file for " + key + " is not an image: " +
                      (!decoded ? decoded.error().localizedDescription() : "no image"));
    return nullptr;
  }
  ImagePtr image = scaledImageForKey(key, decoded.value());
  if (shouldDecompressImages_) image = decodedImageWithImage(image);
  return image;
}

ImagePtr WIImageCache::scaledImageForKey(const std::string& key, const ImagePtr& image) const {
  return WIImageApplyKeyScale(key, image);
}

void WIImageCache::removeImageForKey(const std::string& key, bool fromDisk,
                                     WIImageNoParamsBlock completion) {
  if (key.empty()) return;
  std::unique_lock lock(memoryMutex_);
  if (shouldCacheImagesInMemory_) {
    ++memoryGeneration_;
    memCache_->removeObjectForKey(key);
  }
  if (!fromDisk) {
    lock.unlock();
    if (completion) completion();
    return;
  }
  ioQueue_->async([self = shared_from_this(), key, completion = std::move(completion)] {
    const std::string path = self->defaultCachePathForKey(key);
    WIImageDiskWriter::shared().forget(path);
    self->fileManager_->removeItem(path);
    if (completion) DispatchQueue::main()->async(completion);
  });
}

void WIImageCache::clearMemory() {
  std::lock_guard lock(memoryMutex_);
  ++memoryGeneration_;
  memCache_->removeAllObjects();
}

}  // namespace sprout

// The disk-wide work of WIImageCache: clearing, cleaning by age and size, sizes and counts, and
// the application events that trigger them.
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
