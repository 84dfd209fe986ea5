// The leave form's day and time chosen the way a person does it: a tap on the choice button, the
// wheels turned with a finger, a tap on confirm, and the form read off the screen.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/SPLeavesViewController.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/ScopedVirtualClock.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/TimeZone.h"
#include "platform/render/RenderView.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/Window.h"
#include "platform/ui/scroll/TableView.h"

namespace sprout {
namespace {

using platform::makeRect;
using platform::Point;
using Picker = DTDatePickerViewController;

class LeaveFormJourney : public ::testing::Test {
 protected:
  LeaveFormJourney() {
    platform::TimeZone::setDefaultTimeZone(platform::TimeZone::named("Asia/Shanghai"));
    platform::Screen::main().setBounds(makeRect(0, 0, 320, 568));
    window->setRootViewController(form);
    window->makeKeyAndVisible();
    window->layoutIfNeeded();
  }
  ~LeaveFormJourney() override {
    loop.runPending();
    loop.invalidateAllTimers();
    platform::ApplicationWindows::shared().reset();
    platform::TimeZone::setDefaultTimeZone(std::nullopt);
    platform::Screen::main().setBounds(saved);
  }
  std::shared_ptr<Picker> openPicker() {
    fingers.tap(form->chooseButton()->convertPointTo({100, 22}, nullptr));
    loop.advance(0.5);
    return std::dynamic_pointer_cast<Picker>(form->presentedViewController());
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
    fingers.begin({x, y});
    loop.advance(1.0 / 60);
    fingers.move({x, start});
    for (int i = 1; i <= 12; ++i) {
      loop.advance(1.0 / 60);
      fingers.move({x, start + dy * i / 12});
    }
    loop.advance(0.3);
    fingers.end();
    loop.advance(2);
  }
  std::shared_ptr<platform::Image> shot() {
    platform::RenderOptions options;
    options.scale = 1;
    return platform::renderView(*window, options);
  }
  static platform::Color at(const platform::Image& image, int x, int y) {
    return platform::Color::fromPremultipliedARGB(image.bitmap()->pixel(x, y));
  }
  // Whether the form's choice button, as drawn in the window, is exactly a button showing
  // `title`.
  bool buttonShows(const std::string& title) {
    const auto& real = form->chooseButton();
    auto twin = platform::Button::create(real->bounds());
    twin->setBackgroundColor(platform::Color::whiteColor());
    twin->setTitle(title, platform::ControlStateNormal);
    twin->setTitleColor(platform::Color::black(), platform::ControlStateNormal);
    platform::RenderOptions options;
    options.scale = 1;
    auto expected = platform::renderView(*twin, options);
    auto screen = shot();
    const auto origin = real->convertPointTo({0, 0}, nullptr);
    for (int y = 0; y < expected->bitmap()->height(); ++y) {
      for (int x = 0; x < expected->bitmap()->width(); ++x) {
        if (expected->bitmap()->pixel(x, y) !=
            screen->bitmap()->pixel(x + static_cast<int>(origin.x), y + static_cast<int>(origin.y)))
          return false;
      }
    }
    return true;
  }

  platform::RunLoop& loop = platform::RunLoop::main();
  platform::ScopedVirtualClock clock;  // 2027-01-15 16:00 in Shanghai
  const platform::Rect saved = platform::Screen::main().bounds();
  std::shared_ptr<platform::Window> window = platform::Window::create(makeRect(0, 0, 320, 568));
  std::shared_ptr<SPLeavesViewController> form = SPLeavesViewController::create();
  platform::TouchDriver fingers{window};
};

TEST_F(LeaveFormJourney, TurnedWheelsAndConfirmPutTheMomentOnTheButtonAndBringItBack) {
  EXPECT_TRUE(buttonShows(std::string(SPLeavesViewController::kPromptTitle)));
  const auto formColour = at(*shot(), 160, 40);
  auto picker = openPicker();
  ASSERT_NE(picker, nullptr);
  EXPECT_LT(at(*shot(), 160, 40).r, formColour.r - 0.2);  // the form is dimmed behind the panel

  turn(*picker, Picker::kDay, 2);     // today → the day after tomorrow
  turn(*picker, Picker::kHour, -4);   // 16 → 12
  turn(*picker, Picker::kHour, -3);   // → 09
  turn(*picker, Picker::kMinute, 6);  // 00 → 30
  EXPECT_EQ(picker->pickerView()->selectedRowInComponent(Picker::kDay), 3002);
  EXPECT_EQ(picker->pickerView()->selectedRowInComponent(Picker::kHour) % 24, 9);
  EXPECT_EQ(picker->pickerView()->selectedRowInComponent(Picker::kMinute) % 12, 6);

  const auto& confirm = picker->confirmButton();
  fingers.tap(confirm->convertPointTo({confirm->bounds().size.width / 2, 22}, nullptr));
  loop.advance(0.5);
  EXPECT_EQ(form->presentedViewController(), nullptr);
  EXPECT_FALSE(picker->view()->window());
  EXPECT_EQ(form->chooseButton()->titleForState(platform::ControlStateNormal), "2027-1-17 9:30");
  EXPECT_TRUE(buttonShows("2027-1-17 9:30"));
  EXPECT_EQ(at(*shot(), 160, 40), formColour);   // no dimming left
  EXPECT_EQ(at(*shot(), 160, 520), formColour);  // nor any of the panel (below the fields)

  // Opened again, the wheels stand at the chosen moment; a tap beside the panel leaves it be.
  auto again = openPicker();
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->pickerView()->selectedRowInComponent(Picker::kDay), 3000);
  EXPECT_EQ(again->pickerView()->selectedRowInComponent(Picker::kHour) % 24, 9);
  EXPECT_EQ(again->pickerView()->selectedRowInComponent(Picker::kMinute) % 12, 6);
  turn(*again, Picker::kHour, 1);
  // The month buttons move the day by the length of the shown day's month.
  const std::string january = again->monthAndYearLabel()->text();
  auto tapButton = [&](const std::shared_ptr<platform::Button>& b) {
    fingers.tap(b->convertPointTo({b->bounds().size.width / 2, 22}, nullptr));
    loop.advance(1);
  };
  tapButton(again->monthNextButton());
  EXPECT_EQ(again->pickerView()->selectedRowInComponent(Picker::kDay), 3031);  // 17 Feb
  EXPECT_NE(again->monthAndYearLabel()->text(), january);
  tapButton(again->monthPreviousButton());
  EXPECT_EQ(again->pickerView()->selectedRowInComponent(Picker::kDay), 3003);  // 28 days back
  EXPECT_EQ(again->monthAndYearLabel()->text(), january);
  fingers.tap({160, 60});
  loop.advance(0.5);
  EXPECT_EQ(form->presentedViewController(), nullptr);
  EXPECT_TRUE(buttonShows("2027-1-17 9:30"));
}

}  // namespace
}  // namespace sprout
