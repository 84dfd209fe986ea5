#pragma once

#include <functional>
#include <optional>

#include "platform/animation/TimingFunction.h"
#include "platform/foundation/Types.h"

namespace platform {

// Groups layer changes (main thread only). Outside begin/commit the defaults apply: actions on,
// 0.25 s, the default timing. A nested transaction starts with its parent's settings. The
// completion block runs on the main run loop once every animation added while the transaction
// (or one nested in it) was open has stopped, or soon after commit when there was none.
class Transaction {
 public:
  static void begin();
  static void commit();
  static int depth();

  static bool disableActions();
  static void setDisableActions(bool disable);
  static TimeInterval animationDuration();
  static void setAnimationDuration(TimeInterval duration);
  static std::optional<TimingFunction> animationTimingFunction();
  static void setAnimationTimingFunction(std::optional<TimingFunction> function);
  static void setCompletionBlock(std::function<void()> completion);

  // For layers: registers an animation with every open transaction. Call the returned function
  // once, when that animation stops.
  static std::function<void()> trackAnimation();
};

}  // namespace platform
