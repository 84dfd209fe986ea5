#pragma once

namespace platform {

// The layout-and-draw pass the main run loop runs after views ask for it: every window lays out
// what needs layout and redraws what needs display. Several requests within one turn of the loop
// make one pass. Main thread only.
//
// Passes never nest. A nested main loop (an operation wait, a synchronous call to main) inside a
// layoutSubviews or drawRect would otherwise run a whole pass inside the caller; a pass asked for
// while one is in progress runs once the outermost one ends instead.
class DisplayCycle {
 public:
  static void schedule();
  // Runs the pass now (tests, render), or after the pass in progress.
  static void run();

  // Marks a pass (or a direct layoutIfNeeded or updateTree) in progress for its lifetime.
  class PassScope {
   public:
    PassScope();
    ~PassScope();
    PassScope(const PassScope&) = delete;
    PassScope& operator=(const PassScope&) = delete;
  };
};

}  // namespace platform
