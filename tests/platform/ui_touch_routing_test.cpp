#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/dispatch/RunLoopModeScope.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/KeyboardSimulator.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "ui_fixtures.h"

namespace platform {
namespace {

// Logs the touches it receives: "name phase count (allTouches)".
class Pad : public View {
 public:
  static std::shared_ptr<Pad> create(std::string name, std::vector<std::string>* log,
                                     const Rect& frame) {
    return make<Pad>(std::move(name), log, frame);
  }
  void touchesBegan(const TouchSet& t, const Event& e) override { note("began", t, e); }
  void touchesMoved(const TouchSet& t, const Event& e) override { note("moved", t, e); }
  void touchesEnded(const TouchSet& t, const Event& e) override { note("ended", t, e); }
  void touchesCancelled(const TouchSet& t, const Event& e) override { note("cancelled", t, e); }
  void tintColorDidChange() override { ++tintChanges; }
  bool canBecomeFirstResponder() const override { return true; }
  bool requiresKeyboard() const override { return wantsKeyboard; }
  bool canResignFirstResponder() const override { return resignable; }

  void rename(std::string name) { name_ = std::move(name); }

  int tintChanges = 0;
  bool wantsKeyboard = false;
  bool resignable = true;

  Pad(Key key, std::string name, std::vector<std::string>* log, const Rect& frame)
      : View(std::move(key), frame), name_(std::move(name)), log_(log) {}

