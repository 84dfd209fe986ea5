#include "platform/dispatch/MainThread.h"

#include <cstdlib>
#include <string>

#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Log.h"

namespace platform {

bool isMainThreadForChecks() { return RunLoop::isMainThread(); }

void mainThreadViolation(const char* what) {
  log(LogLevel::Error, "MainThread", std::string(what) + " must run on the main thread");
  std::abort();
}

}  // namespace platform
