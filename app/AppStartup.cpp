#include "app/AppStartup.h"

#include "ui/support/keyboard/KBKeyboardManager.h"

namespace sprout {

void startAppServices() {
  static bool started = false;  // main thread only
  if (started) return;
  started = true;
  KBKeyboardManager::sharedManager()->setEnable(true);
}

}  // namespace sprout
