#include "platform/dispatch/DisplayLink.h"

#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Timer.h"
#include "platform/foundation/Clock.h"

namespace platform {
namespace {

constexpr unsigned bit(RunLoopMode mode) { return 1u << static_cast<unsigned>(mode); }

// The loop's timers take one mode; Common already covers Default and Tracking together.
RunLoopMode modeFor(unsigned modes) {
  const unsigned both = bit(RunLoopMode::Default) | bit(RunLoopMode::Tracking);
  if ((modes & bit(RunLoopMode::Common)) != 0 || (modes & both) == both) {
    return RunLoopMode::Common;
  }
  return (modes & bit(RunLoopMode::Tracking)) != 0 ? RunLoopMode::Tracking : RunLoopMode::Default;
}

bool isSet(const std::weak_ptr<const void>& owner) {
  const std::weak_ptr<const void> empty;
  return owner.owner_before(empty) || empty.owner_before(owner);
}

}  // namespace

std::shared_ptr<DisplayLink> DisplayLink::create(Callback callback,
                                                 std::weak_ptr<const void> owner) {
  const bool hasOwner = isSet(owner);
  return std::shared_ptr<DisplayLink>(
      new DisplayLink(std::move(callback), std::move(owner), hasOwner));
}

DisplayLink::DisplayLink(Callback callback, std::weak_ptr<const void> owner, bool hasOwner)
    : callback_(std::move(callback)), owner_(std::move(owner)), hasOwner_(hasOwner) {}

DisplayLink::~DisplayLink() {
  if (timer_) timer_->invalidate();
}

void DisplayLink::addToRunLoop(RunLoop& loop, RunLoopMode mode) {
  if (!valid_) return;
  const unsigned before = modes_;
  loop_ = &loop;
  modes_ |= bit(mode);
  if (!paused_ && (!timer_ || modes_ != before)) schedule();
}

void DisplayLink::schedule() {
  if (timer_) timer_->invalidate();
  timer_ = nullptr;
  if (loop_ == nullptr || !valid_ || paused_) return;
  // The timer's callback holds the link: the loop keeps it until the timer goes.
  auto self = shared_from_this();
  timer_ = loop_->scheduleTimer(kFrameDuration, true, [self](Timer&) { self->frame(); },
                                {modeFor(modes_)});
}

void DisplayLink::frame() {
  if (!valid_) return;
  if (hasOwner_ && owner_.expired()) {
    invalidate();
    return;
  }
  timestamp_ = Clock::current().now();
  inFrame_ = true;
  callback_(*this);
  inFrame_ = false;
  if (!valid_) callback_ = nullptr;
}

void DisplayLink::setPaused(bool paused) {
  if (paused == paused_) return;
  paused_ = paused;
  if (paused_) {
    if (timer_) timer_->invalidate();
    timer_ = nullptr;
  } else {
    schedule();
  }
}

void DisplayLink::invalidate() {
  if (!valid_) return;
  valid_ = false;
  auto timer = std::move(timer_);
  if (!inFrame_) callback_ = nullptr;
  if (timer) timer->invalidate();  // may release the last hold on this link: nothing after it
}

}  // namespace platform
