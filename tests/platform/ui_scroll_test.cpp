#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/Button.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/Window.h"
#include "platform/ui/scroll/ScrollPhysics.h"
#include "platform/ui/scroll/ScrollView.h"
#include "ui_fixtures.h"

namespace platform {
namespace {

namespace sp = scroll_physics;

// Records what the scroll view tells its delegate, in order.
class Recorder : public ScrollViewDelegate {
 public:
  void scrollViewDidScroll(ScrollView&) override { ++scrolls; }
  void scrollViewWillBeginDragging(ScrollView&) override { log.push_back("willBeginDragging"); }
  void scrollViewWillEndDragging(ScrollView&, Point v, Point* target) override {
    log.push_back("willEndDragging");
    velocity = v;
    proposed = *target;
    if (replaceTarget) *target = *replaceTarget;
  }
  void scrollViewDidEndDragging(ScrollView&, bool decelerate) override {
    log.push_back(decelerate ? "didEndDragging+" : "didEndDragging");
  }
  void scrollViewWillBeginDecelerating(ScrollView&) override {
    log.push_back("willBeginDecelerating");
  }
  void scrollViewDidEndDecelerating(ScrollView&) override { log.push_back("didEndDecelerating"); }
  void scrollViewDidEndScrollingAnimation(ScrollView&) override {
    log.push_back("didEndScrollingAnimation");
  }

  std::vector<std::string> log;
  int scrolls = 0;
  Point velocity;
  Point proposed;
  std::optional<Point> replaceTarget;
};

class UIScroll : public ui_test::OnWindow {
 protected:
  UIScroll() : OnWindow(makeRect(0, 0, 375, 667)) {
    scroll->setContentSize({375, 2000});
    window->addSubview(scroll);
    scroll->setDelegate(recorder);
  }
  // A drag by `delta` in `steps` frames; lifted at once it flings.
  void dragBy(Point from, Point delta, int steps, Lift lift = Lift::AtOnce) {
    drag(from, {from.x + delta.x, from.y + delta.y}, steps, lift);
  }
  // Held still long enough for the release to carry no speed.
  void holdAndLift() { fingers.holdAndLift(0.2); }

