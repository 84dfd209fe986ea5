#include <gtest/gtest.h>

#include <vector>

#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "ui_support.h"

namespace platform {
namespace {

class UIViewAnimation : public ui_test::UITest {
 protected:
  double shownAlpha(TimeInterval t) { return view->layer()->presentationAt(start + t)->opacity(); }
  Point shownCenter(TimeInterval t) { return view->layer()->presentationAt(start + t)->position(); }

  std::shared_ptr<View> view = View::create(makeRect(0, 0, 100, 100));
  std::vector<bool> completions;
  std::function<void(bool)> record = [this](bool finished) { completions.push_back(finished); };
};

TEST_F(UIViewAnimation, BlocksAnimateFromTheOldValueAndCompleteOnTheClock) {
  // Outside a block nothing animates.
  view->setAlpha(0.5);
  EXPECT_FALSE(view->layer()->hasAnimations());

  View::animateWithDuration(
      1, 0, ViewAnimationOptionCurveLinear,
      [&] {
        view->setAlpha(1);
        view->setCenter({150, 50});
      },
      record);
  EXPECT_DOUBLE_EQ(view->alpha(), 1);  // the model at once
  EXPECT_EQ(view->center(), (Point{150, 50}));
  EXPECT_NEAR(shownAlpha(0.5), 0.75, 1e-6);
  EXPECT_NEAR(shownCenter(0.5).x, 100, 1e-4);
  advance(0.9);
  EXPECT_TRUE(completions.empty());
  advance(0.1);
  EXPECT_EQ(completions, (std::vector<bool>{true}));  // once for both properties
  EXPECT_FALSE(view->layer()->hasAnimations());

  // Curves live in bits 16-19: ease-in lags behind linear at the midpoint.
  const TimeInterval t0 = clock.now() - start;
  View::animateWithDuration(
      1, 0, ViewAnimationOptionCurveEaseIn, [&] { view->setAlpha(0); }, record);
  EXPECT_GT(shownAlpha(t0 + 0.5), 0.6);
  advance(1);
  EXPECT_EQ(completions.size(), 2u);

  // A delay holds the old value (backwards fill) until the animation begins.
  const TimeInterval t1 = clock.now() - start;
  View::animateWithDuration(
      1, 2, 0, [&] { view->setAlpha(1); }, record);
  EXPECT_DOUBLE_EQ(shownAlpha(t1 + 1), 0);
  EXPECT_NEAR(shownAlpha(t1 + 2.5), 0.5, 1e-6);  // ease-in-out is symmetric
  advance(2.9);
  EXPECT_EQ(completions.size(), 2u);
  advance(0.2);
  EXPECT_EQ(completions.back(), true);

  // Nothing changed: the completion still comes, from the run loop.
  View::animateWithDuration(
      1, [] {}, record);
  EXPECT_EQ(completions.size(), 3u);
  loop.runPending();
  EXPECT_EQ(completions.size(), 4u);
}

TEST_F(UIViewAnimation, ReplacedOrRemovedAnimationsCompleteUnfinished) {
  View::animateWithDuration(
      1, [&] { view->setAlpha(0); }, record);
  advance(0.5);
  // A new animation of the same property that begins from the current state takes over from
  // what is on screen.
  View::animateWithDuration(
      1, 0, ViewAnimationOptionCurveLinear | ViewAnimationOptionBeginFromCurrentState,
      [&] { view->setAlpha(1); }, record);
  const TimeInterval t = clock.now() - start;
  EXPECT_NEAR(shownAlpha(t), 0.5, 1e-3);
  advance(0);
  EXPECT_EQ(completions, (std::vector<bool>{false}));
  view->layer()->removeAllAnimations();
  advance(0);
  EXPECT_EQ(completions, (std::vector<bool>{false, false}));

  // Repeating and autoreversing for ever: never completes until removed.
  View::animateWithDuration(
      1, 0,
      ViewAnimationOptionRepeat | ViewAnimationOptionAutoreverse | ViewAnimationOptionCurveLinear,
      [&] { view->setAlpha(0); }, record);
  const TimeInterval r = clock.now() - start;
  EXPECT_NEAR(shownAlpha(r + 101.5), 0.5, 1e-4);
  advance(50);
  EXPECT_EQ(completions.size(), 2u);
  view->layer()->removeAllAnimations();
  advance(0);
  EXPECT_EQ(completions.back(), false);

  // Without animation inside a block, and with animations off.
  View::animateWithDuration(
      1, [&] { View::performWithoutAnimation([&] { view->setAlpha(0.3); }); }, record);
  EXPECT_FALSE(view->layer()->hasAnimations());
  View::setAnimationsEnabled(false);
  View::animateWithDuration(
      1, [&] { view->setAlpha(0.9); }, record);
  View::setAnimationsEnabled(true);
  EXPECT_FALSE(view->layer()->hasAnimations());
  loop.runPending();
  EXPECT_EQ(completions, (std::vector<bool>{false, false, false, true, true}));

  // A block that changes one property twice (a frame, then a centre) replaces only its own
  // animation: it still finishes, at the end, from where the first change started.
  completions.clear();
  View::animateWithDuration(
      1, 0, ViewAnimationOptionCurveLinear,
      [&] {
        view->setFrame(makeRect(0, 0, 100, 100));
        view->setCenter({150, 50});
      },
      record);
  const TimeInterval f = clock.now() - start;
  EXPECT_NEAR(shownCenter(f + 0.5).x, 100, 1e-4);
  advance(0.9);
  EXPECT_TRUE(completions.empty());
  advance(0.1);
  EXPECT_EQ(completions, (std::vector<bool>{true}));
}

TEST_F(UIViewAnimation, SpringsAndAutoresizingAnimateToo) {
  auto parent = View::create(makeRect(0, 0, 100, 100));
  parent->addSubview(view);
  view->setAutoresizingMask(ViewAutoresizingFlexibleWidth);
  View::animateWithDuration(
      1, 0, 0.3, 0, 0, [&] { parent->setFrame(makeRect(0, 0, 200, 100)); }, record);
  EXPECT_EQ(view->frame().size.width, 200);
  // The child's bounds animate along, and the under-damped spring overshoots.
  double widest = 0;
  for (double t = 0; t <= 1; t += 0.02) {
    widest = std::max(widest, view->layer()->presentationAt(start + t)->bounds().size.width);
  }
  EXPECT_GT(widest, 201);
  EXPECT_NEAR(view->layer()->presentationAt(start + 1)->bounds().size.width, 200, 0.5);
  advance(1);
  EXPECT_EQ(completions, (std::vector<bool>{true}));
}

}  // namespace
}  // namespace platform
