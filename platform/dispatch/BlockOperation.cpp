#include "platform/dispatch/BlockOperation.h"

#include <utility>

namespace platform {

std::shared_ptr<BlockOperation> BlockOperation::create(std::function<void()> block) {
  auto operation = std::make_shared<BlockOperation>();
  operation->addExecutionBlock(std::move(block));
  return operation;
}

void BlockOperation::addExecutionBlock(std::function<void()> block) {
  if (!block) return;
  std::lock_guard lock(blocksMutex_);
  blocks_.push_back(std::move(block));
}

void BlockOperation::main() {
  std::vector<std::function<void()>> blocks;
  {
    std::lock_guard lock(blocksMutex_);
    blocks.swap(blocks_);
  }
  for (auto& block : blocks) {
    block();
    block = nullptr;
  }
}

}  // namespace platform
