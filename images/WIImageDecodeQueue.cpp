#include "images/WIImageDecodeQueue.h"

namespace sprout {

std::shared_ptr<platform::DispatchQueue> WIImageDecodeQueue() {
  // Never destroyed: decodes may still be finishing while the process exits.
  static auto* const queue = new std::shared_ptr<platform::DispatchQueue>(
      platform::DispatchQueue::createConcurrent("com.brasswick.WIImageDecodeQueue"));
  return *queue;
}

}  // namespace sprout
