#include "app/AppStartup.h"

#include "platform/dispatch/MainThread.h"

#include "ui/support/keyboard/KBKeyboardManager.h"

namespace sprout {

void startAppServices() {
  platform::assertMainThread("startAppServices");
  static bool started = false;
  if (started) return;
  started = true;
  KBKeyboardManager::sharedManager()->setEnable(true);
}

}  // namespace sprout
