#include "platform/ui/scroll/ScrollView.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/PinchGestureRecognizer.h"
#include "platform/ui/scroll/ScrollPhysics.h"

namespace platform {

namespace sp = scroll_physics;

// One axis of a movement the scroll view makes by itself.
struct ScrollView::AxisMotion {
  enum class Kind { Still, Decay, Spring, Ease };
  Kind kind = Kind::Still;
  double start = 0;
  double target = 0;    // Decay and Ease: where it ends; Spring: the edge at t0
  double offset = 0;    // Spring: distance from the edge at t0
  double velocity = 0;  // Spring: velocity at t0
  int edge = 0;         // Spring: −1 the minimum offset, +1 the maximum, 0 a fixed target
  TimeInterval t0 = 0;
  TimeInterval duration = 0;  // Ease
  bool bounces = true;        // Decay: may run past an edge and spring back
  double rate = 0.998;        // Decay: speed kept per millisecond
};

struct ScrollView::Motion {
  AxisMotion x, y;
  bool animation = false;  // setContentOffset(animated): ends with didEndScrollingAnimation
  double rate = sp::kNormalDecelerationRate;
};

namespace {

double now() { return Clock::current().now(); }

// A scroll view's own pan, which asks the view whether it takes the movement and tells it when
// the first finger comes down (recognizers see touches before the views, cells included). A finger
// that stopped moving content is the scroll view's alone: the views under it never see it.
class ScrollPan : public PanGestureRecognizer {
 public:
  ScrollPan(Key key, std::function<bool(const Point&)> accepts, std::function<bool()> caught)
      : PanGestureRecognizer(std::move(key)),
        accepts_(std::move(accepts)),
        caught_(std::move(caught)) {}

 protected:
  bool shouldBeginWithTranslation(const Point& translation) override {
    return !accepts_ || accepts_(translation);
  }
  void touchesBegan(const TouchSet& touches, const Event& event) override {
    const bool first = trackedTouches().size() == touches.size();
    PanGestureRecognizer::touchesBegan(touches, event);
    if (!first || !caught_ || !caught_()) return;
    for (const auto& t : touches) t->setCancelledInView();
  }

