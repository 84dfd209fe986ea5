#include "ui/support/keyboard/KBResources.h"

namespace sprout {

std::shared_ptr<platform::Bundle> keyboardManagerBundle() {
  auto main = platform::Bundle::main();
  if (auto path = main->pathForResource("KBKeyboardManager", "bundle")) {
    if (auto bundle = platform::Bundle::bundleWithPath(*path)) return bundle;
  }
  return main;
}

std::string keyboardManagerText(const std::string& key) {
  return keyboardManagerBundle()->localizedString(key, "", "KBKeyboardManager");
}

}  // namespace sprout
