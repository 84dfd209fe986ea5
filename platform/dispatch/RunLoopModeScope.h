#pragma once

#include <cstdint>

#include "platform/dispatch/RunLoop.h"

namespace platform {

// Holds a run loop in a mode for as long as it lives; scopes nest and may end in any order.
class RunLoopModeScope {
 public:
  explicit RunLoopModeScope(RunLoopMode mode, RunLoop& loop = RunLoop::main())
      : loop_(loop), ticket_(loop.enterMode(mode)) {}
  ~RunLoopModeScope() { loop_.leaveMode(ticket_); }
  RunLoopModeScope(const RunLoopModeScope&) = delete;
  RunLoopModeScope& operator=(const RunLoopModeScope&) = delete;

 private:
  RunLoop& loop_;
  std::uint64_t ticket_;
};

}  // namespace platform
