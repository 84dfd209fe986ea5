#include "platform/net/URLCache.h"

#include <algorithm>
#include <vector>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Digest.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Path.h"
#include "platform/foundation/Status.h"
#include "platform/net/HTTPCachePolicy.h"
#include "platform/net/URLCacheEntryCodec.h"

namespace platform {
namespace {

constexpr std::size_t kEntryOverhead = 512;  // the response description, roughly
constexpr std::size_t kLargestShare = 20;    // an entry may take 1/20 of a layer

std::mutex& sharedMutex() {
  static std::mutex mutex;
  return mutex;
}

std::shared_ptr<URLCache>& sharedSlot() {
  static std::shared_ptr<URLCache> cache;
  return cache;
}

}  // namespace

URLCache::URLCache(std::size_t memoryCapacity, std::size_t diskCapacity, std::string diskPath)
    : memory_("URLCache"),
      diskPath_(std::move(diskPath)),
      memoryCapacity_(memoryCapacity),
      diskCapacity_(diskCapacity) {
  memory_.setTotalCostLimit(memoryCapacity);
}

URLCache::~URLCache() = default;

std::shared_ptr<URLCache> URLCache::create(std::size_t memoryCapacity, std::size_t diskCapacity,
                                           std::string diskPath) {
  return std::shared_ptr<URLCache>(new URLCache(memoryCapacity, diskCapacity, std::move(diskPath)));
}

std::shared_ptr<URLCache> URLCache::sharedURLCache() {
  std::lock_guard lock(sharedMutex());
  auto& slot = sharedSlot();
  if (!slot) {
    // The folder is made on the first write, not merely because a session was configured.
    slot = create(kDefaultMemoryCapacity, kDefaultDiskCapacity,
                  appendingPathComponent(FileManager::homeDirectory(), "Caches/URLCache"));
  }
  return slot;
}

void URLCache::setSharedURLCache(std::shared_ptr<URLCache> cache) {
  std::lock_guard lock(sharedMutex());
  sharedSlot() = std::move(cache);
}

std::optional<CachedURLResponse> URLCache::cachedResponseForRequest(
    const URLRequest& request) const {
  auto entry = cachedEntryForRequest(request);
  if (!entry) return std::nullopt;
  return entry->cached;
}

std::optional<URLCache::Entry> URLCache::cachedEntryForRequest(const URLRequest& request) const {
  const std::string key = HTTPCachePolicy::cacheKey(request);
  if (auto object = memory_.objectForKey(key)) return *std::static_pointer_cast<Entry>(object);
  std::uint64_t generation = 0;
  auto entry = readDisk(key, &generation);
  if (entry) {
    std::lock_guard lock(mutex_);
    const std::size_t size = entry->cached.data().size();
    if (generation == generation_ && memoryCapacity_ > 0 &&
        size <= memoryCapacity_ / kLargestShare) {
      // Promote so the next hit skips the disk.
      memory_.setObject(key, std::make_shared<Entry>(*entry), size + kEntryOverhead);
    }
  }
  return entry;
}

void URLCache::storeCachedResponse(const CachedURLResponse& cached, const URLRequest& request) {
  if (!cached.response()) return;
  store(HTTPCachePolicy::cacheKey(request), Entry{cached, dateNow()});
}

void URLCache::store(const std::string& key, const Entry& entry) {
  const URLCacheStoragePolicy policy = entry.cached.storagePolicy();
  if (policy == URLCacheStoragePolicy::NotAllowed) return;
  const std::size_t size = entry.cached.data().size();
  std::size_t memoryCapacity = 0;
  std::size_t diskCapacity = 0;
  {
    std::lock_guard lock(mutex_);
    ++generation_;
    memoryCapacity = memoryCapacity_;
    diskCapacity = diskCapacity_;
    if (memoryCapacity > 0 && size <= memoryCapacity / kLargestShare) {
      memory_.setObject(key, std::make_shared<Entry>(entry), size + kEntryOverhead);
    } else {
      memory_.removeObjectForKey(key);
    }
  }
  if (diskPath_.empty()) return;
  if (policy == URLCacheStoragePolicy::Allowed && diskCapacity > 0 &&
      size <= diskCapacity / kLargestShare) {
    writeDisk(key, entry);
  } else {
    // A response that may not go to disk must not leave an older copy behind there.
    std::lock_guard lock(mutex_);
    loadDiskIndexLocked();
    const std::string name = md5Hex(key);
    auto it = diskIndex_.find(name);
    if (it != diskIndex_.end()) {
      FileManager::defaultManager().removeItem(filePath(key));
      diskUsage_ -= it->second.size;
      diskIndex_.erase(it);
    }
  }
}

std::string URLCache::filePath(const std::string& key) const {
  return appendingPathComponent(diskPath_, md5Hex(key));
}

std::optional<URLCache::Entry> URLCache::readDisk(const std::string& key,
                                                  std::uint64_t* generation) const {
  if (diskPath_.empty()) return std::nullopt;
  std::lock_guard lock(mutex_);
  *generation = generation_;
  loadDiskIndexLocked();
  const std::string name = md5Hex(key);
  auto it = diskIndex_.find(name);
  if (it == diskIndex_.end()) return std::nullopt;
  const std::string path = filePath(key);
  auto bytes = FileManager::defaultManager().contentsAtPath(path);
  auto decoded = bytes ? decodeURLCacheEntry(*bytes) : std::nullopt;
  if (!decoded) {
    log(LogLevel::Warning, "URLCache", "dropping unreadable cache file " + path);
    FileManager::defaultManager().removeItem(path);
    diskUsage_ -= it->second.size;
    diskIndex_.erase(it);
    return std::nullopt;
  }
  if (decoded->key != key) return std::nullopt;  // another URL with the same digest
  it->second.lastUse = ++useCounter_;
  return Entry{std::move(decoded->cached), decoded->storedAt};
}

void URLCache::writeDisk(const std::string& key, const Entry& entry) {
  const Data bytes = encodeURLCacheEntry({key, entry.cached, entry.storedAt});
  std::lock_guard lock(mutex_);
  loadDiskIndexLocked();
  FileManager& files = FileManager::defaultManager();
  files.createDirectory(diskPath_, true);
  if (Status written = files.writeFile(filePath(key), bytes); !written) {
    log(LogLevel::Warning, "URLCache",
        "cannot write cache file: " + written.error().localizedDescription());
    return;
  }
  DiskRecord& record = diskIndex_[md5Hex(key)];
  diskUsage_ = diskUsage_ - record.size + bytes.size();
  record.size = bytes.size();
  record.lastUse = ++useCounter_;
  trimDiskLocked();
}

void URLCache::loadDiskIndexLocked() const {
  if (diskIndexLoaded_ || diskPath_.empty()) return;
  diskIndexLoaded_ = true;
  std::vector<FileEntry> files = FileManager::defaultManager().enumerate(diskPath_, true);
  std::sort(files.begin(), files.end(), [](const FileEntry& a, const FileEntry& b) {
    return a.modificationDate < b.modificationDate;
  });
  for (const FileEntry& file : files) {
    if (file.isDirectory) continue;
    DiskRecord& record = diskIndex_[lastPathComponent(file.path)];
    record.size = file.fileSize;
    record.lastUse = ++useCounter_;
    diskUsage_ += file.fileSize;
  }
}

void URLCache::trimDiskLocked() {
  if (diskUsage_ <= diskCapacity_) return;
  std::vector<std::pair<std::uint64_t, std::string>> byAge;
  byAge.reserve(diskIndex_.size());
  for (const auto& [name, record] : diskIndex_) byAge.emplace_back(record.lastUse, name);
  std::sort(byAge.begin(), byAge.end());
  // Trim below the budget so the next few stores do not each trigger a sweep.
  const std::uint64_t target = diskCapacity_ - diskCapacity_ / 10;
  for (const auto& [lastUse, name] : byAge) {
    if (diskUsage_ <= target) break;
    FileManager::defaultManager().removeItem(appendingPathComponent(diskPath_, name));
    diskUsage_ -= diskIndex_[name].size;
    diskIndex_.erase(name);
  }
}

void URLCache::removeCachedResponseForRequest(const URLRequest& request) {
  const std::string key = HTTPCachePolicy::cacheKey(request);
  std::lock_guard lock(mutex_);
  ++generation_;
  memory_.removeObjectForKey(key);
  if (diskPath_.empty()) return;
  loadDiskIndexLocked();
  auto it = diskIndex_.find(md5Hex(key));
  if (it == diskIndex_.end()) return;
  FileManager::defaultManager().removeItem(filePath(key));
  diskUsage_ -= it->second.size;
  diskIndex_.erase(it);
}

void URLCache::removeAllCachedResponses() {
  std::lock_guard lock(mutex_);
  ++generation_;
  memory_.removeAllObjects();
  if (diskPath_.empty()) return;
  loadDiskIndexLocked();
  for (const auto& [name, record] : diskIndex_) {
    FileManager::defaultManager().removeItem(appendingPathComponent(diskPath_, name));
  }
  diskIndex_.clear();
  diskUsage_ = 0;
}

std::size_t URLCache::memoryCapacity() const {
  std::lock_guard lock(mutex_);
  return memoryCapacity_;
}

void URLCache::setMemoryCapacity(std::size_t bytes) {
  {
    std::lock_guard lock(mutex_);
    memoryCapacity_ = bytes;
  }
  // The memory cache reads 0 as "unlimited"; here 0 means keep nothing.
  if (bytes == 0) memory_.removeAllObjects();
  memory_.setTotalCostLimit(bytes);
}

std::size_t URLCache::diskCapacity() const {
  std::lock_guard lock(mutex_);
  return diskCapacity_;
}

void URLCache::setDiskCapacity(std::size_t bytes) {
  std::lock_guard lock(mutex_);
  diskCapacity_ = bytes;
  loadDiskIndexLocked();
  trimDiskLocked();
}

std::size_t URLCache::currentMemoryUsage() const { return memory_.totalCost(); }

std::size_t URLCache::currentDiskUsage() const {
  std::lock_guard lock(mutex_);
  loadDiskIndexLocked();
  return static_cast<std::size_t>(diskUsage_);
}

}  // namespace platform
