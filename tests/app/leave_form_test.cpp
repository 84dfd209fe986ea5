// The leave form filled the way a person fills it: a tap on the choice button, the wheels turned
// with a finger and a tap on confirm; a finger on the first field, the keyboard's keys, then the
// bar on top of the keyboard for next and done. This program never names the keyboard manager:
// what it gets of it comes only through the app's launch.
#include <string>
#include <vector>

#include "app/SPHUDTool.h"
#include "app/SPLeavesViewController.h"
#include "platform/foundation/Calendar.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/controls/Toolbar.h"
#include "platform/ui/scroll/TableView.h"
#include "tests/app/app_fixture.h"

namespace sprout {
namespace {

using app_test::kPhone;
using platform::makeRect;
using platform::Rect;
using Picker = DTDatePickerViewController;

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

class LeaveForm : public app_test::AppTest {
 protected:
  // The previous / next / done bar: previous, a gap, next, space, title, space, done.
  static constexpr std::size_t kNext = 2;

  LeaveForm() { show(form); }
  ~LeaveForm() override {
    if (auto first = platform::Responder::currentFirstResponder()) first->resignOnLeavingWindow();
    settle();
  }

  // --- the day and time
  std::shared_ptr<Picker> openPicker() {
    tap(*form->chooseButton(), platform::Point{100, 22});
    loop.advance(0.5);
    return std::dynamic_pointer_cast<Picker>(form->presentedViewController());
  }
  void tapButton(const platform::Button& b) {
    tap(b, platform::Point{b.bounds().size.width / 2, 22});
    loop.advance(1);
  }
  // Turns a wheel by whole rows: a finger drawn up (rows > 0, later values) or down, held
  // still before it lifts, then time for the wheel to settle. The wheel follows the finger once
  // it has moved past the pan's start distance, so the rows are counted from there.
  void turn(const Picker& picker, long component, int rows) {
    auto table = picker.pickerView()->tableForComponent(component);
    const auto frame = table->convertRectTo(table->bounds(), nullptr);
    const double x = platform::midX(frame);
    const double sign = rows > 0 ? -1 : 1;
    const double y = rows > 0 ? platform::maxY(frame) - 10 : platform::minY(frame) + 10;
    const double start = y + sign * (platform::PanGestureRecognizer::kStartThreshold + 2);
    const double dy = -rows * platform::PickerView::kDefaultRowHeight;
    finger->begin({x, y});
    loop.advance(1.0 / 60);
    finger->move({x, start});
    for (int i = 1; i <= 12; ++i) {
      loop.advance(1.0 / 60);
      finger->move({x, start + dy * i / 12});
    }
    loop.advance(0.3);
    finger->end();
    loop.advance(2);
  }
  void expectRows(const Picker& picker, long day, long hour, long minute) {
    EXPECT_EQ(picker.pickerView()->selectedRowInComponent(Picker::kDay), day);
    EXPECT_EQ(picker.pickerView()->selectedRowInComponent(Picker::kHour), hour);
    EXPECT_EQ(picker.pickerView()->selectedRowInComponent(Picker::kMinute), minute);
  }
  static platform::Color at(const platform::Image& image, int x, int y) {
    return platform::Color::fromPremultipliedARGB(image.bitmap()->pixel(x, y));
  }
  // Whether the form's choice button, as drawn, is exactly a button showing `title`.
  bool buttonShows(const std::string& title) {
    const auto& real = form->chooseButton();
    auto twin = platform::Button::create(real->bounds());
    twin->setBackgroundColor(platform::Color::whiteColor());
    twin->setTitle(title, platform::ControlStateNormal);
    twin->setTitleColor(platform::Color::black(), platform::ControlStateNormal);
    platform::RenderOptions options;
    options.scale = 1;
    auto expected = platform::renderView(*twin, options);
    auto shot = screenShot();
    const auto origin = real->convertPointTo({0, 0}, nullptr);
    for (int y = 0; y < expected->bitmap()->height(); ++y) {
      for (int x = 0; x < expected->bitmap()->width(); ++x) {
        if (expected->bitmap()->pixel(x, y) !=
            shot->bitmap()->pixel(x + static_cast<int>(origin.x), y + static_cast<int>(origin.y)))
          return false;
      }
    }
    return true;
  }

