#pragma once

#include <memory>

#include "platform/dispatch/DispatchQueue.h"

namespace sprout {

// The concurrent queue every full-size decode of downloaded and disk-cached images runs on, so
// pictures decode on all cores while the serial queues that feed them (a session's delegate
// queue, the cache's I/O queue) only move bytes and keep their order. The worker pool bounds it
// to about one thread per core.
std::shared_ptr<platform::DispatchQueue> WIImageDecodeQueue();

}  // namespace sprout
