#include "ui/support/keyboard/KBLoggedScope.h"

#include <chrono>
#include <cstdio>

#include "platform/foundation/Log.h"

namespace sprout {
namespace {

double secondsNow() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

void keyboardShowLog(const KBKeyboardSettings& settings, const std::string& message) {
  if (settings.enableDebugging)
    platform::log(platform::LogLevel::Info, "KBKeyboardManager", "KBKeyboardManager: " + message);
}

KBLoggedScope::KBLoggedScope(const KBKeyboardSettings& settings, const char* what)
    : settings_(settings), what_(what), started_(secondsNow()) {
  keyboardShowLog(settings_, std::string("****** ") + what_ + " started ******");
}

KBLoggedScope::~KBLoggedScope() {
  if (!settings_.enableDebugging) return;
  char text[160];
  std::snprintf(text, sizeof text, "****** %s ended: %g seconds ******", what_,
                secondsNow() - started_);
  keyboardShowLog(settings_, text);
}

}  // namespace sprout