  // --- the fields and the keyboard
  // Lets the keyboard's slide and the screen's move end, then shows the keyboard where it is.
  void settle() {
    loop.advance(1.0);
    keyboard.update();
  }
  void tapField(std::size_t i) {
    const auto& field = form->fields()[i];
    tap(*field, platform::Point{40, height(field->bounds()) / 2});
    settle();
  }
  void tapBarItem(std::size_t i) {
    keyboard.tapItem(i);
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
  // Text pixels of the screen inside `r`.
  static int dark(const platform::Image& shot, const Rect& r) { return inked(shot, r, 0x60); }

  std::shared_ptr<SPLeavesViewController> form = SPLeavesViewController::create();
  KeyboardWindow keyboard;
};

TEST_F(LeaveForm, TurnedWheelsAndConfirmPutTheMomentOnTheButtonAndBringItBack) {
  EXPECT_TRUE(buttonShows(std::string(SPLeavesViewController::kPromptTitle)));
  const auto formColour = at(*screenShot(), 160, 40);
  auto picker = openPicker();
  ASSERT_NE(picker, nullptr);
  EXPECT_EQ(picker->delegate(), form);
  EXPECT_LT(at(*screenShot(), 160, 40).r, formColour.r - 0.2);  // the form dims behind the panel

  turn(*picker, Picker::kDay, 2);         // today → the day after tomorrow
  turn(*picker, Picker::kHour, -4);       // 16 → 12
  turn(*picker, Picker::kHour, -3);       // → 09
  turn(*picker, Picker::kMinute, 1);      // 00 → 05
  expectRows(*picker, 3002, 2409, 1201);  // mid-wheel: 09:05

  tapButton(*picker->confirmButton());
  EXPECT_EQ(form->presentedViewController(), nullptr);
  EXPECT_FALSE(picker->view()->window());
  EXPECT_EQ(form->chooseButton()->titleForState(platform::ControlStateNormal), "2027-1-17 9:5");
  platform::DateComponents c;
  c.year = 2027, c.month = 1, c.day = 17, c.hour = 9, c.minute = 5, c.second = 0;
  EXPECT_EQ(form->selectedDate(), platform::Calendar().dateFromComponents(c));
  EXPECT_TRUE(buttonShows("2027-1-17 9:5"));
  EXPECT_EQ(at(*screenShot(), 160, 40), formColour);   // no dimming left
  EXPECT_EQ(at(*screenShot(), 160, 520), formColour);  // nor any of the panel (below the fields)

  // Opened again, the wheels stand at the chosen moment; a tap beside the panel leaves it be.
  auto again = openPicker();
  ASSERT_NE(again, nullptr);
  expectRows(*again, 3000, 2409, 1201);
  turn(*again, Picker::kHour, 1);
  // The month buttons move the day by the length of the shown day's month.
  const std::string january = again->monthAndYearLabel()->text();
  tapButton(*again->monthNextButton());
  EXPECT_EQ(again->pickerView()->selectedRowInComponent(Picker::kDay), 3031);  // 17 Feb
  EXPECT_NE(again->monthAndYearLabel()->text(), january);
  tapButton(*again->monthPreviousButton());
  EXPECT_EQ(again->pickerView()->selectedRowInComponent(Picker::kDay), 3003);  // 28 days back
  EXPECT_EQ(again->monthAndYearLabel()->text(), january);
  finger->tap({160, 60});
  loop.advance(0.5);
  EXPECT_EQ(form->presentedViewController(), nullptr);
  EXPECT_TRUE(buttonShows("2027-1-17 9:5"));
}

TEST_F(LeaveForm, NextAndDoneOnTheKeyboardBarFillTheFormAndKeepEachFieldInSight) {
  const auto& fields = form->fields();
  ASSERT_EQ(fields.size(), 4u);
  const Rect lastAtRest = inWindow(*fields[3]);
  EXPECT_EQ(dark(*screenShot(), lastAtRest), 0);  // an empty field shows its pale placeholder

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
    tapBarItem(kNext);
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
  auto shown = screenShot();
  EXPECT_GT(dark(*shown, last), 20);
  EXPECT_EQ(dark(*shown, makeRect(0, keyboardTop() + 50, 320, 100)), 0);  // grey keys

  tapBarItem(keyboard.bar()->items().size() - 1);  // done
  EXPECT_EQ(platform::Responder::currentFirstResponder(), nullptr);
  EXPECT_FALSE(platform::KeyboardSimulator::shared().isVisible());
  EXPECT_EQ(form->view()->frame(), kPhone);  // back where it was
  for (std::size_t i = 0; i < fields.size(); ++i) EXPECT_EQ(fields[i]->text(), typed[i]);
  auto after = screenShot();
  for (const auto& field : fields) EXPECT_GT(dark(*after, inWindow(*field)), 20);
}

// The keyboard window lies over every app window: left up, it would hide the picker's wheels and
// buttons at the foot of the screen.
// The second tap of a quick double tap lands while the picker comes up, not on its dimmed edge.
TEST_F(LeaveForm, ADoubleTapOnTheChoiceLeavesThePickerUp) {
  tap(*form->chooseButton(), platform::Point{100, 22});
  loop.advance(0.1);
  tap(*form->chooseButton(), platform::Point{100, 22});
  loop.advance(1);
  EXPECT_TRUE(std::dynamic_pointer_cast<Picker>(form->presentedViewController()));
}

TEST_F(LeaveForm, OpeningThePickerWhileTypingPutsTheKeyboardAwayAndKeepsTheText) {
  tapField(0);
  type("王小明");
  auto picker = openPicker();
  ASSERT_NE(picker, nullptr);
  settle();
  EXPECT_FALSE(platform::KeyboardSimulator::shared().isVisible());
  EXPECT_EQ(platform::Responder::currentFirstResponder(), nullptr);
  EXPECT_LE(maxY(inWindow(*picker->confirmButton())), keyboardTop());
  tapButton(*picker->confirmButton());
  settle();
  EXPECT_EQ(form->presentedViewController(), nullptr);
  EXPECT_EQ(form->chooseButton()->titleForState(platform::ControlStateNormal), "2027-1-15 16:0");
  EXPECT_EQ(form->fields()[0]->text(), "王小明");
  EXPECT_EQ(form->view()->frame(), kPhone);
}

// A message such as a missing-field hint joins the window while the person types in a low field.
TEST_F(LeaveForm, AMessageShownWhileTypingLowKeepsTheFieldAboveTheKeyboard) {
  tapField(3);
  type("发烧");
  const double lifted = rootY();
  ASSERT_LT(lifted, 0);
  SPHUDTool::showInfoWithString("请先选择请假时间");
  loop.advance(0.5);
  EXPECT_TRUE(HDProgressHUD::isVisible());
  EXPECT_EQ(rootY(), lifted);
  EXPECT_LE(maxY(inWindow(*form->fields()[3])), keyboardTop() - 10);
  type("，需在家休息");
  loop.advance(3);  // the message goes by itself
  EXPECT_FALSE(HDProgressHUD::isVisible());
  EXPECT_EQ(rootY(), lifted);
  tapBarItem(keyboard.bar()->items().size() - 1);
  EXPECT_EQ(form->view()->frame(), kPhone);
  EXPECT_EQ(form->fields()[3]->text(), "发烧，需在家休息");
}

}  // namespace
}  // namespace sprout
