#pragma once

#include <cstddef>

#include "images/WIImageTypes.h"

namespace sprout {

class WIImagePrefetcher;

// Both calls are optional (the defaults do nothing) and arrive on the prefetcher's queue. The
// names drop the selectors' shared first keyword, which would clash with the prefetcher's class.
class WIImagePrefetcherDelegate {
 public:
  virtual ~WIImagePrefetcherDelegate() = default;

  // After each URL whose load ended; totalCount is the number of URLs being prefetched.
  virtual void didPrefetchURL(WIImagePrefetcher& /*prefetcher*/, const OptionalURL& /*url*/,
                              std::size_t /*finishedCount*/, std::size_t /*totalCount*/) {}
  // At the end; totalCount is the number of URLs less the skipped ones.
  virtual void didFinishWithTotalCount(WIImagePrefetcher& /*prefetcher*/,
                                       std::size_t /*totalCount*/, std::size_t /*skippedCount*/) {}
};

}  // namespace sprout
