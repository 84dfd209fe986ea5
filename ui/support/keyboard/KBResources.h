#pragma once

#include <memory>
#include <string>

#include "platform/foundation/Bundle.h"

namespace sprout {

// The "KBKeyboardManager" resource bundle inside the main bundle (the main bundle itself when
// it is missing): the toolbar's arrow images and the manager's texts.
std::shared_ptr<platform::Bundle> keyboardManagerBundle();
// The text for `key` in the bundle's "KBKeyboardManager" table (the key itself when missing).
std::string keyboardManagerText(const std::string& key);

}  // namespace sprout
