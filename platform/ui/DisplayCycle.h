#pragma once

namespace platform {

// The layout-and-draw pass the main run loop runs after views ask for it: every window lays out
// what needs layout and redraws what needs display. Several requests within one turn of the loop
// make one pass. Main thread only.
class DisplayCycle {
 public:
  static void schedule();
  // Runs the pass now (tests, render).
  static void run();
};

}  // namespace platform
