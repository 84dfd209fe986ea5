#include "ui/support/keyboard/KBResources.h"

#include "platform/dispatch/MainThread.h"

namespace sprout {

std::shared_ptr<platform::Bundle> keyboardManagerBundle() {
  // Found once, like a class's bundle: every toolbar asks for its arrows, and finding the main
  // bundle reads the file system. Until it is found the main bundle stands in.
  platform::assertMainThread("the keyboard manager's bundle");
  static std::shared_ptr<platform::Bundle> found;
  if (found) return found;
  auto main = platform::Bundle::main();
  if (auto path = main->pathForResource("KBKeyboardManager", "bundle")) {
    found = platform::Bundle::bundleWithPath(*path);
    if (found) return found;
  }
  return main;
}

std::string keyboardManagerText(const std::string& key) {
  return keyboardManagerBundle()->localizedString(key, "", "KBKeyboardManager");
}

}  // namespace sprout
