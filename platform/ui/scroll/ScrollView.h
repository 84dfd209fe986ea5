#pragma once

#include <memory>

#include "platform/dispatch/Timer.h"
#include "platform/foundation/ObserverList.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/View.h"
#include "platform/ui/scroll/ScrollViewDelegate.h"

namespace platform {

class PanGestureRecognizer;
class PinchGestureRecognizer;
class GestureRecognizer;

// A view whose bounds origin is the offset of its content. One pan recognizer moves the content
// under the finger (rubber-banding past the edges when it bounces); on release the content
// decelerates, springs back to its edges or settles on a page, all played on the clock by a
// timer in the common modes, so tests advance a virtual clock through it. Setting the offset
// directly stops any such movement, and so does a finger put down on the content. Inside another
// scroll view, a movement along an axis it cannot scroll, or against an edge it rests on, goes to
// the enclosing one if that one can go that way. Main thread only.
class ScrollView : public View {
 public:
  static std::shared_ptr<ScrollView> create(const Rect& frame = {});
  ~ScrollView() override;

  Point contentOffset() const { return bounds().origin; }
  void setContentOffset(const Point& offset);
  // Animated: eases there over kScrollAnimationDuration, telling the delegate of every step and
  // of the end (scrollViewDidEndScrollingAnimation).
  void setContentOffset(const Point& offset, bool animated);
  Size contentSize() const { return contentSize_; }
  void setContentSize(const Size& size);
  // At rest (no finger dragging, no movement, no zoom under way) the content lies within its
  // edges: a content size, inset or view size that leaves the offset outside them moves it to
  // the nearest edge; an offset inside them stays where it is. Code may still put the offset
  // anywhere. A non-finite offset, size or inset is refused with a warning: the old value stays.
  EdgeInsets contentInset() const { return contentInset_; }
  void setContentInset(const EdgeInsets& inset);
  EdgeInsets scrollIndicatorInsets() const { return scrollIndicatorInsets_; }
  void setScrollIndicatorInsets(const EdgeInsets& insets) { scrollIndicatorInsets_ = insets; }

  bool isScrollEnabled() const { return scrollEnabled_; }
  void setScrollEnabled(bool enabled);
  bool bounces() const { return bounces_; }
  void setBounces(bool v) { bounces_ = v; }
  bool alwaysBounceVertical() const { return alwaysBounceVertical_; }
  void setAlwaysBounceVertical(bool v) { alwaysBounceVertical_ = v; }
  bool alwaysBounceHorizontal() const { return alwaysBounceHorizontal_; }
  void setAlwaysBounceHorizontal(bool v) { alwaysBounceHorizontal_ = v; }
  bool isPagingEnabled() const { return pagingEnabled_; }
  void setPagingEnabled(bool v) { pagingEnabled_ = v; }
  bool showsVerticalScrollIndicator() const { return showsVertical_; }
  void setShowsVerticalScrollIndicator(bool v) { showsVertical_ = v; }
  bool showsHorizontalScrollIndicator() const { return showsHorizontal_; }
  void setShowsHorizontalScrollIndicator(bool v) { showsHorizontal_ = v; }
  bool scrollsToTop() const { return scrollsToTop_; }
  void setScrollsToTop(bool v) { scrollsToTop_ = v; }
  // Fraction of the speed kept per millisecond (kNormalDecelerationRate by default).
  double decelerationRate() const { return decelerationRate_; }
  void setDecelerationRate(double rate) { decelerationRate_ = rate; }

  // A finger is on the content / has moved it / it moves on by itself after the finger lifted.
  bool isTracking() const { return tracking_; }
  bool isDragging() const { return dragging_; }
  bool isDecelerating() const { return decelerating_; }
  // The finger now down (or the last one, once lifted) came down on content still moving by
  // itself, here or in a scroll view this one sits in, and stopped it: a tap of that finger
  // stopped a fling and must select nothing.
  bool touchCaughtMotion() const;

  double zoomScale() const { return zoomScale_; }
  void setZoomScale(double scale, bool animated = false);
  double minimumZoomScale() const { return minimumZoomScale_; }
  // A range of scales (maximum above minimum, set in either order) makes the view zoomable by
  // pinching.
  void setMinimumZoomScale(double s) {
    minimumZoomScale_ = s;
    addPinchIfZoomable();
  }
  double maximumZoomScale() const { return maximumZoomScale_; }
  void setMaximumZoomScale(double s) {
    maximumZoomScale_ = s;
    addPinchIfZoomable();
  }
  // Zooms so that `rect` (in the zooming view's coordinates) fills the view.
  void zoomToRect(const Rect& rect, bool animated);
  bool isZooming() const { return zooming_; }
  bool bouncesZoom() const { return bouncesZoom_; }
  void setBouncesZoom(bool v) { bouncesZoom_ = v; }