  std::shared_ptr<ScrollView> scroll = ScrollView::create(makeRect(0, 0, 375, 667));
  std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
};

TEST_F(UIScroll, DraggingMovesTheContentWithTheFingerAndAFlickDecelerates) {
  using State = GestureRecognizer::State;
  std::vector<State> states;
  auto watching = scroll->panGestureRecognizer()->stateObservers().subscribe(
      [&](State, State now) { states.push_back(now); });
  dragBy({100, 500}, {0, -300}, 10, Lift::Never);
  EXPECT_TRUE(scroll->isDragging());
  EXPECT_TRUE(scroll->isTracking());
  const double dragged = scroll->contentOffset().y;
  // The pan starts after a little travel; from then on the content follows the finger exactly.
  EXPECT_GT(dragged, 250);
  EXPECT_LE(dragged, 300);
  fingers.end();
  EXPECT_FALSE(scroll->isDragging());
  EXPECT_TRUE(scroll->isDecelerating());
  ASSERT_GE(states.size(), 4u);
  EXPECT_EQ(states.front(), State::Began);
  EXPECT_EQ(states[states.size() - 2], State::Ended);
  EXPECT_EQ(states.back(), State::Possible);
  EXPECT_GT(recorder->velocity.y, 0);  // towards larger offsets, in points per millisecond
  EXPECT_LT(recorder->velocity.y, 100);
  advance(0.1);
  EXPECT_GT(scroll->contentOffset().y, dragged);
  advance(10);
  EXPECT_FALSE(scroll->isDecelerating());
  const double maxY = scroll->maximumContentOffset().y;
  EXPECT_GE(scroll->contentOffset().y, 0);
  EXPECT_LE(scroll->contentOffset().y, maxY);
  EXPECT_EQ(recorder->log,
            (std::vector<std::string>{"willBeginDragging", "willEndDragging", "didEndDragging+",
                                      "willBeginDecelerating", "didEndDecelerating"}));
}

TEST_F(UIScroll, PullingPastTheTopRubberBandsAndSpringsBackToTheInset) {
  scroll->setContentInset({64, 0, 0, 0});
  scroll->setContentOffset({0, -64});
  dragBy({100, 100}, {0, 300}, 10, Lift::Never);
  const double pulled = -64 - scroll->contentOffset().y;
  // Past the edge the content lags behind the finger, more the further it goes.
  EXPECT_GT(pulled, 50);
  EXPECT_LT(pulled, 250);
  holdAndLift();
  EXPECT_TRUE(scroll->isDecelerating());
  advance(0.05);
  EXPECT_GT(scroll->contentOffset().y, -64 - pulled);
  advance(3);
  EXPECT_EQ(scroll->contentOffset(), (Point{0, -64}));
  EXPECT_FALSE(scroll->isDecelerating());
  EXPECT_EQ(recorder->log.back(), "didEndDecelerating");
}

// Caught while it springs back from past the top and dragged on, the content goes on from where
// it shows, with no jump towards the edge.
TEST_F(UIScroll, DraggingContentCaughtInABounceGoesOnFromWhereItShows) {
  dragBy({100, 100}, {0, 400}, 20, Lift::AfterHold);
  advance(0.02);
  const double caught = scroll->contentOffset().y;
  ASSERT_LT(caught, -100);
  fingers.begin({100, 300});
  std::vector<double> seen;
  for (int i = 1; i <= 10; ++i) {
    advance(1.0 / 60);
    fingers.move({100, 300 + 2.0 * i});
    seen.push_back(scroll->contentOffset().y);
  }
  ASSERT_TRUE(scroll->isDragging());
  for (std::size_t i = 1; i < seen.size(); ++i) EXPECT_LE(seen[i], seen[i - 1]) << i;
  EXPECT_LE(seen.back(), caught);
  EXPECT_GT(seen.back(), caught - 20);
  holdAndLift();
  advance(3);
  EXPECT_EQ(scroll->contentOffset().y, 0);
}

// An inset added while the content springs back from past its end moves where it settles, with
// no jump. Rows that arrive meanwhile put the end below it: the content stays where it is.
TEST_F(UIScroll, ContentGrowingUnderABounceAtTheEndLeavesItWhereItIs) {
  const double end = scroll->maximumContentOffset().y;
  scroll->setContentOffset({0, end});
  dragBy({100, 600}, {0, -300}, 10, Lift::AfterHold);
  advance(0.05);
  ASSERT_GT(scroll->contentOffset().y, end + 20);
  const double before = scroll->contentOffset().y;
  scroll->setContentInset({0, 0, 44, 0});
  advance(ScrollView::kFrameInterval);
  EXPECT_LT(std::abs(scroll->contentOffset().y - before), 10) << "no jump";
  advance(3);
  EXPECT_EQ(scroll->contentOffset().y, end + 44);

  dragBy({100, 600}, {0, -300}, 10, Lift::AfterHold);
  advance(0.05);
  const double at = scroll->contentOffset().y;
  ASSERT_GT(at, end + 64);
  scroll->setContentSize({375, 3000});
  advance(ScrollView::kFrameInterval);
  EXPECT_FALSE(scroll->isDecelerating());
  advance(3);
  EXPECT_LE(scroll->contentOffset().y, at);
  EXPECT_GT(scroll->contentOffset().y, at - 30);
  EXPECT_EQ(recorder->log.back(), "didEndDecelerating");
}

TEST_F(UIScroll, ContentBouncesOnlyWhenAllowedOrAskedTo) {
  scroll->setBounces(false);
  dragBy({100, 100}, {0, 300}, 10);
  EXPECT_EQ(scroll->contentOffset().y, 0);
  dragBy({100, 600}, {0, -500}, 3);  // a hard flick towards the end stops exactly there
  advance(10);
  EXPECT_EQ(scroll->contentOffset().y, scroll->maximumContentOffset().y);
  // Content shorter than the view scrolls only when asked to bounce anyway.
  scroll->setBounces(true);
  scroll->setContentOffset({0, 0});
  scroll->setContentSize({375, 300});
  dragBy({100, 100}, {0, 200}, 10);
  EXPECT_EQ(scroll->contentOffset().y, 0);
  scroll->setAlwaysBounceVertical(true);
  dragBy({100, 100}, {0, 200}, 10, Lift::Never);
  EXPECT_LT(scroll->contentOffset().y, -20);
  holdAndLift();
  advance(3);
  EXPECT_EQ(scroll->contentOffset().y, 0);
}

TEST_F(UIScroll, PagingSettlesOnPageBoundaries) {
  scroll->setFrame(makeRect(0, 0, 300, 400));
  scroll->setContentSize({1500, 400});
  scroll->setPagingEnabled(true);
  // Slow drags: the nearest page.
  dragBy({250, 200}, {-100, 0}, 20, Lift::AfterHold);
  advance(3);
  EXPECT_EQ(scroll->contentOffset().x, 0);
  dragBy({250, 200}, {-200, 0}, 20, Lift::AfterHold);
  advance(3);
  EXPECT_EQ(scroll->contentOffset().x, 300);
  // A quick flick: the next page even after a short way.
  dragBy({250, 200}, {-60, 0}, 3);
  advance(3);
  EXPECT_EQ(scroll->contentOffset().x, 600);
  // Never past the last page.
  scroll->setContentOffset({1200, 0});
  dragBy({250, 200}, {-150, 0}, 3);
  advance(3);
  EXPECT_EQ(scroll->contentOffset().x, 1200);
}

// A finger put on a moving list stops it where it is; lifted without dragging, the content
// settles from there (back inside its edges, onto a page) and the deceleration is heard to end.
TEST_F(UIScroll, AFingerDownStopsAFlingAndTheLiftLetsItSettle) {
  dragBy({100, 600}, {0, -400}, 5);
  advance(0.1);
  ASSERT_TRUE(scroll->isDecelerating());
  fingers.begin({100, 300});
  const double caught = scroll->contentOffset().y;
  EXPECT_FALSE(scroll->isDecelerating());
  advance(0.5);
  EXPECT_EQ(scroll->contentOffset().y, caught);
  fingers.end();
  advance(1);
  EXPECT_EQ(scroll->contentOffset().y, caught);
  EXPECT_EQ(recorder->log.back(), "didEndDecelerating");

  // Caught while springing back from past the top: it finishes the spring once let go.
  dragBy({100, 100}, {0, 2000}, 20, Lift::Never);
  holdAndLift();
  advance(0.05);
  fingers.begin({100, 300});
  advance(0.5);
  ASSERT_LT(scroll->contentOffset().y, 0);
  fingers.end();
  advance(3);
  EXPECT_EQ(scroll->contentOffset().y, 0);

  // Caught between two pages: the nearer one.
  scroll->setContentSize({375 * 4, 667});
  scroll->setPagingEnabled(true);
  dragBy({300, 300}, {-60, 0}, 3);
  advance(0.1);
  fingers.tap({200, 300});
  advance(3);
  EXPECT_EQ(std::fmod(scroll->contentOffset().x, 375), 0);
  EXPECT_FALSE(scroll->isDecelerating());
}

// The views on moving content never see the finger that stops it: a button there is not pressed.
TEST_F(UIScroll, AFingerThatStopsAFlingNeverReachesAControlOnTheContent) {
  auto button = Button::create(makeRect(0, 0, 375, 2000));
  int pressed = 0;
  button->addTarget(
      this, [&](Control&) { ++pressed; }, ControlEventTouchUpInside);
  scroll->addSubview(button);
  dragBy({100, 600}, {0, -400}, 5);
  advance(0.1);
  ASSERT_TRUE(scroll->isDecelerating());
  fingers.tap({100, 300});
  EXPECT_FALSE(button->isTracking());
  EXPECT_EQ(pressed, 0);
  advance(1);
  fingers.tap({100, 300});
  EXPECT_EQ(pressed, 1);
}

// Content moved by code while a finger drags it (a tab chosen mid-swipe) stays moved: the finger
// carries it on from there, and the release settles near there.
TEST_F(UIScroll, AnOffsetSetUnderADraggingFingerIsWhereTheFingerGoesOnFrom) {
  dragBy({100, 600}, {0, -100}, 10, Lift::Never);
  const double dragged = scroll->contentOffset().y;
  scroll->setContentOffset({0, 1000});
  fingers.move({100, 480});
  EXPECT_EQ(scroll->contentOffset().y, 1020);
  holdAndLift();
  advance(3);
  EXPECT_EQ(scroll->contentOffset().y, 1020);
  ASSERT_LT(dragged, 200);

  // Set to where it already is, nothing changes under the finger.
  dragBy({100, 100}, {0, 100}, 10, Lift::Never);
  const double pulled = scroll->contentOffset().y;
  scroll->setContentOffset(scroll->contentOffset());
  fingers.move({100, 200});
  EXPECT_EQ(scroll->contentOffset().y, pulled);
  holdAndLift();
}

TEST_F(UIScroll, TheDelegateOrCodeMayChooseWhereTheContentRests) {
  recorder->replaceTarget = Point{0, 700};
  dragBy({100, 600}, {0, -300}, 5);
  EXPECT_GT(recorder->proposed.y, scroll->contentOffset().y);
  advance(10);
  EXPECT_EQ(scroll->contentOffset(), (Point{0, 700}));
  // Setting the offset stops the movement, and an inset never moves it.
  recorder->replaceTarget.reset();
  dragBy({100, 600}, {0, -300}, 5);
  ASSERT_TRUE(scroll->isDecelerating());
  scroll->setContentOffset({0, 10});
  EXPECT_FALSE(scroll->isDecelerating());
  advance(5);
  EXPECT_EQ(scroll->contentOffset(), (Point{0, 10}));
  EXPECT_EQ(recorder->log.back(), "willBeginDecelerating");
  scroll->setContentInset({100, 0, 50, 0});
  EXPECT_EQ(scroll->contentOffset(), (Point{0, 10}));
}

// At rest the content lies within its edges whatever changes them: the view's size, the inset,
// the content's size. An offset inside them stays put, and a finger holding the content past an
// edge keeps it there until it lets go.
TEST_F(UIScroll, AtRestTheContentLiesWithinItsEdges) {
  auto small = ScrollView::create();
  small->setContentInset({5, 0, 44, 0});
  small->setContentSize({375, 300});
  window->addSubview(small);
  small->setFrame(makeRect(0, 0, 375, 667));  // content shorter than the view: the top inset
  EXPECT_EQ(small->contentOffset(), (Point{0, -5}));
  small->setContentInset({64, 0, 44, 0});
  EXPECT_EQ(small->contentOffset(), (Point{0, -64}));
  small->setContentInset({0, 0, 0, 0});
  EXPECT_EQ(small->contentOffset(), (Point{0, 0}));
  small->removeFromSuperview();

  scroll->setContentOffset({0, scroll->maximumContentOffset().y});
  const int scrolls = recorder->scrolls;
  scroll->setFrame(makeRect(0, 0, 375, 1000));  // a taller view: back to the new end
  EXPECT_EQ(scroll->contentOffset().y, 1000);
  EXPECT_EQ(recorder->scrolls, scrolls + 1);
  scroll->setContentInset({0, 0, 50, 0});  // inside the new edges: no move
  scroll->setContentSize({375, 1500});
  EXPECT_EQ(scroll->contentOffset().y, 550);
  scroll->setFrame(makeRect(0, 0, 375, 667));
  EXPECT_EQ(scroll->contentOffset().y, 550);

  dragBy({100, 300}, {0, 300}, 10, Lift::Never);
  ASSERT_LT(scroll->contentOffset().y, 550);
  scroll->setContentOffset({0, -40});
  scroll->setContentInset({});
  scroll->setContentSize({375, 300});
  EXPECT_EQ(scroll->contentOffset().y, -40);
  holdAndLift();
  advance(3);
  EXPECT_EQ(scroll->contentOffset().y, 0);
}

TEST_F(UIScroll, ObserversSeeEveryChangeWithOldAndNewValues) {
  std::vector<std::pair<Point, Point>> offsets;
  std::vector<std::pair<Size, Size>> sizes;
  auto o = scroll->contentOffsetObservers().subscribe(
      [&](Point a, Point b) { offsets.emplace_back(a, b); });
  auto s =
      scroll->contentSizeObservers().subscribe([&](Size a, Size b) { sizes.emplace_back(a, b); });
  scroll->setContentOffset({0, 5});
  scroll->setContentOffset({0, 5});  // to itself: still reported
  scroll->setContentSize({375, 900});
  ASSERT_EQ(offsets.size(), 2u);
  EXPECT_EQ(offsets[0].first, (Point{0, 0}));
  EXPECT_EQ(offsets[1].first, (Point{0, 5}));
  EXPECT_EQ(offsets[1].second, (Point{0, 5}));
  ASSERT_EQ(sizes.size(), 1u);
  EXPECT_EQ(sizes[0].first, (Size{375, 2000}));
  // Bounds moved by hand count as scrolling too.
  Rect b = scroll->bounds();
  b.origin.y = 40;
  scroll->setBounds(b);
  EXPECT_EQ(offsets.back().second, (Point{0, 40}));
  EXPECT_EQ(recorder->scrolls, 3);
}

TEST_F(UIScroll, AnimatedScrollsEaseToTheirTargetAndSayWhenTheyEnd) {
  scroll->setContentOffset({0, 600}, true);
  EXPECT_EQ(scroll->contentOffset().y, 0);
  advance(ScrollView::kScrollAnimationDuration / 2);
  EXPECT_NEAR(scroll->contentOffset().y, 300, 40);
  advance(ScrollView::kScrollAnimationDuration);
  EXPECT_EQ(scroll->contentOffset().y, 600);
  EXPECT_EQ(recorder->log, (std::vector<std::string>{"didEndScrollingAnimation"}));
  scroll->scrollRectToVisible(makeRect(0, 1500, 10, 100), false);
  EXPECT_EQ(scroll->contentOffset().y, 1600 - 667);
  scroll->scrollRectToVisible(makeRect(0, 1000, 10, 100), false);  // already visible
  EXPECT_EQ(scroll->contentOffset().y, 1600 - 667);
  scroll->scrollRectToVisible(makeRect(0, 100, 10, 100), false);
  EXPECT_EQ(scroll->contentOffset().y, 100);
}

// A pager of three 375-wide pages holding `inner` on its first page.
std::shared_ptr<ScrollView> pagerAround(const std::shared_ptr<ScrollView>& inner, Window& window) {
  auto outer = ScrollView::create(makeRect(0, 0, 375, 667));
  outer->setContentSize({3 * 375, 667});
  outer->setPagingEnabled(true);
  window.addSubview(outer);
  outer->addSubview(inner);
  return outer;
}

TEST_F(UIScroll, NestedScrollViewsShareAGestureByItsDirection) {
  auto outer = pagerAround(scroll, *window);  // the page scrolls only up and down
  dragBy({300, 300}, {-100, 0}, 3);
  advance(3);
  EXPECT_EQ(outer->contentOffset(), (Point{375, 0}));
  EXPECT_EQ(scroll->contentOffset(), (Point{0, 0}));
  EXPECT_TRUE(recorder->log.empty());  // the page never began a drag
  outer->setContentOffset({0, 0});
  dragBy({100, 500}, {0, -200}, 10, Lift::AfterHold);
  advance(3);
  EXPECT_GT(scroll->contentOffset().y, 150);
  EXPECT_EQ(outer->contentOffset(), (Point{0, 0}));
  // With nothing around it, a scroll view takes a pan whichever way it goes.
  window->addSubview(scroll);
  recorder->log.clear();
  dragBy({300, 300}, {-100, 0}, 3);
  EXPECT_EQ(recorder->log.front(), "willBeginDragging");
}

TEST_F(UIScroll, AnInnerScrollViewGivesWayOnlyAtTheEdgeItIsPushedAgainst) {
  scroll->setContentSize({750, 667});  // a page zoomed in to twice its width
  auto outer = pagerAround(scroll, *window);
  dragBy({300, 300}, {-200, 0}, 20, Lift::AfterHold);
  advance(3);
  EXPECT_GT(scroll->contentOffset().x, 150);
  EXPECT_EQ(outer->contentOffset().x, 0);
  dragBy({300, 300}, {-300, 0}, 20, Lift::Never);  // past its edge: it bounces back to it
  holdAndLift();
  advance(3);
  EXPECT_EQ(scroll->contentOffset().x, 375);
  EXPECT_EQ(outer->contentOffset().x, 0);
  dragBy({300, 300}, {-100, 0}, 3);  // resting on that edge, the pager turns
  advance(3);
  EXPECT_EQ(outer->contentOffset().x, 375);
  EXPECT_EQ(scroll->contentOffset().x, 375);
  outer->setContentOffset({0, 0});
  dragBy({100, 300}, {100, 0}, 10, Lift::Never);  // the other way there is room: the page moves
  holdAndLift();
  advance(3);
  EXPECT_LT(scroll->contentOffset().x, 300);
  EXPECT_EQ(outer->contentOffset().x, 0);
}

TEST(ScrollPhysics, DecelerationAndSpringsComeToRestWhereTheySay) {
  const double end = sp::projectedEnd(0, 1000, sp::kNormalDecelerationRate);
  EXPECT_NEAR(end, 499.5, 0.5);
  const double t = sp::decayDuration(0, end, sp::kNormalDecelerationRate);
  EXPECT_GT(t, 1);
  EXPECT_NEAR(sp::decayTowards(0, end, sp::kNormalDecelerationRate, t), end, 1.5);
  EXPECT_NEAR(sp::decayVelocity(0, end, sp::kNormalDecelerationRate, 0), 1000, 1e-6);
  EXPECT_FALSE(sp::springSettled(100, 0, 0));
  EXPECT_TRUE(sp::springSettled(100, 0, 2));
  // Critically damped: no overshoot when released at rest.
  for (double s = 0; s < 2; s += 0.01) EXPECT_GE(sp::springPosition(0, 100, 0, s), 0);
  EXPECT_LT(std::abs(sp::rubberBand(1000, 600)), 600);
  EXPECT_LT(sp::rubberBand(-100, 600), 0);
  EXPECT_EQ(sp::pageTarget(140, 0, 300, 0, 1200), 0);
  EXPECT_EQ(sp::pageTarget(160, 0, 300, 0, 1200), 300);
  EXPECT_EQ(sp::pageTarget(20, 1000, 300, 0, 1200), 300);
  EXPECT_EQ(sp::pageTarget(1190, 1000, 300, 0, 1200), 1200);
  EXPECT_EQ(sp::pageTarget(50, 0, 0, 0, 1200), 50);
}

}  // namespace
}  // namespace platform
