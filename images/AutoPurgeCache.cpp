#include "images/AutoPurgeCache.h"

#include <utility>

#include "platform/ui/Application.h"

namespace sprout {

AutoPurgeCache::AutoPurgeCache(std::string name) : platform::Cache(std::move(name)) {
  // The token is reset before the cache goes away, and a removal waits for a call in progress,
  // so the handler never sees a destroyed cache.
  memoryWarning_ = platform::NotificationCenter::defaultCenter().addObserver(
      platform::kApplicationDidReceiveMemoryWarningNotification, nullptr,
      [this](const platform::Notification&) { removeAllObjects(); });
}

AutoPurgeCache::~AutoPurgeCache() { memoryWarning_.reset(); }

}  // namespace sprout
