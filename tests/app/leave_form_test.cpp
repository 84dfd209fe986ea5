#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/SPLeavesViewController.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/ScopedVirtualClock.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/TimeZone.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/Window.h"

namespace sprout {
namespace {

using platform::makeRect;

class LeaveForm : public ::testing::Test {
 protected:
  LeaveForm() {
    platform::TimeZone::setDefaultTimeZone(platform::TimeZone::named("Asia/Shanghai"));
    platform::Screen::main().setBounds(makeRect(0, 0, 320, 568));
    window->setRootViewController(form);
    window->makeKeyAndVisible();
    window->layoutIfNeeded();
  }
  ~LeaveForm() override {
    platform::RunLoop::main().runPending();
    platform::RunLoop::main().invalidateAllTimers();
    platform::ApplicationWindows::shared().reset();
    platform::TimeZone::setDefaultTimeZone(std::nullopt);
    platform::Screen::main().setBounds(saved);
  }
  platform::Date at(int y, int mo, int d, int h, int mi) {
    platform::DateComponents c;
    c.year = y, c.month = mo, c.day = d, c.hour = h, c.minute = mi, c.second = 0;
    return *platform::Calendar().dateFromComponents(c);
  }

  platform::ScopedVirtualClock clock;  // 2027-01-15 16:00 in Shanghai
  const platform::Rect saved = platform::Screen::main().bounds();
  std::shared_ptr<platform::Window> window = platform::Window::create(makeRect(0, 0, 320, 568));
  std::shared_ptr<SPLeavesViewController> form = SPLeavesViewController::create();
  platform::TouchDriver fingers{window};
};

TEST_F(LeaveForm, TheChoiceButtonOpensThePickerAndShowsThePickedMomentWhichOpensItNextTime) {
  const auto& button = form->chooseButton();
  EXPECT_EQ(button->titleForState(platform::ControlStateNormal),
            SPLeavesViewController::kPromptTitle);
  fingers.tap(button->convertPointTo({100, 22}, nullptr));
  auto picker =
      std::dynamic_pointer_cast<DTDatePickerViewController>(form->presentedViewController());
  ASSERT_NE(picker, nullptr);
  EXPECT_EQ(picker->delegate(), form);
  // A day and time chosen on the wheels: the day after tomorrow, 09:05.
  picker->pickerView()->selectRow(3002, DTDatePickerViewController::kDay, false);
  picker->pickerView()->selectRow(2409, DTDatePickerViewController::kHour, false);
  picker->pickerView()->selectRow(1201, DTDatePickerViewController::kMinute, false);
  picker->confirmDate();
  platform::RunLoop::main().runPending();
  EXPECT_EQ(form->presentedViewController(), nullptr);
  EXPECT_EQ(button->titleForState(platform::ControlStateNormal), "2027-1-17 9:5");
  ASSERT_TRUE(form->selectedDate().has_value());
  EXPECT_EQ(*form->selectedDate(), at(2027, 1, 17, 9, 5));

  auto again = form->choose();
  EXPECT_EQ(again->date(), at(2027, 1, 17, 9, 5));
  EXPECT_EQ(again->pickerView()->selectedRowInComponent(DTDatePickerViewController::kHour), 2409);
  again->quitPicking();
  EXPECT_EQ(button->titleForState(platform::ControlStateNormal), "2027-1-17 9:5");
}

}  // namespace
}  // namespace sprout
