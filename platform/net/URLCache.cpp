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
#include "platform/net/HTTPURLResponse.h"
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

std::optional<StoredResponse> URLCache::Entry::stored() const {
  auto* http = dynamic_cast<const HTTPURLResponse*>(cached.response().get());
  if (!http) return std::nullopt;
  return StoredResponse{*http, selectingFields, requestTime, storedAt};
}

std::optional<CachedURLResponse> URLCache::cachedResponseForRequest(
    const URLRequest& request) const {
  auto entry = cachedEntryForRequest(request);
  if (!entry) return std::nullopt;
  return entry->cached;
}

std::optional<URLCache::Entry> URLCache::cachedEntryForRequest(const URLRequest& request) const {
  for (Entry& entry : cachedEntriesForURL(request.url())) {
    auto stored = entry.stored();
    if (!stored || HTTPCachePolicy::variantMatches(*stored, request)) return std::move(entry);
  }
  return std::nullopt;
}

std::vector<URLCache::Entry> URLCache::cachedEntriesForURL(const URL& url) const {
  const std::string key = HTTPCachePolicy::cacheKey(url);
  std::set<std::string> variants;
  {
    std::lock_guard lock(mutex_);
    variants = variantsLocked(key);
  }
  std::vector<Entry> entries;
  for (const std::string& variant : variants) {
    if (auto entry = readVariant(key, variant)) entries.push_back(std::move(*entry));
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return a.storedAt > b.storedAt; });
  return entries;
}

std::set<std::string> URLCache::variantsLocked(const std::string& key) const {
  std::set<std::string> variants;
  if (auto held = memoryVariantsOf(key)) {
    for (const auto& [variant, entry] : *held) variants.insert(variant);
  }
  if (diskPath_.empty()) return variants;
  loadDiskIndexLocked();
  // A variant's file is the key's digest, alone or followed by "-" and the variant's digest.
  const std::string base = md5Hex(key);
  for (auto it = diskIndex_.lower_bound(base);
       it != diskIndex_.end() && it->first.compare(0, base.size(), base) == 0; ++it) {
    if (it->first.size() == base.size()) {
      variants.insert("");
    } else if (it->first[base.size()] == '-') {
      variants.insert(it->first.substr(base.size() + 1));
    }
  }
  return variants;
}

std::shared_ptr<const URLCache::MemoryVariants> URLCache::memoryVariantsOf(
    const std::string& key) const {
  return std::static_pointer_cast<const MemoryVariants>(memory_.objectForKey(key));
}

// The memory layer holds one object per URL with all its variants, replaced as a whole (readers
// keep the snapshot they got), so evicting a URL evicts every variant of it at once.
void URLCache::changeMemoryLocked(const std::string& key, const std::string& variant,
                                  const Entry* entry) const {
  auto held = memoryVariantsOf(key);
  auto changed = std::make_shared<MemoryVariants>(held ? *held : MemoryVariants{});
  if (entry) {
    (*changed)[variant] = std::make_shared<const Entry>(*entry);
  } else if (!changed->erase(variant) && !held) {
    return;
  }
  std::size_t cost = 0;
  for (const auto& [name, kept] : *changed) cost += kept->cached.data().size() + kEntryOverhead;
  memory_.setObject(key, changed->empty() ? nullptr : changed, cost);
}

std::optional<URLCache::Entry> URLCache::readVariant(const std::string& key,
                                                     const std::string& variant) const {
  if (auto held = memoryVariantsOf(key)) {
    if (auto it = held->find(variant); it != held->end()) return *it->second;
  }
  std::uint64_t generation = 0;
  auto entry = readDisk(key, variant, &generation);
  if (!entry) return std::nullopt;
  std::lock_guard lock(mutex_);
  const std::size_t size = entry->cached.data().size();
  if (generation == generation_ && memoryCapacity_ > 0 && size <= memoryCapacity_ / kLargestShare) {
    changeMemoryLocked(key, variant, &*entry);  // so the next hit skips the disk
  }
  return entry;
}

void URLCache::storeCachedResponse(const CachedURLResponse& cached, const URLRequest& request) {
  storeCachedResponse(cached, request, dateNow());
}

