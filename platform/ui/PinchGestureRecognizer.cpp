#include "platform/ui/PinchGestureRecognizer.h"

#include <cmath>

namespace platform {

std::shared_ptr<PinchGestureRecognizer> PinchGestureRecognizer::create(Action action) {
  auto r = make<PinchGestureRecognizer>();
  if (action) r->addTarget(std::move(action));
  return r;
}

double PinchGestureRecognizer::spread() const {
  const auto& touches = trackedTouches();
  if (touches.size() < 2) return 0;
  const Point a = touches[0]->locationInView(nullptr), b = touches[1]->locationInView(nullptr);
  return std::hypot(a.x - b.x, a.y - b.y);
}

void PinchGestureRecognizer::setScale(double scale) {
  const double now = spread();
  if (scale > 0 && now > 0) startSpread_ = now / scale;
  scale_ = scale;
}

void PinchGestureRecognizer::touchesBegan(const TouchSet& /*touches*/, const Event& event) {
  if (trackedTouches().size() > 2) {
    setState(state() == State::Possible ? State::Failed : State::Cancelled);
    return;
  }
  if (trackedTouches().size() == 2) {
    startSpread_ = spread();
    scale_ = 1;
    velocity_ = 0;
    lastTime_ = event.timestamp;
  }
}

void PinchGestureRecognizer::touchesMoved(const TouchSet& /*touches*/, const Event& event) {
  if (trackedTouches().size() != 2 || startSpread_ <= 0) return;
  const double now = spread();
  const double next = now / startSpread_;
  const TimeInterval dt = event.timestamp - lastTime_;
  if (dt > 0) velocity_ = (next - scale_) / dt;
  scale_ = next;
  lastTime_ = event.timestamp;
  if (state() == State::Possible) {
    if (std::abs(now - startSpread_) > kStartThreshold) setState(State::Began);
  } else if (state() == State::Began || state() == State::Changed) {
    setState(State::Changed);
  }
}

void PinchGestureRecognizer::touchesEnded(const TouchSet& /*touches*/, const Event& /*event*/) {
  if (state() == State::Began || state() == State::Changed) {
    setState(State::Ended);
  } else {
    setState(State::Failed);
  }
}

void PinchGestureRecognizer::reset() {
  GestureRecognizer::reset();
  startSpread_ = 0;
}

}  // namespace platform
