#pragma once

namespace platform {

// Tracking is the mode while the user drags a scroll view; Common is not a mode the loop runs in
// but a set that covers both, for timers that must keep firing during a drag.
enum class RunLoopMode { Default, Tracking, Common };

}  // namespace platform
