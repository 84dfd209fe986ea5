#include "platform/ui/PanGestureRecognizer.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace platform {

std::shared_ptr<PanGestureRecognizer> PanGestureRecognizer::create(Action action) {
  auto r = make<PanGestureRecognizer>();
  if (action) r->addTarget(std::move(action));
  return r;
}

Point PanGestureRecognizer::toView(const Point& windowPoint, const View* view) const {
  auto window = window_.lock();
  if (!view || !window) return windowPoint;
  return view->convertPointFrom(windowPoint, window.get());
}

Point PanGestureRecognizer::translationInView(const View* view) const {
  const Point a = toView(anchor_, view), b = toView(current_, view);
  return {b.x - a.x, b.y - a.y};
}

void PanGestureRecognizer::setTranslation(const Point& translation, const View* view) {
  // The anchor moves so that the current centroid reads as `translation`.
  const Point here = toView(current_, view);
  const Point anchorInView{here.x - translation.x, here.y - translation.y};
  auto window = window_.lock();
  anchor_ = view && window ? view->convertPointTo(anchorInView, window.get()) : anchorInView;
}

Point PanGestureRecognizer::velocityInView(const View* view) const {
  const Point a = toView(current_, view);
  const Point b = toView({current_.x + velocity_.x, current_.y + velocity_.y}, view);
  return {b.x - a.x, b.y - a.y};
}

void PanGestureRecognizer::sample(TimeInterval time, const Point& at) {
  if (!samples_.empty() && samples_.back().first >= time) {
    samples_.back().second = at;  // one event's worth per timestamp
  } else {
    samples_.emplace_back(time, at);
  }
  while (samples_.size() > 2 && time - samples_[1].first >= kVelocityWindow) samples_.pop_front();
  const auto& [t0, p0] = samples_.front();
  const TimeInterval dt = time - t0;
  if (dt <= 0 || dt > kVelocityWindow * 2) {
    velocity_ = kPointZero;
    return;
  }
  velocity_ = {(at.x - p0.x) / dt, (at.y - p0.y) / dt};
}

void PanGestureRecognizer::refingered(const TouchSet& leaving) {
  // A finger joining or leaving moves the centroid; the anchor moves with it.
  TouchSet staying;
  for (const auto& t : trackedTouches()) {
    if (std::find(leaving.begin(), leaving.end(), t) == leaving.end()) staying.push_back(t);
  }
  if (staying.empty()) return;
  const Point next = centroid(staying, nullptr);
  anchor_ = {anchor_.x + next.x - current_.x, anchor_.y + next.y - current_.y};
  current_ = next;
  samples_.clear();
}

void PanGestureRecognizer::touchesBegan(const TouchSet& touches, const Event& event) {
  if (trackedTouches().size() == touches.size()) {  // the first fingers of the gesture
    window_ = touches.front()->window();
    current_ = anchor_ = centroid(trackedTouches(), nullptr);
    samples_.clear();
    sample(event.timestamp, current_);
    return;
  }
  const Point before = current_;
  current_ = centroid(trackedTouches(), nullptr);
  anchor_ = {anchor_.x + current_.x - before.x, anchor_.y + current_.y - before.y};
  samples_.clear();
  sample(event.timestamp, current_);
}

void PanGestureRecognizer::touchesMoved(const TouchSet& /*touches*/, const Event& event) {
  current_ = centroid(trackedTouches(), nullptr);
  sample(event.timestamp, current_);
  const auto n = static_cast<int>(trackedTouches().size());
  if (state() == State::Possible) {
    if (n < minimumTouches_ || n > maximumTouches_) return;
    const Point t = translationInView(nullptr);
    if (std::hypot(t.x, t.y) <= kStartThreshold) return;
    setState(shouldBeginWithTranslation(t) ? State::Began : State::Failed);
  } else if (state() == State::Began || state() == State::Changed) {
    setState(State::Changed);
  }
}

void PanGestureRecognizer::touchesEnded(const TouchSet& touches, const Event& event) {
  current_ = centroid(trackedTouches(), nullptr);
  sample(event.timestamp, current_);
  const auto remaining = static_cast<int>(trackedTouches().size() - touches.size());
  const bool underWay = state() == State::Began || state() == State::Changed;
  if (remaining >= minimumTouches_ && remaining > 0) {
    refingered(touches);
    return;
  }
  if (underWay) {
    setState(State::Ended);
  } else if (remaining == 0) {
    setState(State::Failed);
  }
}

void PanGestureRecognizer::reset() {
  // Translation and velocity stay readable after the end; the next gesture starts afresh.
  GestureRecognizer::reset();
  samples_.clear();
}

}  // namespace platform
