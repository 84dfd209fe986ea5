#include "platform/ui/StartupHooks.h"

#include <utility>
#include <vector>

namespace platform {
namespace {

struct Hook {
  std::string name;
  std::function<void()> run;
};

struct HookState {
  std::vector<Hook> pending;
  bool ran = false;
};

// Built on first use, so registering from any static initialiser is safe.
HookState& state() {
  static HookState* hooks = new HookState();  // lives until exit
  return *hooks;
}

}  // namespace

bool StartupHooks::add(std::string name, std::function<void()> hook) {
  if (!hook) return false;
  if (state().ran) {
    hook();
    return true;
  }
  state().pending.push_back({std::move(name), std::move(hook)});
  return true;
}

void StartupHooks::run() {
  auto& hooks = state();
  if (hooks.ran) return;
  hooks.ran = true;
  // A hook may register another; that one then runs at once.
  auto pending = std::move(hooks.pending);
  hooks.pending.clear();
  for (auto& hook : pending) hook.run();
}

bool StartupHooks::haveRun() { return state().ran; }

}  // namespace platform