void URLCache::storeCachedResponse(const CachedURLResponse& cached, const URLRequest& request,
                                   TimeInterval requestTime) {
  if (!cached.response()) return;
  HTTPHeaderFields selecting;
  if (auto http = std::dynamic_pointer_cast<const HTTPURLResponse>(cached.response())) {
    selecting = HTTPCachePolicy::selectingFields(*http, request);
  }
  const TimeInterval now = dateNow();
  storeEntry(request.url(), Entry{cached, now, std::min(requestTime, now), std::move(selecting)});
}

void URLCache::storeEntry(const URL& url, Entry entry) {
  if (!entry.cached.response()) return;
  std::string variant;
  if (auto http = std::dynamic_pointer_cast<const HTTPURLResponse>(entry.cached.response())) {
    auto stored = std::make_shared<HTTPURLResponse>(
        http->url(), http->statusCode(), http->HTTPVersion(),
        HTTPCachePolicy::storableFields(http->allHeaderFields()), http->setCookieValues());
    const std::string selecting = HTTPCachePolicy::variantKey(*stored, entry.selectingFields);
    variant = selecting.empty() ? "" : md5Hex(selecting);
    entry.cached = entry.cached.withResponse(stored);
    if (stored->statusCode() == 206) {
      entry.cached = withStoredPiece(HTTPCachePolicy::cacheKey(url), variant, entry.cached, stored);
    }
  }
  store(HTTPCachePolicy::cacheKey(url), variant, entry);
}

// A piece of a representation meets what is stored of it: a complete response of the same
// representation stays (with the piece's fields), an adjoining piece joins it.
CachedURLResponse URLCache::withStoredPiece(const std::string& key, const std::string& variant,
                                            const CachedURLResponse& piece,
                                            const std::shared_ptr<const HTTPURLResponse>& http) {
  auto existing = readVariant(key, variant);
  auto old = existing
                 ? std::dynamic_pointer_cast<const HTTPURLResponse>(existing->cached.response())
                 : nullptr;
  if (!old || !HTTPCachePolicy::shareStrongValidator(*old, *http)) return piece;
  if (old->statusCode() == 200) {
    return existing->cached.withResponse(
        HTTPCachePolicy::mergeNotModified(*old, http->allHeaderFields()));
  }
  auto combined =
      HTTPCachePolicy::combinePartial({old, existing->cached.data()}, {http, piece.data()});
  if (!combined) return piece;
  return CachedURLResponse(std::move(combined->response), std::move(combined->body),
                           piece.storagePolicy());
}

void URLCache::store(const std::string& key, const std::string& variant, const Entry& entry) {
  const URLCacheStoragePolicy policy = entry.cached.storagePolicy();
  if (policy == URLCacheStoragePolicy::NotAllowed) return;
  const std::size_t size = entry.cached.data().size();
  std::size_t diskCapacity = 0;
  {
    std::lock_guard lock(mutex_);
    ++generation_;
    diskCapacity = diskCapacity_;
    // A response without Vary answers every request, so it outdates every other variant; one
    // with Vary outdates the one without.
    for (const std::string& other : variantsLocked(key)) {
      if (other == variant || (!variant.empty() && !other.empty())) continue;
      removeVariantLocked(key, other);
    }
    const bool fits = memoryCapacity_ > 0 && size <= memoryCapacity_ / kLargestShare;
    changeMemoryLocked(key, variant, fits ? &entry : nullptr);
  }
  if (diskPath_.empty()) return;
  if (policy == URLCacheStoragePolicy::Allowed && diskCapacity > 0 &&
      size <= diskCapacity / kLargestShare) {
    writeDisk(key, variant, entry);
  } else {
    // A response that may not go to disk must not leave an older copy behind there.
    std::lock_guard lock(mutex_);
    loadDiskIndexLocked();
    removeFileLocked(fileName(key, variant));
  }
}

void URLCache::removeVariantLocked(const std::string& key, const std::string& variant) {
  changeMemoryLocked(key, variant, nullptr);
  if (!diskPath_.empty()) removeFileLocked(fileName(key, variant));
}

void URLCache::removeFileLocked(const std::string& name) {
  auto it = diskIndex_.find(name);
  if (it == diskIndex_.end()) return;
  FileManager::defaultManager().removeItem(appendingPathComponent(diskPath_, name));
  diskUsage_ -= it->second.size;
  diskIndex_.erase(it);
}

std::string URLCache::fileName(const std::string& key, const std::string& variant) const {
  return variant.empty() ? md5Hex(key) : md5Hex(key) + "-" + variant;
}

