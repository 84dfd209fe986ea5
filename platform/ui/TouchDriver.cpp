#include "platform/ui/TouchDriver.h"

#include "platform/dispatch/Clock.h"
#include "platform/ui/Window.h"

namespace platform {

TouchDriver::TouchDriver(std::shared_ptr<Window> window) : window_(std::move(window)) {}

std::shared_ptr<View> TouchDriver::begin(const Point& p) {
  const TimeInterval now = Clock::current().now();
  touch_ = std::make_shared<Touch>(window_, p, now);
  Event probe{{touch_}, now};
  auto hit = window_->hitTest(p, &probe);
  touch_->setView(hit);
  last_ = p;
  if (hit) window_->sendEvent(probe);
  return hit;
}

void TouchDriver::move(const Point& p) { send(TouchPhase::Moved, p); }

void TouchDriver::end() { send(TouchPhase::Ended, last_); }

void TouchDriver::end(const Point& p) { send(TouchPhase::Ended, p); }

void TouchDriver::cancel() { send(TouchPhase::Cancelled, last_); }

std::shared_ptr<View> TouchDriver::tap(const Point& p) {
  auto hit = begin(p);
  end();
  return hit;
}

void TouchDriver::send(TouchPhase phase, const Point& p) {
  if (!touch_ || touch_->phase() == TouchPhase::Ended || touch_->phase() == TouchPhase::Cancelled) {
    return;
  }
  const TimeInterval now = Clock::current().now();
  touch_->update(phase, p, now);
  last_ = p;
  window_->sendEvent(Event{{touch_}, now});
}

}  // namespace platform
