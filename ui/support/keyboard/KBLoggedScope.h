#pragma once

#include <string>

#include "ui/support/keyboard/KBKeyboardSettings.h"

namespace sprout {

// Writes "KBKeyboardManager: <message>" to the log when the settings ask for debugging.
void keyboardShowLog(const KBKeyboardSettings& settings, const std::string& message);

// Brackets one piece of the keyboard manager's work with its "started" and "ended" lines,
// however it returns.
class KBLoggedScope {
 public:
  KBLoggedScope(const KBKeyboardSettings& settings, const char* what);
  ~KBLoggedScope();
  KBLoggedScope(const KBLoggedScope&) = delete;
  KBLoggedScope& operator=(const KBLoggedScope&) = delete;

 private:
  const KBKeyboardSettings& settings_;
  const char* what_;
  double started_;
};

}  // namespace sprout
