#pragma once

#include <functional>
#include <memory>

#include "platform/dispatch/RunLoopMode.h"
#include "platform/foundation/Types.h"

namespace platform {

class RunLoop;
class Timer;

// A callback once per frame of the 60 Hz display, on a run loop, timed by the Clock (so tests
// step it with RunLoop::advance). Frames fall at the time the link was added plus whole frame
// durations; a loop that fell behind gets one frame, not a burst. The link holds its owner
// weakly: once the owner is gone the link invalidates itself instead of keeping it alive.
// The loop's thread only.
class DisplayLink : public std::enable_shared_from_this<DisplayLink> {
 public:
  using Callback = std::function<void(DisplayLink&)>;
  static constexpr TimeInterval kFrameDuration = 1.0 / 60;

  // `owner`, when given, is what the callback works on (its expiry ends the link).
  static std::shared_ptr<DisplayLink> create(Callback callback,
                                             std::weak_ptr<const void> owner = {});
  ~DisplayLink();
  DisplayLink(const DisplayLink&) = delete;
  DisplayLink& operator=(const DisplayLink&) = delete;

  // Starts the frames on `loop` in `mode` (another call adds a mode). The loop keeps the link
  // until it is invalidated.
  void addToRunLoop(RunLoop& loop, RunLoopMode mode);
  // Stops the frames for good and releases the callback (also from inside it).
  void invalidate();
  bool isValid() const { return valid_; }
  // A paused link gets no frames and costs the loop no wake-ups; meanwhile only its users keep
  // it. Resuming starts the frame count afresh.
  bool isPaused() const { return paused_; }
  void setPaused(bool paused);

  // The clock time of the frame being delivered, and of the next one.
  TimeInterval timestamp() const { return timestamp_; }
  TimeInterval targetTimestamp() const { return timestamp_ + kFrameDuration; }
  TimeInterval duration() const { return kFrameDuration; }

 private:
  DisplayLink(Callback callback, std::weak_ptr<const void> owner, bool hasOwner);
  void schedule();
  void frame();

  Callback callback_;
  std::weak_ptr<const void> owner_;
  bool hasOwner_;
  RunLoop* loop_ = nullptr;
  unsigned modes_ = 0;
  std::shared_ptr<Timer> timer_;
  TimeInterval timestamp_ = 0;
  bool paused_ = false;
  bool valid_ = true;
  bool inFrame_ = false;  // the callback is running: invalidate releases it afterwards
};

}  // namespace platform
