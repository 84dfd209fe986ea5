#include "platform/ui/DisplayCycle.h"

#include "platform/dispatch/RunLoop.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Window.h"

namespace platform {
namespace {

// Main thread only.
struct State {
  bool scheduled = false;
  bool deferred = false;  // a pass was asked for while one was in progress
  int depth = 0;
};

State& state() {
  static State s;
  return s;
}

// Passes that keep asking for another (a drawRect that dirties layout, say) yield to the loop.
constexpr int kMaxRoundsPerRun = 4;

}  // namespace

DisplayCycle::PassScope::PassScope() { ++state().depth; }

DisplayCycle::PassScope::~PassScope() {
  // A direct layoutIfNeeded is no full pass: one asked for inside it runs on the next turn.
  if (--state().depth == 0 && state().deferred) {
    state().deferred = false;
    schedule();
  }
}

void DisplayCycle::schedule() {
  if (state().scheduled) return;
  state().scheduled = true;
  RunLoop::main().post([] {
    state().scheduled = false;
    run();
  });
}

void DisplayCycle::run() {
  State& s = state();
  if (s.depth > 0) {
    s.deferred = true;
    return;
  }
  for (int round = 0; round < kMaxRoundsPerRun; ++round) {
    ++s.depth;
    for (const auto& window : ApplicationWindows::shared().windows()) window->updateTree();
    --s.depth;
    if (!s.deferred) return;
    s.deferred = false;
  }
  schedule();
}

}  // namespace platform
