#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/foundation/Cache.h"
#include "platform/foundation/Types.h"
#include "platform/net/CachedURLResponse.h"
#include "platform/net/HTTPCachePolicy.h"
#include "platform/net/URLRequest.h"

namespace platform {

// Responses kept by URL, in memory and on disk. Thread-safe. A URL may hold several variants
// (responses with Vary, each with the request fields that selected it); a request is answered by
// the newest variant it matches. Memory is an LRU under a byte budget; disk holds one file per
// variant (named by the MD5 of the key, and for a response with Vary by the MD5 of what selected
// it too, written atomically) and drops the least recently used files when over its budget. A
// response larger than a twentieth of a layer's capacity is not kept in that layer. Hop-by-hop
// fields are never stored.
class URLCache {
 public:
  struct Entry {
    CachedURLResponse cached;
    TimeInterval storedAt = 0;     // Clock::current() when it arrived or was last validated
    TimeInterval requestTime = 0;  // when the request that brought it (or validated it) went out
    HTTPHeaderFields selectingFields;  // the request fields its Vary names

    // The rules' view of it; null when the response is not HTTP.
    std::optional<StoredResponse> stored() const;
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

  // The newest variant the request matches.
  std::optional<CachedURLResponse> cachedResponseForRequest(const URLRequest& request) const;
  std::optional<Entry> cachedEntryForRequest(const URLRequest& request) const;
  // Every variant stored for the request's URL, newest first, matching or not.
  std::vector<Entry> cachedEntriesForURL(const URL& url) const;
  // Stores the response as the variant `request` selected; without a request time, now.
  void storeCachedResponse(const CachedURLResponse& cached, const URLRequest& request);
  void storeCachedResponse(const CachedURLResponse& cached, const URLRequest& request,
                           TimeInterval requestTime);
  // Stores (or replaces) a variant with the selecting fields it carries.
  void storeEntry(const URL& url, Entry entry);
  // Removes every variant of the URL.
  void removeCachedResponseForRequest(const URLRequest& request);
  void removeCachedResponsesForURL(const URL& url);
  void removeAllCachedResponses();

  // What a 304 to a conditional request for `chosen` means: the variant it names (by ETag; else
  // `chosen`) takes the 304's fields and counts as just received. Returns that variant.
  Entry refreshWithNotModified(const URL& url, const Entry& chosen,
                               const HTTPURLResponse& notModified, TimeInterval requestTime);
  // What any final response tells about what is stored: a non-error answer to an unsafe method
  // empties its URLs; a HEAD answer updates the GET response it confirms, or drops it.
  void noteResponse(const URLRequest& request, const HTTPURLResponse& response);

  // One background validation per URL at a time: true for the caller that may start it.
  bool beginBackgroundValidation(const URL& url);
  void endBackgroundValidation(const URL& url);

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

  using MemoryVariants = std::map<std::string, std::shared_ptr<const Entry>>;

  std::shared_ptr<const MemoryVariants> memoryVariantsOf(const std::string& key) const;
  void changeMemoryLocked(const std::string& key, const std::string& variant,
                          const Entry* entry) const;
  std::string fileName(const std::string& key, const std::string& variant) const;
  std::set<std::string> variantsLocked(const std::string& key) const;
  std::optional<Entry> readVariant(const std::string& key, const std::string& variant) const;
  CachedURLResponse withStoredPiece(const std::string& key, const std::string& variant,
                                    const CachedURLResponse& piece,
                                    const std::shared_ptr<const HTTPURLResponse>& http);
  void store(const std::string& key, const std::string& variant, const Entry& entry);
  void removeVariantLocked(const std::string& key, const std::string& variant);
  void removeFileLocked(const std::string& name);
  std::optional<Entry> readDisk(const std::string& key, const std::string& variant,
                                std::uint64_t* generation) const;
  void writeDisk(const std::string& key, const std::string& variant, const Entry& entry);
  void loadDiskIndexLocked() const;
  void trimDiskLocked();

  mutable Cache memory_;
  std::string diskPath_;
  mutable std::mutex mutex_;
  std::size_t memoryCapacity_;
  std::size_t diskCapacity_;
  mutable bool diskIndexLoaded_ = false;
  mutable std::map<std::string, DiskRecord> diskIndex_;  // by file name
  std::set<std::string> validating_;  // keys with a background validation under way
  mutable std::uint64_t diskUsage_ = 0;
  mutable std::uint64_t useCounter_ = 0;
  // Bumped with every change of what a key holds, so a disk read that a store or removal
  // overtook is not promoted into memory over the newer state.
  std::uint64_t generation_ = 0;
};

}  // namespace platform
