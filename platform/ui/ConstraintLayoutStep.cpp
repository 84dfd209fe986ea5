#include "platform/ui/ConstraintLayoutStep.h"

#include <atomic>

namespace platform {
namespace {

// Constant-initialised: nothing runs before main.
constinit std::atomic<const ConstraintLayoutStep*> installedStep{nullptr};

}  // namespace

const ConstraintLayoutStep* ConstraintLayoutStep::installed() {
  return installedStep.load(std::memory_order_acquire);
}

void ConstraintLayoutStep::install(const ConstraintLayoutStep& step) {
  installedStep.store(&step, std::memory_order_release);
}

}  // namespace platform
