#include "platform/ui/TouchDriver.h"

#include <algorithm>
#include <cmath>

#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Clock.h"
#include "platform/ui/Window.h"

namespace platform {
namespace {

const std::shared_ptr<Touch> kNoTouch;

bool isDown(const std::shared_ptr<Touch>& t) {
  return t && t->phase() != TouchPhase::Ended && t->phase() != TouchPhase::Cancelled;
}

}  // namespace

TouchDriver::TouchDriver(std::shared_ptr<Window> window) : window_(std::move(window)) {}

std::shared_ptr<View> TouchDriver::begin(Finger finger, const Point& p) {
  send({{finger, TouchPhase::Began, p}});
  auto t = touch(finger);
  return t ? t->view() : nullptr;
}

void TouchDriver::move(Finger finger, const Point& p) { send({{finger, TouchPhase::Moved, p}}); }

void TouchDriver::end(Finger finger) {
  auto it = last_.find(finger);
  if (it != last_.end()) send({{finger, TouchPhase::Ended, it->second}});
}

void TouchDriver::end(const Point& p) { send({{0, TouchPhase::Ended, p}}); }

void TouchDriver::cancel(Finger finger) {
  auto it = last_.find(finger);
  if (it != last_.end()) send({{finger, TouchPhase::Cancelled, it->second}});
}

std::shared_ptr<View> TouchDriver::tap(const Point& p) {
  auto hit = begin(p);
  end();
  return hit;
}

void TouchDriver::drag(const Point& from, const Point& to, int frames) {
  begin(from);
  for (int i = 1; i <= frames; ++i) {
    RunLoop::main().advance(kFrame);
    move({from.x + (to.x - from.x) * i / frames, from.y + (to.y - from.y) * i / frames});
  }
}

void TouchDriver::fling(const Point& from, const Point& to, int frames) {
  drag(from, to, frames);
  end();
}

void TouchDriver::holdAndLift(TimeInterval seconds) {
  RunLoop::main().advance(seconds);
  end();
}

void TouchDriver::pinch(const Point& centre, double from, double to, int frames) {
  begin(0, {centre.x - from / 2, centre.y});
  begin(1, {centre.x + from / 2, centre.y});
  for (int i = 1; i <= frames; ++i) {
    RunLoop::main().advance(kFrame);
    const double half = (from + (to - from) * i / frames) / 2;
    send({{0, TouchPhase::Moved, {centre.x - half, centre.y}},
          {1, TouchPhase::Moved, {centre.x + half, centre.y}}});
  }
  end(0);
  end(1);
}

const std::shared_ptr<Touch>& TouchDriver::touch(Finger finger) const {
  auto it = fingers_.find(finger);
  return it == fingers_.end() ? kNoTouch : it->second;
}

void TouchDriver::send(const std::vector<Change>& changes) {
  const TimeInterval now = Clock::current().now();
  Event event;
  event.timestamp = now;
  for (const Change& c : changes) {
    auto& slot = fingers_[c.finger];
    if (c.phase == TouchPhase::Began) {
      if (isDown(slot)) continue;  // already down
      slot = std::make_shared<Touch>(window_, c.location, now);
      const bool again = lastLift_ >= 0 && now - lastLift_ <= kDoubleTapInterval &&
                         std::hypot(c.location.x - lastLiftAt_.x, c.location.y - lastLiftAt_.y) <=
                             kDoubleTapDistance;
      slot->setTapCount(again ? lastTapCount_ + 1 : 1);
    } else {
      if (!isDown(slot)) continue;
      slot->update(c.phase, c.location, now);
      if (c.phase == TouchPhase::Ended) {
        lastLift_ = now;
        lastLiftAt_ = c.location;
        lastTapCount_ = slot->tapCount();
      }
    }
    last_[c.finger] = c.location;
    event.touches.push_back(slot);
  }
  if (event.touches.empty()) return;
  // Fingers that stay down are part of the event as stationary.
  for (auto& [finger, t] : fingers_) {
    if (!isDown(t) ||
        std::find(event.touches.begin(), event.touches.end(), t) != event.touches.end()) {
      continue;
    }
    t->update(TouchPhase::Stationary, last_[finger], now);
  }
  window_->sendEvent(event);
}

}  // namespace platform
