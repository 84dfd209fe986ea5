#pragma once

#include <memory>
#include <mutex>

#include "images/WIImageOperation.h"
#include "images/WIImageTypes.h"
#include "platform/dispatch/Operation.h"

namespace sprout {

// The handle a caller of WIImageManager gets for one load: it cancels the cache query and, once
// the download has started, this caller's share of it. Thread-safe: the manager reads it from the
// main thread, the cache's thread and the download session's thread.
class WIImageCombinedOperation : public WIImageOperation {
 public:
  static std::shared_ptr<WIImageCombinedOperation> create();

  bool isCancelled() const;

  // On a cancelled handle the block runs at once (outside any lock) and is not kept.
  void setCancelBlock(WIImageNoParamsBlock block);
  WIImageNoParamsBlock cancelBlock() const;

  // On a cancelled handle the operation is cancelled at once and not kept.
  void setCacheOperation(std::shared_ptr<platform::Operation> operation);
  std::shared_ptr<platform::Operation> cacheOperation() const;

  void cancel() override;

 private:
  struct Key {};  // lets create() use make_shared: one allocation for handle and count

 public:
  explicit WIImageCombinedOperation(Key) {}

 private:
  mutable std::mutex mutex_;
  bool cancelled_ = false;
  WIImageNoParamsBlock cancelBlock_;
  std::shared_ptr<platform::Operation> cacheOperation_;
};

}  // namespace sprout
