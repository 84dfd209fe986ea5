#include "ui/support/keyboard/KBKeyWindow.h"

#include "platform/ui/ApplicationWindows.h"

namespace sprout {
namespace {

// Last known key window; held weakly, so a closed window is not kept alive by the cache.
std::weak_ptr<platform::Window>& keyWindowCache() {
  static std::weak_ptr<platform::Window> cache;  // main thread only
  return cache;
}

}  // namespace

std::shared_ptr<platform::Window> keyboardKeyWindow(const platform::View* field) {
  if (field) {
    if (auto window = field->window()) return window;
  }
  auto key = platform::ApplicationWindows::shared().keyWindow();
  if (key && key != keyWindowCache().lock()) keyWindowCache() = key;
  return keyWindowCache().lock();
}

}  // namespace sprout