std::optional<URLCache::Entry> URLCache::readDisk(const std::string& key,
                                                  const std::string& variant,
                                                  std::uint64_t* generation) const {
  if (diskPath_.empty()) return std::nullopt;
  std::lock_guard lock(mutex_);
  *generation = generation_;
  loadDiskIndexLocked();
  const std::string name = fileName(key, variant);
  auto it = diskIndex_.find(name);
  if (it == diskIndex_.end()) return std::nullopt;
  const std::string path = appendingPathComponent(diskPath_, name);
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
  return Entry{std::move(decoded->cached), decoded->storedAt, decoded->requestTime,
               std::move(decoded->selectingFields)};
}

void URLCache::writeDisk(const std::string& key, const std::string& variant, const Entry& entry) {
  const Data bytes = encodeURLCacheEntry(
      {key, entry.cached, entry.storedAt, entry.requestTime, entry.selectingFields});
  std::lock_guard lock(mutex_);
  loadDiskIndexLocked();
  FileManager& files = FileManager::defaultManager();
  files.createDirectory(diskPath_, true);
  const std::string name = fileName(key, variant);
  if (Status written = files.writeFile(appendingPathComponent(diskPath_, name), bytes); !written) {
    log(LogLevel::Warning, "URLCache",
        "cannot write cache file: " + written.error().localizedDescription());
    return;
  }
  DiskRecord& record = diskIndex_[name];
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
  removeCachedResponsesForURL(request.url());
}

void URLCache::removeCachedResponsesForURL(const URL& url) {
  const std::string key = HTTPCachePolicy::cacheKey(url);
  std::lock_guard lock(mutex_);
  ++generation_;
  for (const std::string& variant : variantsLocked(key)) removeVariantLocked(key, variant);
}

URLCache::Entry URLCache::refreshWithNotModified(const URL& url, const Entry& chosen,
                                                 const HTTPURLResponse& notModified,
                                                 TimeInterval requestTime) {
  std::vector<Entry> variants = cachedEntriesForURL(url);
  std::erase_if(variants, [](const Entry& entry) { return !entry.stored(); });
  std::vector<const HTTPURLResponse*> responses;
  std::size_t fallback = variants.size();
  for (const Entry& entry : variants) {
    if (entry.selectingFields == chosen.selectingFields && entry.storedAt == chosen.storedAt) {
      fallback = responses.size();
    }
    responses.push_back(&entry.stored()->response);
  }
  const std::size_t picked = HTTPCachePolicy::selectValidated(responses, notModified, fallback);
  Entry refreshed = picked < variants.size() ? variants[picked] : chosen;
  auto http = std::dynamic_pointer_cast<const HTTPURLResponse>(refreshed.cached.response());
  if (!http) return refreshed;
  refreshed.cached = refreshed.cached.withResponse(
      HTTPCachePolicy::mergeNotModified(*http, notModified.allHeaderFields()));
  refreshed.storedAt = dateNow();
  refreshed.requestTime = std::min(requestTime, refreshed.storedAt);
  storeEntry(url, refreshed);
  return refreshed;
}

void URLCache::noteResponse(const URLRequest& request, const HTTPURLResponse& response) {
  if (HTTPCachePolicy::invalidatesStored(request, response.statusCode())) {
    for (const URL& url : HTTPCachePolicy::invalidatedURLs(request.url(), response)) {
      removeCachedResponsesForURL(url);
    }
    return;
  }
  if (request.HTTPMethod() != "HEAD" || response.statusCode() != 200) return;
  auto entry = cachedEntryForRequest(request);
  auto http =
      entry ? std::dynamic_pointer_cast<const HTTPURLResponse>(entry->cached.response()) : nullptr;
  if (!http) return;
  if (HTTPCachePolicy::headConfirms(*http, response)) {
    entry->cached = entry->cached.withResponse(
        HTTPCachePolicy::mergeNotModified(*http, response.allHeaderFields()));
    storeEntry(request.url(), *entry);
  } else if (HTTPCachePolicy::hasValidators(response)) {
    removeCachedResponsesForURL(request.url());  // the stored body is no longer the current one
  }
}

bool URLCache::beginBackgroundValidation(const URL& url) {
  std::lock_guard lock(mutex_);
  return validating_.insert(HTTPCachePolicy::cacheKey(url)).second;
}

void URLCache::endBackgroundValidation(const URL& url) {
  std::lock_guard lock(mutex_);
  validating_.erase(HTTPCachePolicy::cacheKey(url));
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
