#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/foundation/Types.h"
#include "platform/net/CachedURLResponse.h"

namespace platform {

// One URL cache file: a magic, the length of a JSON description of the response, the body's length
// and checksum, the JSON, then the body. Decoding checks everything, since a file on disk is
// outside input like any other: a file cut short or damaged decodes to nothing.
struct URLCacheDiskEntry {
  std::string key;
  CachedURLResponse cached;
  TimeInterval storedAt = 0;
};

// A cheap 64-bit checksum of the body (damage, not tampering).
std::uint64_t urlCacheBodyChecksum(const std::uint8_t* bytes, std::size_t size);
Data encodeURLCacheEntry(const URLCacheDiskEntry& entry);
std::optional<URLCacheDiskEntry> decodeURLCacheEntry(const Data& bytes);

}  // namespace platform
