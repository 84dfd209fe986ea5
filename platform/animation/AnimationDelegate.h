#pragma once

namespace platform {

class Animation;

// Told when an animation attached to a layer starts and stops. Calls arrive on the main run loop
// at the clock's time; an animation that is removed or replaced stops with finished == false.
// The animation holds its delegate strongly, as the platform does.
class AnimationDelegate {
 public:
  virtual ~AnimationDelegate() = default;
  virtual void animationDidStart(Animation& /*animation*/) {}
  virtual void animationDidStop(Animation& /*animation*/, bool /*finished*/) {}
};

}  // namespace platform
