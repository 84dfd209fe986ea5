#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/foundation/Cache.h"
#include "platform/foundation/Types.h"
#include "platform/net/CachedURLResponse.h"
#include "platform/net/URLRequest.h"

namespace platform {

// Responses kept by URL, in memory and on disk. Thread-safe. Memory is an LRU under a byte
// budget; disk holds one file per URL (named by the MD5 of the key, written atomically) and
// drops the least recently used files when over its budget. A response larger than a twentieth
// of a layer's capacity is not kept in that layer.
class URLCache {
 public:
  struct Entry {
    CachedURLResponse cached;
    TimeInterval storedAt = 0;  // Clock::current() when stored or last revalidated
  };

  static constexpr std::size_t kDefaultMemoryCapacity = 4u << 20;
  static constexpr std::size_t kDefaultDiskCapacity = 20u << 20;

  // An empty diskPath keeps everything in memory.
  static std::shared_ptr<URLCache> create(std::size_t memoryCapacity, std::size_t diskCapacity,
                                          std::string diskPath);
  // The process-wide cache, created on first use under FileManager::cachesDirectory()/URLCache.
  static std::shared_ptr<URLCache> sharedURLCache();
  static void setSharedURLCache(std::shared_ptr<URLCache> cache);

  ~URLCache();
  URLCache(const URLCache&) = delete;
  URLCache& operator=(const URLCache&) = delete;

  std::optional<CachedURLResponse> cachedResponseForRequest(const URLRequest& request) const;
  std::optional<Entry> cachedEntryForRequest(const URLRequest& request) const;
  void storeCachedResponse(const CachedURLResponse& cached, const URLRequest& request);
  void removeCachedResponseForRequest(const URLRequest& request);
  void removeAllCachedResponses();

  std::size_t memoryCapacity() const;
  void setMemoryCapacity(std::size_t bytes);
  std::size_t diskCapacity() const;
  void setDiskCapacity(std::size_t bytes);
  std::size_t currentMemoryUsage() const;
  std::size_t currentDiskUsage() const;
  const std::string& diskPath() const { return diskPath_; }

 private:
  struct DiskRecord {
    std::uint64_t size = 0;
    std::uint64_t lastUse = 0;  // a counter, higher is more recent
  };

  URLCache(std::size_t memoryCapacity, std::size_t diskCapacity, std::string diskPath);

  std::string filePath(const std::string& key) const;
  void store(const std::string& key, const Entry& entry);
  std::optional<Entry> readDisk(const std::string& key, std::uint64_t* generation) const;
  void writeDisk(const std::string& key, const Entry& entry);
  void loadDiskIndexLocked() const;
  void trimDiskLocked();

  mutable Cache memory_;
  std::string diskPath_;
  mutable std::mutex mutex_;
  std::size_t memoryCapacity_;
  std::size_t diskCapacity_;
  mutable bool diskIndexLoaded_ = false;
  mutable std::map<std::string, DiskRecord> diskIndex_;  // by file name
  mutable std::uint64_t diskUsage_ = 0;
  mutable std::uint64_t useCounter_ = 0;
  // Bumped with every change of what a key holds, so a disk read that a store or removal
  // overtook is not promoted into memory over the newer state.
  std::uint64_t generation_ = 0;
};

}  // namespace platform
