#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/dispatch/Operation.h"

namespace platform {

// Runs its blocks one after another in main(); the blocks are released once they have run.
class BlockOperation : public Operation {
 public:
  static std::shared_ptr<BlockOperation> create(std::function<void()> block);
  void addExecutionBlock(std::function<void()> block);  // before the operation starts
  void main() override;

 private:
  std::mutex blocksMutex_;
  std::vector<std::function<void()>> blocks_;
};

}  // namespace platform
