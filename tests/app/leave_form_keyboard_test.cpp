// The leave form filled the way a person fills it: a finger on the first field, the keyboard's
// keys, then the bar on top of the keyboard for next and done. This program never names the
// keyboard manager: what it gets of it comes only through the app's launch.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/AppDelegate.h"
#include "app/SPLeavesViewController.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/ScopedVirtualClock.h"
#include "platform/render/RenderView.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/KeyboardSimulator.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/Toolbar.h"

namespace sprout {
namespace {

using platform::makeRect;
using platform::Rect;

constexpr Rect kPhone{{0, 0}, {320, 568}};

// The system's keyboard window: grey keys where the keyboard is, the first responder's accessory
// bar on top of them, above every app window. The simulated keyboard has no window of its own.
class KeyboardWindow {
 public:
  KeyboardWindow() {
    window_->setWindowLevel(platform::kWindowLevelAlert);
    keys_->setBackgroundColor(platform::Color::hex(0xD1D5DB));
    keys_->setUserInteractionEnabled(false);
    window_->addSubview(keys_);
    window_->setHidden(true);
  }
  // Follows the keyboard to where it is now.
  void update() {
    const auto& keyboard = platform::KeyboardSimulator::shared();
    auto first = platform::Responder::currentFirstResponder();
    auto bar = first ? first->inputAccessoryView() : nullptr;
    if (bar_ && bar_ != bar) bar_->removeFromSuperview();
    bar_ = bar;
    const Rect frame = keyboard.frame();
    const double barHeight = bar ? height(bar->frame()) : 0;
    if (bar) {
      bar->setFrame(makeRect(0, frame.origin.y, width(frame), barHeight));
      window_->addSubview(bar);
      bar->layoutIfNeeded();
    }
    keys_->setFrame(
        makeRect(0, frame.origin.y + barHeight, width(frame), height(frame) - barHeight));
    window_->setHidden(!keyboard.isVisible());
  }
  std::shared_ptr<platform::Toolbar> bar() const {
    return std::dynamic_pointer_cast<platform::Toolbar>(bar_);
  }
  // Taps an item of the bar with a finger.
  void tapItem(std::size_t index) {
    auto item = bar()->viewForItemAtIndex(index);
    fingers_.tap(
        item->convertPointTo({width(item->bounds()) / 2, height(item->bounds()) / 2}, nullptr));
  }

 private:
  std::shared_ptr<platform::Window> window_ = platform::Window::create(kPhone);
  std::shared_ptr<platform::View> keys_ = platform::View::create();
  std::shared_ptr<platform::View> bar_;
  platform::TouchDriver fingers_{window_};
};

class LeaveFormKeyboard : public ::testing::Test {
 protected:
  // The previous / next / done bar: previous, a gap, next, space, title, space, done.
  static constexpr std::size_t kNext = 2;

  LeaveFormKeyboard() {
    platform::Screen::main().setBounds(kPhone);
    platform::KeyboardSimulator::shared().reset();
    app->applicationDidFinishLaunching();
    app->window()->setRootViewController(form);
    app->window()->layoutIfNeeded();
    fingers = std::make_unique<platform::TouchDriver>(app->window());
  }
  ~LeaveFormKeyboard() override {
    if (auto first = platform::Responder::currentFirstResponder()) first->resignOnLeavingWindow();
    settle();
    platform::KeyboardSimulator::shared().reset();
    platform::RunLoop::main().runPending();
    platform::ApplicationWindows::shared().reset();
    platform::Screen::main().setBounds(saved);
  }

  // Lets the keyboard's slide and the screen's move end, then shows the keyboard where it is.
  void settle() {
    platform::RunLoop::main().advance(1.0);
    keyboard.update();
  }
  void tapField(std::size_t i) {
    const auto& field = form->fields()[i];
    fingers->tap(field->convertPointTo({40, height(field->bounds()) / 2}, nullptr));
    settle();
  }
  void tapNext() {
    keyboard.tapItem(kNext);
    settle();
  }
  void tapDone() {
    keyboard.tapItem(keyboard.bar()->items().size() - 1);
    settle();
  }
  // Typing on the keyboard's keys.
  static void type(const std::string& text) {
    auto field = std::dynamic_pointer_cast<platform::TextField>(
        platform::Responder::currentFirstResponder());
    ASSERT_NE(field, nullptr);
    field->insertText(text);
  }
  Rect inWindow(const platform::View& view) const {
    return view.superview()->convertRectTo(view.frame(), nullptr);
  }
  double keyboardTop() const { return platform::KeyboardSimulator::shared().frame().origin.y; }
  double rootY() const { return form->view()->frame().origin.y; }
  // Pixels of the screen inside `r` dark enough to be text (window points, scale 1).
  static int darkPixels(const platform::Image& screen, const Rect& r) {
    const auto& bitmap = *screen.bitmap();
    int dark = 0;
    for (int y = static_cast<int>(minY(r)); y < static_cast<int>(maxY(r)); ++y) {
      for (int x = static_cast<int>(minX(r)); x < static_cast<int>(maxX(r)); ++x) {
        const auto p = bitmap.pixel(x, y);
        dark += ((p >> 16) & 0xFF) < 0x60 && ((p >> 8) & 0xFF) < 0x60 && (p & 0xFF) < 0x60;
      }
    }
    return dark;
  }
  static std::shared_ptr<platform::Image> screen() {
    platform::RenderOptions options;
    options.scale = 1;
    options.background = platform::Color::whiteColor();
    return platform::renderScreen(options);
  }

