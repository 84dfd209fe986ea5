#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/LongPressGestureRecognizer.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/PinchGestureRecognizer.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "ui_fixtures.h"

namespace platform {
namespace {

using State = GestureRecognizerState;

const char* name(State s) {
  static const char* const names[] = {"possible", "began",     "changed",
                                      "ended",    "cancelled", "failed"};
  return names[static_cast<int>(s)];
}

class Surface : public View {
 public:
  static std::shared_ptr<Surface> create(std::vector<std::string>* log, const Rect& frame) {
    return make<Surface>(log, frame);
  }
  void touchesBegan(const TouchSet&, const Event&) override { log_->push_back("view began"); }
  void touchesEnded(const TouchSet&, const Event&) override { log_->push_back("view ended"); }
  void touchesCancelled(const TouchSet&, const Event&) override {
    log_->push_back("view cancelled");
  }

  Surface(Key key, std::vector<std::string>* log, const Rect& frame)
      : View(std::move(key), frame), log_(log) {}

 private:
  std::vector<std::string>* log_;
};

class Delegate : public GestureRecognizerDelegate {
 public:
  bool gestureRecognizerShouldBegin(GestureRecognizer&) override { return mayBegin; }
  bool gestureRecognizerShouldReceiveTouch(GestureRecognizer&, const Touch&) override {
    return receives;
  }
  bool gestureRecognizerShouldRecognizeSimultaneously(GestureRecognizer&,
                                                      GestureRecognizer&) override {
    return simultaneous;
  }
  bool mayBegin = true, receives = true, simultaneous = false;
};

class UIGesture : public ui_test::OnWindow {
 protected:
  UIGesture() { window->addSubview(surface); }
  // A target that logs "<tag> <state>".
  GestureRecognizer::Action logger(std::string tag) {
    return [this, tag](GestureRecognizer& r) { log.push_back(tag + " " + name(r.state())); };
  }

