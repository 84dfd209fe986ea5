#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/foundation/Types.h"
#include "platform/net/CachedURLResponse.h"
#include "platform/net/HTTPHeaderFields.h"

namespace platform {

// One URL cache file: a magic, the length of a JSON description of the response, the body's length
// and checksum, the JSON, then the body. Decoding checks everything, since a file on disk is
// outside input like any other: a file cut short or damaged decodes to nothing.
//
// Files written before variants were kept have no "request" member: they were stored for requests
// whose selecting fields nobody wrote down, so one whose response has Vary decodes to nothing
// (it is fetched again); one without Vary reads as it always did.
struct URLCacheDiskEntry {
  std::string key;
  CachedURLResponse cached;
  TimeInterval storedAt = 0;
  TimeInterval requestTime = 0;
  HTTPHeaderFields selectingFields;
};

// A cheap 64-bit checksum of the body (damage, not tampering).
std::uint64_t urlCacheBodyChecksum(const std::uint8_t* bytes, std::size_t size);
Data encodeURLCacheEntry(const URLCacheDiskEntry& entry);
std::optional<URLCacheDiskEntry> decodeURLCacheEntry(const Data& bytes);

}  // namespace platform
