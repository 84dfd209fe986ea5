#include "images/WIImageCombinedOperation.h"

#include <utility>

namespace sprout {

std::shared_ptr<WIImageCombinedOperation> WIImageCombinedOperation::create() {
  return std::make_shared<WIImageCombinedOperation>(Key{});
}

bool WIImageCombinedOperation::isCancelled() const {
  std::lock_guard lock(mutex_);
  return cancelled_;
}

void WIImageCombinedOperation::setCancelBlock(WIImageNoParamsBlock block) {
  {
    std::lock_guard lock(mutex_);
    if (!cancelled_) {
      cancelBlock_ = std::move(block);
      return;
    }
  }
  // The block may take other locks (the manager's list, the downloader's callbacks).
  if (block) block();
}

WIImageNoParamsBlock WIImageCombinedOperation::cancelBlock() const {
  std::lock_guard lock(mutex_);
  return cancelBlock_;
}

void WIImageCombinedOperation::setCacheOperation(std::shared_ptr<platform::Operation> operation) {
  {
    std::lock_guard lock(mutex_);
    if (!cancelled_) {
      cacheOperation_ = std::move(operation);
      return;
    }
  }
  if (operation) operation->cancel();
}

std::shared_ptr<platform::Operation> WIImageCombinedOperation::cacheOperation() const {
  std::lock_guard lock(mutex_);
  return cacheOperation_;
}

void WIImageCombinedOperation::cancel() {
  std::shared_ptr<platform::Operation> cacheOperation;
  WIImageNoParamsBlock cancelBlock;
  {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    cacheOperation = std::move(cacheOperation_);
    cancelBlock = std::move(cancelBlock_);
    cacheOperation_.reset();
    cancelBlock_ = nullptr;
  }
  if (cacheOperation) cacheOperation->cancel();
  if (cancelBlock) cancelBlock();
}

}  // namespace sprout
