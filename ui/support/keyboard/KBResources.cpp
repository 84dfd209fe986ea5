#include "ui/support/keyboard/KBResources.h"

namespace sprout {

std::shared_ptr<platform::Bundle> keyboardManagerBundle() {
  // Looked up once per main bundle: every toolbar asks for its arrows.
  static std::shared_ptr<platform::Bundle> main, found;  // main thread only
  auto current = platform::Bundle::main();
  if (current == main && found) return found;
  main = current;
  found = current;
  if (auto path = current->pathForResource("KBKeyboardManager", "bundle")) {
    if (auto bundle = platform::Bundle::bundleWithPath(*path)) found = bundle;
  }
  return found;
}

std::string keyboardManagerText(const std::string& key) {
  return keyboardManagerBundle()->localizedString(key, "", "KBKeyboardManager");
}

}  // namespace sprout