 private:
  std::function<bool(const Point&)> accepts_;
  std::function<bool()> caught_;
};

}  // namespace

ScrollView::AxisMotion ScrollView::springTo(double position, double edgeValue, int edge,
                                            double velocity, double t0) {
  AxisMotion m;
  m.kind = AxisMotion::Kind::Spring;
  m.offset = position - edgeValue;
  m.velocity = velocity;
  m.edge = edge;
  m.target = edgeValue;
  m.t0 = t0;
  return m;
}

std::shared_ptr<ScrollView> ScrollView::create(const Rect& frame) {
  return Object::make<ScrollView>(frame);
}

ScrollView::ScrollView(Key key, const Rect& frame)
    : View(std::move(key), frame), decelerationRate_(sp::kNormalDecelerationRate) {
  setClipsToBounds(true);
}

ScrollView::~ScrollView() {
  if (ticker_) ticker_->invalidate();
}

void ScrollView::didInit() {
  View::didInit();
  std::weak_ptr<ScrollView> weak = self<ScrollView>();
  pan_ = make<ScrollPan>(
      [weak](const Point&) {
        auto me = weak.lock();
        return me && me->takesPan(me->pan_->translationInView(me.get()));
      },
      [weak] {
        auto me = weak.lock();
        return me && me->touchDown();
      });
  pan_->addTarget([weak](GestureRecognizer& g) {
    if (auto me = weak.lock()) me->handlePan(g);
  });
  // A finger that caught the content and never dragged it lets it settle once the pan fails.
  panStates_ = pan_->stateObservers().subscribe(
      [this](GestureRecognizer::State, GestureRecognizer::State now) {
        if (now == GestureRecognizer::State::Failed && caughtMotion_ && !motion_) settleCaught();
      });
  addGestureRecognizer(pan_);
}

const std::shared_ptr<PinchGestureRecognizer>& ScrollView::pinchGestureRecognizer() const {
  return pinch_;
}

void ScrollView::setScrollEnabled(bool enabled) {
  scrollEnabled_ = enabled;
  pan_->setEnabled(enabled);
}

void ScrollView::setContentOffset(const Point& offset) {
  if (!isFinite(offset)) return refuseNonFinite("content offset");
  stopMotion();
  const bool moved = !(offset == contentOffset());
  moveOffset(offset);
  if (moved) followFromHere();
  if (auto d = delegate()) d->scrollViewDidScroll(*this);
}

void ScrollView::followFromHere() {
  if (!dragging_) return;
  const Point t = pan_->translationInView(this);
  const Point at = contentOffset();
  dragStartOffset_ = {at.x + (canScrollHorizontally() ? t.x : 0),
                      at.y + (canScrollVertically() ? t.y : 0)};
}

void ScrollView::moveOffset(const Point& next) {
  const Point old = contentOffset();
  Rect b = bounds();
  b.origin = next;
  settingOffset_ = true;
  setBounds(b);
  settingOffset_ = false;
  contentOffsetDidChange();
  offsetObservers_.notify(old, next);
}

void ScrollView::setContentOffset(const Point& offset, bool animated) {
  if (!isFinite(offset)) return refuseNonFinite("content offset");
  if (!animated) {
    setContentOffset(offset);
    return;
  }
  auto motion = std::make_unique<Motion>();
  motion->animation = true;
  const Point from = contentOffset();
  const double t0 = now();
  for (auto [axis, a, b] :
       {std::tuple{&motion->x, from.x, offset.x}, std::tuple{&motion->y, from.y, offset.y}}) {
    axis->kind = AxisMotion::Kind::Ease;
    axis->start = a;
    axis->target = b;
    axis->t0 = t0;
    axis->duration = kScrollAnimationDuration;
  }
  startMotion(std::move(motion));
}

void ScrollView::setContentSize(const Size& size) {
  if (!isFinite(size)) return refuseNonFinite("content size");
  const Size old = contentSize_;
  contentSize_ = size;
  sizeObservers_.notify(old, size);
  restWithinEdges();  // content that shrank from under the offset: back to its new end
}

void ScrollView::setContentInset(const EdgeInsets& inset) {
  if (!isFinite(inset)) return refuseNonFinite("content inset");
  contentInset_ = inset;
  restWithinEdges();
}

// A scroll view at rest shows its content within its edges, as the platform keeps it: when the
// content size, the inset or the view's size leaves the offset outside them, it moves to the
// nearest edge. A finger or a movement under way settles by itself, and a zoom places the
// offset itself.
void ScrollView::restWithinEdges() {
  if (dragging_ || motion_ || zooming_ || placingZoom_) return;
  const Point at = contentOffset(), inside = clampedOffset(at);
  if (!(inside == at)) setContentOffset(inside);
}

void ScrollView::refuseNonFinite(const char* what) {
  log(LogLevel::Warning, "ScrollView", std::string("non-finite ") + what + " refused");
}

void ScrollView::boundsDidChange(const Rect& oldBounds) {
  View::boundsDidChange(oldBounds);
  if (!settingOffset_ && !(oldBounds.origin == bounds().origin)) {
    // Moved from outside (View::setBounds): tell the same listeners as setContentOffset.
    followFromHere();
    contentOffsetDidChange();
    offsetObservers_.notify(oldBounds.origin, bounds().origin);
    if (auto d = delegate()) d->scrollViewDidScroll(*this);
  }
  if (!(oldBounds.size == bounds().size)) restWithinEdges();
}

Point ScrollView::minimumContentOffset() const { return {-contentInset_.left, -contentInset_.top}; }

Point ScrollView::maximumContentOffset() const {
  const Size s = bounds().size;
  const Point lo = minimumContentOffset();
  return {std::max(lo.x, contentSize_.width + contentInset_.right - s.width),
          std::max(lo.y, contentSize_.height + contentInset_.bottom - s.height)};
}

bool ScrollView::canScrollHorizontally() const {
  return alwaysBounceHorizontal_ || maximumContentOffset().x > minimumContentOffset().x;
}

bool ScrollView::canScrollVertically() const {
  return alwaysBounceVertical_ || maximumContentOffset().y > minimumContentOffset().y;
}

// Nested scroll views share a gesture by its direction: the inner one leaves a movement to an
// enclosing one that can go that way when it cannot scroll along that axis itself, or rests on
// the edge the movement pushes against. Alone, a scroll view takes every pan.
bool ScrollView::takesPan(const Point& translation) const {
  const bool horizontal = std::abs(translation.x) > std::abs(translation.y);
  const double t = horizontal ? translation.x : translation.y;
  const double at = horizontal ? contentOffset().x : contentOffset().y;
  const double lo = horizontal ? minimumContentOffset().x : minimumContentOffset().y;
  const double hi = horizontal ? maximumContentOffset().x : maximumContentOffset().y;
  constexpr double kEdgeSlack = 0.5;
  // A finger moving towards lower coordinates moves the content towards higher offsets.
  const bool atEdge = t < 0 ? at >= hi - kEdgeSlack : at <= lo + kEdgeSlack;
  const bool canScroll = horizontal ? canScrollHorizontally() : canScrollVertically();
  if (canScroll && !atEdge) return true;
  for (auto v = superview(); v; v = v->superview()) {
    auto outer = std::dynamic_pointer_cast<ScrollView>(v);
    if (outer && outer->isScrollEnabled() &&
        (horizontal ? outer->canScrollHorizontally() : outer->canScrollVertically())) {
      return false;
    }
  }
  return true;
}

Point ScrollView::clampedOffset(const Point& p) const {
  const Point lo = minimumContentOffset(), hi = maximumContentOffset();
  return {std::clamp(p.x, lo.x, hi.x), std::clamp(p.y, lo.y, hi.y)};
}

Point ScrollView::rubberBandedOffset(const Point& raw) const {
  const Point clamped = clampedOffset(raw);
  if (!bounces_) return clamped;
  const Size s = bounds().size;
  return {clamped.x + sp::rubberBand(raw.x - clamped.x, s.width),
          clamped.y + sp::rubberBand(raw.y - clamped.y, s.height)};
}

// --- Dragging -------------------------------------------------------------------------------

void ScrollView::handlePan(GestureRecognizer& /*recognizer*/) {
  switch (pan_->state()) {
    case GestureRecognizer::State::Began:
      beginDrag();
      break;
    case GestureRecognizer::State::Changed:
      drag();
      break;
    case GestureRecognizer::State::Ended:
    case GestureRecognizer::State::Cancelled:
      endDrag();
      break;
    default:
      break;
  }
}

bool ScrollView::touchDown() {
  caughtMotion_ = decelerating_;
  if (caughtMotion_) stopMotion();
  return caughtMotion_;
}

bool ScrollView::touchCaughtMotion() const {
  if (caughtMotion_) return true;
  for (auto v = superview(); v; v = v->superview()) {
    auto outer = std::dynamic_pointer_cast<ScrollView>(v);
    if (outer && outer->caughtMotion_) return true;
  }
  return false;
}

void ScrollView::settleCaught() {
  const Point p = contentOffset();
  const Point lo = minimumContentOffset(), hi = maximumContentOffset();
  const Size page = bounds().size;
  auto rest = [&](double pos, double low, double high, double pageLength) {
    return pagingEnabled_ ? sp::pageTarget(pos, 0, pageLength, low, high)
                          : std::clamp(pos, low, high);
  };
  auto motion = std::make_unique<Motion>();
  motion->rate = decelerationRate_;
  const double t0 = now();
  motion->x = planRelease(p.x, 0, lo.x, hi.x, rest(p.x, lo.x, hi.x, page.width), false, t0);
  motion->y = planRelease(p.y, 0, lo.y, hi.y, rest(p.y, lo.y, hi.y, page.height), false, t0);
  if (motion->x.kind == AxisMotion::Kind::Still && motion->y.kind == AxisMotion::Kind::Still) {
    if (auto d = delegate()) d->scrollViewDidEndDecelerating(*this);
    return;
  }
  startMotion(std::move(motion));
}

void ScrollView::beginDrag() {
  // A finger catches content that is still moving.
  stopMotion();
  tracking_ = true;
  dragging_ = true;
  // Caught past an edge, the drag goes on from the finger travel that shows it there, or the
  // content would jump towards the edge at the first move.
  const Point at = contentOffset(), inside = clampedOffset(at);
  const Size s = bounds().size;
  dragStartOffset_ = bounces_ ? Point{inside.x + sp::rubberBandInverse(at.x - inside.x, s.width),
                                      inside.y + sp::rubberBandInverse(at.y - inside.y, s.height)}
                              : at;
  pan_->setTranslation({0, 0}, this);
  if (auto d = delegate()) d->scrollViewWillBeginDragging(*this);
}

void ScrollView::drag() {
  const Point t = pan_->translationInView(this);
  Point raw = dragStartOffset_;
  // The overshoot is measured from the edge, so rubber-banding follows the finger's total path.
  if (canScrollHorizontally()) raw.x -= t.x;
  if (canScrollVertically()) raw.y -= t.y;
  moveOffset(rubberBandedOffset(raw));
  if (auto d = delegate()) d->scrollViewDidScroll(*this);
}

void ScrollView::endDrag() {
  const Point fingerVelocity = pan_->velocityInView(this);
  const Point v{canScrollHorizontally() ? -fingerVelocity.x : 0,
                canScrollVertically() ? -fingerVelocity.y : 0};
  const Point p = contentOffset();
  const Point lo = minimumContentOffset(), hi = maximumContentOffset();
  const Size page = bounds().size;
  auto restingPlace = [&](double pos, double vel, double low, double high, double pageLength) {
    if (pagingEnabled_) return sp::pageTarget(pos, vel, pageLength, low, high);
    return std::clamp(sp::projectedEnd(pos, vel, decelerationRate_), low, high);
  };
  const Point natural{restingPlace(p.x, v.x, lo.x, hi.x, page.width),
                      restingPlace(p.y, v.y, lo.y, hi.y, page.height)};
  Point target = natural;
  // The delegate gets the velocity in points per millisecond, as the platform gives it.
  if (auto d = delegate()) d->scrollViewWillEndDragging(*this, {v.x / 1000, v.y / 1000}, &target);
  tracking_ = false;
  dragging_ = false;

  auto motion = std::make_unique<Motion>();
  motion->rate = decelerationRate_;
  const double t0 = now();
  motion->x = planRelease(p.x, v.x, lo.x, hi.x, target.x, !(target.x == natural.x), t0);
  motion->y = planRelease(p.y, v.y, lo.y, hi.y, target.y, !(target.y == natural.y), t0);
  const bool decelerate =
      motion->x.kind != AxisMotion::Kind::Still || motion->y.kind != AxisMotion::Kind::Still;
  if (auto d = delegate()) d->scrollViewDidEndDragging(*this, decelerate);
  if (!decelerate) return;
  if (auto d = delegate()) d->scrollViewWillBeginDecelerating(*this);
  startMotion(std::move(motion));
}

ScrollView::AxisMotion ScrollView::planRelease(double pos, double vel, double low, double high,
                                               double target, bool chosen, double t0) const {
  AxisMotion m;
  m.t0 = t0;
  m.start = pos;
  m.rate = decelerationRate_;
  if (pagingEnabled_) {
    m = springTo(pos, target, 0, vel, t0);
  } else if (chosen) {
    // The delegate chose where to stop: land exactly there.
    m.kind = AxisMotion::Kind::Decay;
    m.target = target;
    m.bounces = false;
  } else if (pos < low || pos > high) {
    m = springTo(pos, pos < low ? low : high, pos < low ? -1 : 1, vel, t0);
  } else if (std::abs(vel) > sp::kRestingSpeed) {
    m.kind = AxisMotion::Kind::Decay;
    m.bounces = bounces_;
    m.target = sp::projectedEnd(pos, vel, decelerationRate_);
    if (!bounces_) m.target = std::clamp(m.target, low, high);
  }
  if (m.kind == AxisMotion::Kind::Spring && sp::springSettled(m.offset, m.velocity, 0)) {
    m.kind = AxisMotion::Kind::Still;
  }
  if (m.kind == AxisMotion::Kind::Decay && sp::decayDuration(pos, m.target, m.rate) <= 0) {
    m.kind = AxisMotion::Kind::Still;
  }
  return m;
}

// --- Moving by itself -----------------------------------------------------------------------

void ScrollView::startMotion(std::unique_ptr<Motion> motion) {
  motion_ = std::move(motion);
  decelerating_ = !motion_->animation;
  if (ticker_) return;
  std::weak_ptr<ScrollView> weak = self<ScrollView>();
  ticker_ = RunLoop::main().scheduleTimer(kFrameInterval, true,
                                          [weak](Timer&) {
                                            if (auto me = weak.lock()) me->tick();
                                          },
                                          {RunLoopMode::Common});
}

void ScrollView::stopMotion() {
  if (ticker_) ticker_->invalidate();
  ticker_.reset();
  motion_.reset();
  decelerating_ = false;
}

// Position of one axis at time `t`; `done` tells whether it has come to rest.
double ScrollView::axisPosition(AxisMotion& m, double low, double high, double t,
                                bool* done) const {
  const double dt = t - m.t0;
  switch (m.kind) {
    case AxisMotion::Kind::Still:
      *done = true;
      return m.start;
    case AxisMotion::Kind::Ease: {
      const double f = m.duration > 0 ? dt / m.duration : 1;
      *done = f >= 1;
      return *done ? m.target : m.start + (m.target - m.start) * sp::easeInOut(f);
    }
    case AxisMotion::Kind::Decay: {
      const double pos = sp::decayTowards(m.start, m.target, m.rate, dt);
      if (m.bounces && (pos < low || pos > high)) {
        // Ran past an edge: the spring takes over with the speed it had.
        const double vel = sp::decayVelocity(m.start, m.target, m.rate, dt);
        m = springTo(pos, pos < low ? low : high, pos < low ? -1 : 1, vel, t);
        m.rate = decelerationRate_;
        *done = false;
        return pos;
      }
      *done = dt >= sp::decayDuration(m.start, m.target, m.rate);
      return *done ? m.target : pos;
    }
    case AxisMotion::Kind::Spring: {
      // The edge is read live: an inset or a content size changed meanwhile moves where the
      // content settles. It goes on from where it is, without a jump; an edge that moved past it
      // (rows arrived under a bounce at the end) leaves nothing to come back from.
      const double rest = m.edge < 0 ? low : m.edge > 0 ? high : m.target;
      if (m.edge != 0 && rest != m.target) {
        const double at = sp::springPosition(m.target, m.offset, m.velocity, dt);
        if (m.edge > 0 ? at <= rest : at >= rest) {
          *done = true;
          return at;
        }
        m = springTo(at, rest, m.edge, sp::springVelocity(m.offset, m.velocity, dt), t);
      }
      const double since = t - m.t0;
      *done = sp::springSettled(m.offset, m.velocity, since);
      return *done ? rest : sp::springPosition(rest, m.offset, m.velocity, since);
    }
  }
  *done = true;
  return m.start;
}

void ScrollView::tick() {
  if (!motion_) return;
  const double t = now();
  const Point lo = minimumContentOffset(), hi = maximumContentOffset();
  bool doneX = false, doneY = false;
  const Point next{axisPosition(motion_->x, lo.x, hi.x, t, &doneX),
                   axisPosition(motion_->y, lo.y, hi.y, t, &doneY)};
  moveOffset(next);
  // An observer may have set the offset itself, which ends the motion.
  if (!motion_) return;
  if (auto d = delegate()) d->scrollViewDidScroll(*this);
  if (motion_ && doneX && doneY) finishMotion();
}

void ScrollView::finishMotion() {
  const bool animation = motion_->animation;
  stopMotion();
  if (auto d = delegate()) {
    if (animation) {
      d->scrollViewDidEndScrollingAnimation(*this);
    } else {
      d->scrollViewDidEndDecelerating(*this);
    }
  }
}

void ScrollView::scrollRectToVisible(const Rect& rect, bool animated) {
  const Rect visible = bounds();
  Point target = visible.origin;
  auto axis = [](double& origin, double length, double lo, double hi) {
    if (hi - lo > length || lo < origin) {
      origin = lo;
    } else if (hi > origin + length) {
      origin = hi - length;
    }
  };
  axis(target.x, visible.size.width, rect.origin.x, rect.origin.x + rect.size.width);
  axis(target.y, visible.size.height, rect.origin.y, rect.origin.y + rect.size.height);
  target = clampedOffset(target);
  if (!(target == visible.origin)) setContentOffset(target, animated);
}

// --- Zooming --------------------------------------------------------------------------------

void ScrollView::setZoomScale(double scale, bool /*animated*/) {
  auto d = delegate();
  auto view = d ? d->viewForZoomingInScrollView(*this) : nullptr;
  if (!view) return;
  scale = std::clamp(scale, minimumZoomScale_, std::max(minimumZoomScale_, maximumZoomScale_));
  applyZoom(scale, {0, 0});
}

void ScrollView::zoomToRect(const Rect& rect, bool animated) {
  auto d = delegate();
  auto view = d ? d->viewForZoomingInScrollView(*this) : nullptr;
  if (!view || rect.size.width <= 0 || rect.size.height <= 0) return;
  const Size s = bounds().size;
  double scale = std::min(s.width / rect.size.width, s.height / rect.size.height);
  scale = std::clamp(scale, minimumZoomScale_, std::max(minimumZoomScale_, maximumZoomScale_));
  applyZoom(scale, {0, 0});
  const Point origin{rect.origin.x * scale, rect.origin.y * scale};
  setContentOffset(clampedOffset(origin), animated);
}

void ScrollView::applyZoom(double scale, const Point& anchorInBounds) {
  auto d = delegate();
  auto view = d ? d->viewForZoomingInScrollView(*this) : nullptr;
  if (!view || !(scale > 0)) return;
  // The content point under the anchor stays under it.
  const Point before = contentOffset();
  const double ratio = scale / zoomScale_;
  zoomScale_ = scale;
  const Size unscaled = view->bounds().size;
  view->setTransform(AffineTransform::scale(scale, scale));
  view->setCenter({unscaled.width * scale / 2, unscaled.height * scale / 2});
  placingZoom_ = true;
  setContentSize({unscaled.width * scale, unscaled.height * scale});
  placingZoom_ = false;
  const Point anchored{(before.x + anchorInBounds.x) * ratio - anchorInBounds.x,
                       (before.y + anchorInBounds.y) * ratio - anchorInBounds.y};
  setContentOffset(clampedOffset(anchored));
  d->scrollViewDidZoom(*this);
}

void ScrollView::handlePinch(GestureRecognizer& /*recognizer*/) {
  auto d = delegate();
  auto view = d ? d->viewForZoomingInScrollView(*this) : nullptr;
  if (!view) return;
  const Point anchor = pinch_->locationInView(this);
  const Point inBounds{anchor.x - contentOffset().x, anchor.y - contentOffset().y};
  switch (pinch_->state()) {
    case GestureRecognizer::State::Began:
      zooming_ = true;
      pinchStartScale_ = zoomScale_;
      d->scrollViewWillBeginZooming(*this, view);
      break;
    case GestureRecognizer::State::Changed: {
      double scale = pinchStartScale_ * pinch_->scale();
      scale = std::clamp(scale, minimumZoomScale_, std::max(minimumZoomScale_, maximumZoomScale_));
      applyZoom(scale, inBounds);
      break;
    }
    case GestureRecognizer::State::Ended:
    case GestureRecognizer::State::Cancelled:
      zooming_ = false;
      d->scrollViewDidEndZooming(*this, view, zoomScale_);
      break;
    default:
      break;
  }
}

void ScrollView::addPinchIfZoomable() {
  // Zooming is possible only where the scale may change: then the pinch joins the view.
  if (maximumZoomScale_ > minimumZoomScale_ && !pinch_) {
    pinch_ = PinchGestureRecognizer::create();
    std::weak_ptr<ScrollView> weak = self<ScrollView>();
    pinch_->addTarget([weak](GestureRecognizer& g) {
      if (auto me = weak.lock()) me->handlePinch(g);
    });
    addGestureRecognizer(pinch_);
  }
}

}  // namespace platform