  platform::ScopedVirtualClock clock;
  const Rect saved = platform::Screen::main().bounds();
  std::shared_ptr<AppDelegate> app = AppDelegate::create();
  std::shared_ptr<SPLeavesViewController> form = SPLeavesViewController::create();
  std::unique_ptr<platform::TouchDriver> fingers;  // on the app's window, once launched
  KeyboardWindow keyboard;
};

TEST_F(LeaveFormKeyboard, NextAndDoneOnTheKeyboardBarFillTheFormAndKeepEachFieldInSight) {
  const auto& fields = form->fields();
  ASSERT_EQ(fields.size(), 4u);
  const Rect lastAtRest = inWindow(*fields[3]);
  EXPECT_EQ(darkPixels(*screen(), lastAtRest), 0);  // an empty field shows its pale placeholder

  tapField(0);
  ASSERT_TRUE(fields[0]->isFirstResponder());
  auto bar = keyboard.bar();
  ASSERT_NE(bar, nullptr) << "the first field of the screen has no bar on its keyboard";
  ASSERT_EQ(bar->items().size(), 7u);
  EXPECT_FALSE(bar->items()[0]->isEnabled());  // previous: it is the first field
  EXPECT_TRUE(bar->items()[kNext]->isEnabled());
  // The keyboard (with the bar) stands on the bottom; the high field needs no move.
  EXPECT_DOUBLE_EQ(keyboardTop(),
                   568 - platform::KeyboardSimulator::kKeyboardHeight - height(bar->frame()));
  EXPECT_EQ(rootY(), 0);
  type("王小明");

  const std::vector<std::string> typed = {"王小明", "2", "13800000000", "发烧，需在家休息"};
  for (std::size_t i = 1; i < fields.size(); ++i) {
    tapNext();
    ASSERT_TRUE(fields[i]->isFirstResponder()) << i;
    type(typed[i]);
    const Rect r = inWindow(*fields[i]);
    // The field's bottom edge sits the keyboard distance (10) above the keyboard, or higher
    // when it was in sight already; the screen moves no further than that.
    EXPECT_LE(maxY(r), keyboardTop() - 10) << i;
    if (maxY(r) < keyboardTop() - 10) {
      EXPECT_EQ(rootY(), 0) << i;
    }
  }
  // The lowest field lifted the whole screen by exactly its overlap with the keyboard.
  const Rect last = inWindow(*fields[3]);
  EXPECT_DOUBLE_EQ(maxY(last), keyboardTop() - 10);
  EXPECT_DOUBLE_EQ(rootY(), maxY(last) - maxY(lastAtRest));
  EXPECT_LT(rootY(), 0);
  EXPECT_FALSE(keyboard.bar()->items()[kNext]->isEnabled());  // the last field
  EXPECT_TRUE(keyboard.bar()->items()[0]->isEnabled());
  // What is typed shows in the lifted field, above the keyboard.
  auto shown = screen();
  EXPECT_GT(darkPixels(*shown, last), 20);
  EXPECT_EQ(darkPixels(*shown, makeRect(0, keyboardTop() + 50, 320, 100)), 0);  // grey keys

  tapDone();
  EXPECT_EQ(platform::Responder::currentFirstResponder(), nullptr);
  EXPECT_FALSE(platform::KeyboardSimulator::shared().isVisible());
  EXPECT_EQ(form->view()->frame(), kPhone);  // back where it was
  for (std::size_t i = 0; i < fields.size(); ++i) EXPECT_EQ(fields[i]->text(), typed[i]);
  auto after = screen();
  for (const auto& field : fields) EXPECT_GT(darkPixels(*after, inWindow(*field)), 20);
}

}  // namespace
}  // namespace sprout