  // Scrolls the least needed to show `rect` (content coordinates).
  void scrollRectToVisible(const Rect& rect, bool animated);

  std::shared_ptr<ScrollViewDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<ScrollViewDelegate>& d) { delegate_ = d; }
  const std::shared_ptr<PanGestureRecognizer>& panGestureRecognizer() const { return pan_; }
  const std::shared_ptr<PinchGestureRecognizer>& pinchGestureRecognizer() const;

  // Property observers, called with (old, new) synchronously on every set, equal values too.
  ObserverList<Point, Point>& contentOffsetObservers() { return offsetObservers_; }
  ObserverList<Size, Size>& contentSizeObservers() { return sizeObservers_; }

  // The offsets the content rests between (the inset included).
  Point minimumContentOffset() const;
  Point maximumContentOffset() const;

  static constexpr TimeInterval kScrollAnimationDuration = 0.3;
  static constexpr TimeInterval kFrameInterval = 1.0 / 60.0;

  explicit ScrollView(Key key, const Rect& frame);

 protected:
  void didInit() override;
  void boundsDidChange(const Rect& oldBounds) override;
  // The offset changed (the delegate and observers have not been told yet).
  virtual void contentOffsetDidChange() {}

 private:
  struct AxisMotion;
  struct Motion;
  static AxisMotion springTo(double position, double edgeValue, int edge, double velocity,
                             double t0);
  static void refuseNonFinite(const char* what);
  // Moves the bounds origin and tells the observers, leaving any motion running.
  void moveOffset(const Point& next);
  void restWithinEdges();
  // Code moved the content under a finger: the finger goes on moving it from there.
  void followFromHere();
  void handlePan(GestureRecognizer& recognizer);
  void handlePinch(GestureRecognizer& recognizer);
  void beginDrag();
  void drag();
  void endDrag();
  // A finger coming down stops a deceleration (true: it did); lifted without dragging, the
  // content settles from where it was caught (back inside its edges, onto a page) and the
  // delegate hears the deceleration end.
  bool touchDown();
  void settleCaught();
  bool canScrollHorizontally() const;
  bool canScrollVertically() const;
  bool takesPan(const Point& translation) const;
  Point clampedOffset(const Point& p) const;
  Point rubberBandedOffset(const Point& raw) const;
  AxisMotion planRelease(double pos, double vel, double low, double high, double target,
                         bool chosen, double t0) const;
  double axisPosition(AxisMotion& m, double low, double high, double t, bool* done) const;
  void startMotion(std::unique_ptr<Motion> motion);
  void stopMotion();
  void tick();
  void finishMotion();
  void applyZoom(double scale, const Point& anchorInBounds);
  void addPinchIfZoomable();

  std::weak_ptr<ScrollViewDelegate> delegate_;
  std::shared_ptr<PanGestureRecognizer> pan_;
  mutable std::shared_ptr<PinchGestureRecognizer> pinch_;
  ObserverList<Point, Point> offsetObservers_;
  ObserverList<Size, Size> sizeObservers_;
  Subscription panStates_;
  Size contentSize_;
  EdgeInsets contentInset_;
  EdgeInsets scrollIndicatorInsets_;
  double decelerationRate_;
  double zoomScale_ = 1, minimumZoomScale_ = 1, maximumZoomScale_ = 1;
  double pinchStartScale_ = 1;
  Point dragStartOffset_;
  std::unique_ptr<Motion> motion_;
  std::shared_ptr<Timer> ticker_;
  bool scrollEnabled_ = true, bounces_ = true, pagingEnabled_ = false, bouncesZoom_ = true;
  bool alwaysBounceVertical_ = false, alwaysBounceHorizontal_ = false;
  bool showsVertical_ = true, showsHorizontal_ = true, scrollsToTop_ = true;
  bool tracking_ = false, dragging_ = false, decelerating_ = false, zooming_ = false;
  bool settingOffset_ = false;
  bool placingZoom_ = false;
  bool caughtMotion_ = false;
};

}  // namespace platform