 private:
  void note(const char* phase, const TouchSet& t, const Event& e) {
    log_->push_back(name_ + " " + phase + " " + std::to_string(t.size()) + " (" +
                    std::to_string(e.allTouches.size()) + ")");
  }
  std::string name_;
  std::vector<std::string>* log_;
};

class UITouchRouting : public ui_test::OnWindow {
 protected:
  std::vector<std::string> log;
};

TEST_F(UITouchRouting, NestedModeScopesNeverResetEachOther) {
  EXPECT_EQ(loop.currentMode(), RunLoopMode::Default);
  auto outer = std::make_unique<RunLoopModeScope>(RunLoopMode::Tracking);
  {
    RunLoopModeScope inner(RunLoopMode::Tracking);
    EXPECT_EQ(loop.currentMode(), RunLoopMode::Tracking);
  }
  EXPECT_EQ(loop.currentMode(), RunLoopMode::Tracking);  // the inner one ending left it alone
  // Scopes may also end out of order.
  auto second = std::make_unique<RunLoopModeScope>(RunLoopMode::Default);
  outer.reset();
  EXPECT_EQ(loop.currentMode(), RunLoopMode::Default);
  second.reset();
  EXPECT_EQ(loop.currentMode(), RunLoopMode::Default);

  // The window holds tracking mode while any finger is down, across two views.
  auto a = Pad::create("a", &log, makeRect(0, 0, 100, 100));
  auto b = Pad::create("b", &log, makeRect(200, 0, 100, 100));
  window->addSubview(a);
  window->addSubview(b);
  fingers.begin(1, {10, 10});
  EXPECT_EQ(loop.currentMode(), RunLoopMode::Tracking);
  fingers.begin(2, {210, 10});
  fingers.end(1);
  EXPECT_EQ(loop.currentMode(), RunLoopMode::Tracking);
  fingers.end(2);
  EXPECT_EQ(loop.currentMode(), RunLoopMode::Default);
}

TEST_F(UITouchRouting, ViewsHearTouchesInFirstTouchedOrderWithAllTouches) {
  auto one = Pad::create("", &log, makeRect(0, 0, 100, 100));
  auto two = Pad::create("", &log, makeRect(200, 0, 100, 100));
  // The view touched first is the one at the higher address, so address order would be wrong.
  auto early = std::greater<>()(one.get(), two.get()) ? one : two;
  auto late = early == one ? two : one;
  early->rename("early");
  late->rename("late");
  window->addSubview(early);
  window->addSubview(late);
  const Point onEarly = early->center(), onLate = late->center();
  // Two fingers on `early` and one on `late` come down together; `late`'s finger is listed first.
  fingers.begin(7, onEarly);
  log.clear();
  fingers.send({{8, TouchPhase::Began, onLate}, {9, TouchPhase::Began, onEarly}});
  EXPECT_EQ(log, (std::vector<std::string>{"early began 1 (3)", "late began 1 (3)"}));
  log.clear();
  fingers.send({{8, TouchPhase::Moved, onLate},
                {9, TouchPhase::Moved, onEarly},
                {7, TouchPhase::Moved, onEarly}});
  EXPECT_EQ(log, (std::vector<std::string>{"early moved 2 (3)", "late moved 1 (3)"}));
  log.clear();
  fingers.send({{8, TouchPhase::Ended, onLate}, {9, TouchPhase::Cancelled, onEarly}});
  EXPECT_EQ(log, (std::vector<std::string>{"early cancelled 1 (3)", "late ended 1 (3)"}));
  EXPECT_EQ(window->activeTouches().size(), 1u);
  EXPECT_EQ(fingers.touch(7)->phase(), TouchPhase::Stationary);
  fingers.end(7);
  EXPECT_TRUE(window->activeTouches().empty());

  // Timestamps come from the clock; a quick second tap nearby counts up.
  advance(1);
  EXPECT_EQ(fingers.tap({50, 50}), one);
  const TimeInterval first = fingers.touch()->timestamp();
  advance(0.2);
  fingers.tap({55, 52});
  EXPECT_DOUBLE_EQ(fingers.touch()->timestamp(), first + 0.2);
  EXPECT_EQ(fingers.touch()->tapCount(), 2);
  advance(1);
  fingers.tap({55, 52});
  EXPECT_EQ(fingers.touch()->tapCount(), 1);
}

TEST_F(UITouchRouting, FirstResponderIsPerWindowAndLeavesWithItsView) {
  auto field = Pad::create("field", &log, makeRect(0, 0, 100, 30));
  EXPECT_FALSE(field->becomeFirstResponder());  // not in a window
  auto panel = View::create(makeRect(0, 0, 320, 200));
  panel->addSubview(field);
  window->addSubview(panel);
  EXPECT_FALSE(panel->becomeFirstResponder());  // a plain view does not take it
  field->wantsKeyboard = true;
  ASSERT_TRUE(field->becomeFirstResponder());
  EXPECT_EQ(window->firstResponder(), field);
  EXPECT_TRUE(KeyboardSimulator::shared().isVisible());

  // The current one may refuse to let go to another, and then stays.
  auto second = Pad::create("second", &log, makeRect(0, 40, 100, 30));
  second->wantsKeyboard = true;
  panel->addSubview(second);
  field->resignable = false;
  EXPECT_FALSE(second->becomeFirstResponder());
  EXPECT_EQ(Responder::currentFirstResponder(), field);

  // Another window keeps its own first responder.
  auto other = Window::create(makeRect(0, 0, 320, 480));
  auto otherField = Pad::create("other", &log, makeRect(0, 0, 10, 10));
  other->addSubview(otherField);
  ASSERT_TRUE(otherField->becomeFirstResponder());
  EXPECT_TRUE(field->isFirstResponder());
  EXPECT_EQ(Responder::currentFirstResponder(), field);  // the key window's

  // Removing an ancestor takes the first responder out of its window: it resigns, even if it
  // would refuse, and the keyboard it brought up goes down.
  int hides = 0;
  auto token = NotificationCenter::defaultCenter().addObserver(
      kKeyboardWillHideNotification, nullptr, [&](const Notification&) { ++hides; });
  panel->removeFromSuperview();
  EXPECT_FALSE(field->isFirstResponder());
  EXPECT_EQ(window->firstResponder(), nullptr);
  EXPECT_FALSE(KeyboardSimulator::shared().isVisible());
  EXPECT_EQ(hides, 1);
  EXPECT_TRUE(otherField->isFirstResponder());

  // Handing over between two fields that both type keeps the keyboard up.
  window->addSubview(panel);
  field->resignable = true;
  ASSERT_TRUE(field->becomeFirstResponder());
  ASSERT_TRUE(second->becomeFirstResponder());
  EXPECT_FALSE(field->isFirstResponder());
  EXPECT_EQ(hides, 1);
  EXPECT_TRUE(KeyboardSimulator::shared().isVisible());
  EXPECT_TRUE(second->resignFirstResponder());
  EXPECT_EQ(Responder::currentFirstResponder(), nullptr);
}

TEST_F(UITouchRouting, MovingASubtreeTellsOnlyViewsWhoseTintChanged) {
  auto list = View::create(window->bounds());
  window->addSubview(list);
  auto cell = Pad::create("cell", &log, makeRect(0, 0, 320, 44));
  std::vector<std::shared_ptr<Pad>> parts;
  for (int i = 0; i < 20; ++i) {
    parts.push_back(Pad::create("part", &log, makeRect(i, 0, 10, 10)));
    (i % 2 ? parts[i - 1] : std::static_pointer_cast<View>(cell))->addSubview(parts.back());
  }
  list->addSubview(cell);
  auto count = [&] {
    int n = cell->tintChanges;
    for (const auto& p : parts) n += p->tintChanges;
    return n;
  };
  // Tint flows down until a view sets its own.
  const Color platformBlue = Color::rgba(0, 122 / 255.0, 1);
  EXPECT_EQ(parts[1]->tintColor(), platformBlue);
  list->setTintColor(Color::red());
  EXPECT_EQ(parts[1]->tintColor(), Color::red());
  parts[0]->setTintColor(Color::green());
  list->setTintColor(std::nullopt);
  EXPECT_EQ(parts[1]->tintColor(), Color::green());
  EXPECT_EQ(cell->tintColor(), platformBlue);
  parts[0]->setTintColor(std::nullopt);
  const int before = count();
  for (int i = 0; i < 10; ++i) {
    cell->removeFromSuperview();
    list->addSubview(cell);
  }
  EXPECT_EQ(count() - before, 0);  // same platform tint out of the tree and back in

  // A real change reaches every view that inherits it, and only those.
  parts[4]->setTintColor(Color::green());
  const int green = parts[4]->tintChanges;
  auto red = View::create(makeRect(0, 0, 10, 10));
  red->setTintColor(Color::red());
  window->addSubview(red);
  const int moved = count();
  red->addSubview(cell);
  EXPECT_EQ(count() - moved, 21 - 2);  // parts[4] and its child keep green
  EXPECT_EQ(parts[4]->tintChanges, green);
  cell->setTintColor(Color::red());  // setting the tint already shown changes nothing
  EXPECT_EQ(count() - moved, 21 - 2);
}

TEST_F(UITouchRouting, AnimationOptionsAreHonoured) {
  auto pad = Pad::create("pad", &log, makeRect(0, 0, 100, 100));
  window->addSubview(pad);
  // Without "allow user interaction" an animating view takes no touches until it stops.
  View::animateWithDuration(1, 0, 0, [&] { pad->setAlpha(0.5); });
  EXPECT_EQ(window->hitTest({10, 10}, nullptr), window);
  advance(1.1);
  EXPECT_EQ(window->hitTest({10, 10}, nullptr), pad);
  View::animateWithDuration(1, 0, ViewAnimationOptionAllowUserInteraction,
                            [&] { pad->setAlpha(1); });
  EXPECT_EQ(window->hitTest({10, 10}, nullptr), pad);
  advance(1.1);

  // Caught mid-flight: from what is on screen only with "begin from current state".
  auto shownX = [&] { return pad->layer()->presentationLayer()->position().x; };
  const unsigned linear = ViewAnimationOptionCurveLinear;
  View::animateWithDuration(1, 0, linear, [&] { pad->setCenter({150, 50}); });
  advance(0.5);
  EXPECT_NEAR(shownX(), 100, 1e-6);
  View::animateWithDuration(1, 0, linear, [&] { pad->setCenter({50, 50}); });
  EXPECT_NEAR(shownX(), 150, 1e-6);  // from where the last one was heading
  advance(0.5);
  View::animateWithDuration(1, 0, linear | ViewAnimationOptionBeginFromCurrentState, [&] {
    pad->setCenter({150, 50});
  });
  EXPECT_NEAR(shownX(), 100, 1e-6);
  advance(1.1);

  // "Lay out subviews": the layout the block calls for happens in it, so it animates.
  class Row : public View {
   public:
    explicit Row(Key key, const Rect& frame) : View(std::move(key), frame) {}
    void layoutSubviews() override { subviews()[0]->setFrame(makeRect(0, 0, width(bounds()), 10)); }
  };
  auto row = Object::make<Row>(makeRect(0, 200, 100, 10));
  row->addSubview(View::create(makeRect(0, 0, 100, 10)));
  window->addSubview(row);
  window->layoutIfNeeded();
  auto child = row->subviews()[0];
  View::animateWithDuration(1, 0, ViewAnimationOptionLayoutSubviews | linear,
                            [&] { row->setFrame(makeRect(0, 200, 300, 10)); });
  EXPECT_TRUE(child->layer()->hasAnimations());
  EXPECT_DOUBLE_EQ(width(child->frame()), 300);
  advance(1.1);
  View::animateWithDuration(1, 0, linear, [&] { row->setFrame(makeRect(0, 200, 100, 10)); });
  window->layoutIfNeeded();  // the display pass, after the block
  EXPECT_FALSE(child->layer()->hasAnimations());
}

}  // namespace
}  // namespace platform