  std::vector<std::string> log;
  std::shared_ptr<Surface> surface = Surface::create(&log, makeRect(0, 0, 320, 480));
  TouchDriver& finger = fingers;
};

TEST_F(UIGesture, DoubleTapOnTheClockAndASingleTapThatWaitsForIt) {
  auto single = TapGestureRecognizer::create(logger("single"));
  auto twice = TapGestureRecognizer::create(logger("double"));
  twice->setNumberOfTapsRequired(2);
  single->requireGestureRecognizerToFail(twice);
  surface->addGestureRecognizer(single);
  surface->addGestureRecognizer(twice);

  // Two quick taps: the double tap wins, the single one fails without firing.
  finger.tap({100, 100});
  EXPECT_TRUE(log == std::vector<std::string>({"view began", "view ended"}));
  advance(0.2);
  finger.tap({104, 98});
  // The recognizer took the touch from the view before its action ran.
  EXPECT_EQ(log[log.size() - 2], "view cancelled");
  EXPECT_EQ(std::count(log.begin(), log.end(), "double ended"), 1);
  EXPECT_EQ(std::count(log.begin(), log.end(), "single ended"), 0);
  EXPECT_EQ(single->state(), State::Possible);  // both reset for the next gesture

  // One tap: the single one fires only once the double tap has run out of time on the clock.
  log.clear();
  advance(1);
  finger.tap({100, 100});
  advance(TapGestureRecognizer::kMaximumTapInterval - 0.05);
  EXPECT_EQ(std::count(log.begin(), log.end(), "single ended"), 0);
  advance(0.1);
  EXPECT_EQ(log.back(), "single ended");

  // Too slow, or too far apart, or sliding: no double tap.
  log.clear();
  finger.tap({100, 100});
  advance(0.5);
  finger.tap({100, 100});
  advance(1);
  finger.tap({100, 100});
  advance(0.1);
  finger.tap({200, 200});
  advance(1);
  finger.begin({100, 100});
  finger.move({100, 120});
  finger.end();
  advance(1);
  EXPECT_EQ(std::count(log.begin(), log.end(), "double ended"), 0);
  EXPECT_EQ(std::count(log.begin(), log.end(), "single ended"), 4);

  // Two-finger taps need two fingers.
  auto two = TapGestureRecognizer::create(logger("two"));
  two->setNumberOfTouchesRequired(2);
  surface->addGestureRecognizer(two);
  log.clear();
  finger.tap({50, 50});
  finger.send({{1, TouchPhase::Began, {50, 50}}, {2, TouchPhase::Began, {80, 50}}});
  finger.send({{1, TouchPhase::Ended, {50, 50}}, {2, TouchPhase::Ended, {80, 50}}});
  EXPECT_EQ(std::count(log.begin(), log.end(), "two ended"), 1);
}

TEST_F(UIGesture, OneExclusiveWinnerUnlessDelegatesAllowBoth) {
  auto inner = View::create(makeRect(0, 0, 200, 200));
  surface->addSubview(inner);
  auto outerPan = PanGestureRecognizer::create(logger("outer"));
  auto innerPan = PanGestureRecognizer::create(logger("inner"));
  surface->addGestureRecognizer(outerPan);
  inner->addGestureRecognizer(innerPan);

  finger.begin({50, 50});
  EXPECT_EQ(finger.touch()->gestureRecognizers().size(), 2u);  // nearest view's first
  EXPECT_EQ(finger.touch()->gestureRecognizers()[0], innerPan);
  finger.move({50, 80});
  finger.move({50, 90});
  finger.end();
  EXPECT_EQ(log, (std::vector<std::string>{"view began", "view cancelled", "inner began",
                                           "inner changed", "inner ended"}));

  auto delegate = std::make_shared<Delegate>();
  delegate->simultaneous = true;
  innerPan->setDelegate(delegate);
  log.clear();
  finger.begin({50, 50});
  finger.move({50, 80});
  finger.end();
  EXPECT_EQ(log, (std::vector<std::string>{"view began", "view cancelled", "inner began",
                                           "outer began", "inner ended", "outer ended"}));

  // A delegate may refuse the start or the touch; a disabled recognizer sees nothing.
  delegate->simultaneous = false;
  delegate->mayBegin = false;
  log.clear();
  finger.begin({50, 50});
  finger.move({50, 80});
  EXPECT_EQ(innerPan->state(), State::Failed);
  finger.end();
  EXPECT_EQ(log, (std::vector<std::string>{"view began", "view cancelled", "outer began",
                                           "outer ended"}));
  delegate->mayBegin = true;
  delegate->receives = false;
  outerPan->setEnabled(false);
  log.clear();
  finger.begin({50, 50});
  finger.move({50, 80});
  finger.end();
  EXPECT_EQ(log, (std::vector<std::string>{"view began", "view ended"}));

  // Disabling or removing one under way cancels it and gives the view its touches back.
  outerPan->setEnabled(true);
  log.clear();
  finger.begin({50, 50});
  finger.move({50, 80});
  outerPan->setEnabled(false);
  EXPECT_EQ(log, (std::vector<std::string>{"view began", "view cancelled", "outer began",
                                           "outer cancelled"}));
  finger.end();
  EXPECT_EQ(outerPan->state(), State::Possible);
  surface->removeGestureRecognizer(outerPan.get());
  EXPECT_EQ(outerPan->view(), nullptr);
  EXPECT_TRUE(surface->gestureRecognizers().empty());
}

TEST_F(UIGesture, PanTranslationAndVelocityFromTimestampedTouches) {
  Point translation, velocity;
  auto pan = PanGestureRecognizer::create([&](GestureRecognizer& r) {
    auto& p = static_cast<PanGestureRecognizer&>(r);
    translation = p.translationInView(surface.get());
    velocity = p.velocityInView(surface.get());
    log.push_back(name(r.state()));
  });
  surface->addGestureRecognizer(pan);
  finger.begin({100, 100});
  finger.move({100, 108});  // within the start threshold
  EXPECT_EQ(pan->state(), State::Possible);
  // 60 Hz frames, 5 points a frame: 300 points per second.
  for (int i = 1; i <= 6; ++i) {
    advance(1.0 / 60);
    finger.move({100, 108 + 5.0 * i});
  }
  EXPECT_EQ(log, (std::vector<std::string>{"view began", "view cancelled", "began", "changed",
                                           "changed", "changed", "changed", "changed"}));
  EXPECT_NEAR(translation.y, 38, 1e-9);
  EXPECT_NEAR(velocity.y, 300, 0.01);  // clock readings near 1.8e9 s carry ~2e-7 s of rounding
  EXPECT_NEAR(velocity.x, 0, 1e-9);
  pan->setTranslation({0, 0}, surface.get());
  EXPECT_NEAR(pan->translationInView(surface.get()).y, 0, 1e-9);
  advance(1.0 / 60);
  finger.end({100, 143});
  EXPECT_EQ(log.back(), "ended");
  EXPECT_NEAR(translation.y, 5, 1e-9);
  EXPECT_NEAR(velocity.y, 300, 0.01);

  // Fingers that stop before lifting leave no velocity; a scaled view sees its own units.
  surface->setTransform(AffineTransform::scale(2, 2));
  finger.drag({100, 100}, {124, 100}, 4);
  EXPECT_NEAR(velocity.x, 180, 0.01);  // 360 window points per second over a 2x scale
  EXPECT_NEAR(translation.x, 12, 1e-9);
  advance(0.3);
  finger.end();
  EXPECT_NEAR(velocity.x, 0, 1e-9);

  // Below the minimum number of fingers it never begins.
  surface->setTransform(AffineTransform());
  pan->setMinimumNumberOfTouches(2);
  log.clear();
  finger.begin({100, 100});
  finger.move({100, 200});
  finger.end();
  EXPECT_EQ(log, (std::vector<std::string>{"view began", "view ended"}));
}

TEST_F(UIGesture, LongPressOnTheClockAndPinch) {
  auto press = LongPressGestureRecognizer::create(logger("press"));
  surface->addGestureRecognizer(press);
  finger.begin({100, 100});
  advance(0.49);
  EXPECT_EQ(press->state(), State::Possible);
  advance(0.02);
  EXPECT_EQ(log, (std::vector<std::string>{"view began", "view cancelled", "press began"}));
  finger.move({150, 150});  // moving after it began is part of it
  finger.end();
  EXPECT_EQ(log.back(), "press ended");

  // Lifting early or straying beyond the allowance fails it.
  log.clear();
  finger.begin({100, 100});
  advance(0.3);
  finger.end();
  finger.begin({100, 100});
  finger.move({100, 111});
  advance(1);
  finger.end();
  EXPECT_EQ(std::count(log.begin(), log.end(), "press began"), 0);
  surface->removeGestureRecognizer(press.get());

  double velocity = 0;
  auto pinch = PinchGestureRecognizer::create([&](GestureRecognizer& r) {
    velocity = static_cast<PinchGestureRecognizer&>(r).velocity();
    log.push_back(std::string("pinch ") + name(r.state()));
  });
  surface->addGestureRecognizer(pinch);
  log.clear();
  finger.send({{1, TouchPhase::Began, {100, 100}}, {2, TouchPhase::Began, {200, 100}}});
  advance(0.1);
  finger.send({{1, TouchPhase::Moved, {50, 100}}, {2, TouchPhase::Moved, {250, 100}}});
  EXPECT_EQ(pinch->state(), State::Began);
  EXPECT_DOUBLE_EQ(pinch->scale(), 2);
  EXPECT_NEAR(velocity, 10, 1e-3);  // scale 1 → 2 in 0.1 s
  finger.end(2);
  EXPECT_EQ(log.back(), "pinch ended");
}

}  // namespace
}  // namespace platform
