#include "platform/ui/DisplayCycle.h"

#include "platform/dispatch/MainThread.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Window.h"

namespace platform {
namespace {

bool& scheduled() {
  static bool flag = false;  // main thread only
  return flag;
}

}  // namespace

void DisplayCycle::schedule() {
  assertMainThread("DisplayCycle::schedule");
  if (scheduled()) return;
  scheduled() = true;
  RunLoop::main().post([] {
    scheduled() = false;
    run();
  });
}

void DisplayCycle::run() {
  assertMainThread("DisplayCycle::run");
  for (const auto& window : ApplicationWindows::shared().windows()) window->updateTree();
}

}  // namespace platform
