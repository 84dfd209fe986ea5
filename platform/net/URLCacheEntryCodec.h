#pragma once

#include <optional>
#include <string>

#include "platform/foundation/Types.h"
#include "platform/net/CachedURLResponse.h"

namespace platform {

// One URL cache file: a magic, the length of a JSON description of the response, the JSON, then
// the body. Decoding checks everything, since a file on disk is outside input like any other.
struct URLCacheDiskEntry {
  std::string key;
  CachedURLResponse cached;
  TimeInterval storedAt = 0;
};

Data encodeURLCacheEntry(const URLCacheDiskEntry& entry);
std::optional<URLCacheDiskEntry> decodeURLCacheEntry(const Data& bytes);

}  // namespace platform
