#include "platform/foundation/TimeZone.h"
#include "tests/ui_components/fixtures.h"
#include "ui/components/datepicker/DTDatePickerViewController.h"

namespace sprout {
namespace {

using Picker = DTDatePickerViewController;
using platform::Date;
using platform::makeRect;

class Journal : public DTDatePickerViewControllerDelegate {
 public:
  void dtDatePickerPickedDate(const Date& date) override {
    picked.push_back(date);
    log.push_back("picked");
  }
  void dtDatePickerWillDismissWithQuitMethod(unsigned long m) override {
    log.push_back("will " + std::to_string(m));
  }
  void dtDatePickerDidDismissWithQuitMethod(unsigned long m) override {
    log.push_back("did " + std::to_string(m));
  }
  std::vector<Date> picked;
  std::vector<std::string> log;
};

class DatePicker : public components_test::ComponentsTest {
 protected:
  explicit DatePicker(const char* zone = "Asia/Shanghai") : ComponentsTest(kScreen, 2) {
    setTimeZone(zone);
    calendar = std::make_unique<platform::Calendar>();
  }

  Date at(int y, int mo, int d, int h, int mi) {
    platform::DateComponents c;
    c.year = y, c.month = mo, c.day = d, c.hour = h, c.minute = mi, c.second = 0;
    return *calendar->dateFromComponents(c);
  }
  std::shared_ptr<Picker> open(std::optional<Date> start = std::nullopt) {
    picker = Picker::create();
    if (start) picker->setDate(*start);
    picker->setDelegate(journal);
    configure(*picker);
    presenter->presentViewController(picker, true);
    advance(platform::ApplicationWindows::kTransitionDuration);  // it has come up
    window->layoutIfNeeded();
    return picker;
  }
  virtual void configure(Picker&) {}
  long row(long component) { return picker->pickerView()->selectedRowInComponent(component); }
  std::string shown(long r, long component) {
    return picker->attributedTitleForRow(*picker->pickerView(), r, component)->string();
  }
  std::string shownTime() {
    return shown(row(Picker::kHour), 1) + ":" + shown(row(Picker::kMinute), 2);
  }
  void userSelects(long r, long component) {
    picker->pickerView()->selectRow(r, component, false);
    picker->didSelectRow(*picker->pickerView(), r, component);
  }

  void tapButton(const platform::Button& b) {
    finger.tap(b.convertPointTo({b.bounds().size.width / 2, 22}, nullptr));
    loop.runPending();
  }

  std::unique_ptr<platform::Calendar> calendar;
  std::shared_ptr<platform::ViewController>& presenter = root;
  std::shared_ptr<Journal> journal = std::make_shared<Journal>();
  std::shared_ptr<Picker> picker;
};

TEST_F(DatePicker, WheelsTheirStartRowsAndTitles) {
  open();
  auto& p = *picker->pickerView();
  EXPECT_EQ(picker->modalPresentationStyle(), platform::ModalPresentationStyle::OverCurrentContext);
  EXPECT_EQ(p.numberOfComponents(), 3);
  EXPECT_EQ(p.numberOfRowsInComponent(0), 6000);
  EXPECT_EQ(p.numberOfRowsInComponent(1), 4800);
  EXPECT_EQ(p.numberOfRowsInComponent(2), 2400);
  EXPECT_EQ(row(Picker::kDay), 3000);
  EXPECT_EQ(shown(3000, 0), "今天");
  platform::DateFormatter f;
  f.setLocaleIdentifier("zh_CN");
  f.setDateFormat("MMM d ccc");
  EXPECT_EQ(shown(3001, 0), f.stringFromDate(at(2027, 1, 16, 0, 0)));
  EXPECT_NE(shown(3001, 0).find("周六"), std::string::npos) << shown(3001, 0);
  EXPECT_EQ(shown(2400 + 7, 1), "07");
  EXPECT_EQ(shown(4799, 1), "23");
  EXPECT_EQ(shown(1200 + 11, 2), "55");
  auto title = picker->attributedTitleForRow(p, 3000, 0);
  EXPECT_EQ(title->alignment(), platform::TextAlignment::Right);
  EXPECT_EQ(title->attributesAt(0).foregroundColor, platform::Color::whiteColor());
  EXPECT_EQ(picker->monthAndYearLabel()->text(), "一月 2027");
  EXPECT_EQ(picker->confirmButton()->titleForState(platform::ControlStateNormal), "确定");
  EXPECT_EQ(picker->backButton()->titleForState(platform::ControlStateNormal), "返回");
}

TEST_F(DatePicker, MinuteStepsOutsideOneToSixtyAreRefused) {
  auto p = Picker::create();
  p->setMinuteStep(7);
  EXPECT_EQ(p->realNumberOfRowsInComponent(Picker::kMinute), 8);
  p->setMinuteStep(0);
  p->setMinuteStep(61);
  EXPECT_EQ(p->minuteStep(), 7u);
  picker = p;
  p->setDate(at(2027, 1, 15, 10, 45));
  presenter->presentViewController(p, false);
  EXPECT_EQ(shown(1200 + 7, 2), "49");
  EXPECT_EQ(shownTime(), "10:49");
}

TEST_F(DatePicker, TheStartTimeRoundsUpToTheNextStep) {
  open(at(2027, 1, 15, 10, 37));
  EXPECT_EQ(shownTime(), "10:40");
  open(at(2027, 1, 15, 10, 58));
  EXPECT_EQ(shownTime(), "11:00");
  open(at(2027, 1, 15, 23, 58));
  EXPECT_EQ(shownTime(), "00:00");
  EXPECT_EQ(row(Picker::kDay), 3001);
  EXPECT_EQ(picker->dateWithSelectedTime(), at(2027, 1, 16, 0, 0));
}

TEST_F(DatePicker, DaysOutsideTheLimitsSpringBackAndTheMonthButtonsFollow) {
  open(at(2027, 1, 15, 10, 0));
  const long jan15 = row(Picker::kDay);
  EXPECT_EQ(picker->minRowIndex(), 30);
  EXPECT_EQ(picker->maxRowIndex(), 5970);
  userSelects(10, Picker::kDay);
  EXPECT_EQ(row(Picker::kDay), 30);
  EXPECT_FALSE(picker->monthPreviousButton()->isEnabled());
  EXPECT_TRUE(picker->monthNextButton()->isEnabled());
  // A month button moves by the length of the shown day's month: 15 March back 31 days.
  userSelects(jan15 + 31 + 28, Picker::kDay);
  tapButton(*picker->monthPreviousButton());
  EXPECT_EQ(row(Picker::kDay), jan15 + 28);
  EXPECT_EQ(shown(row(Picker::kDay), 0).rfind("2月 12", 0), 0u) << shown(row(Picker::kDay), 0);
  userSelects(5965, Picker::kDay);
  tapButton(*picker->monthNextButton());  // past the last rows: held at the limit
  EXPECT_EQ(row(Picker::kDay), 5970);
  EXPECT_FALSE(picker->monthNextButton()->isEnabled());
}

class DatePickerWithMinimum : public DatePicker {
 protected:
  void configure(Picker& p) override {
    p.setMinDate(at(2027, 1, 15, 8, 30));
    p.setMinDate(at(2027, 1, 16, 8, 30));  // later than the start: dropped
    p.setMaxDate(at(2027, 1, 14, 8, 30));  // earlier: dropped
    p.setMaxDate(at(2027, 3, 1, 18, 0));
  }
};

TEST_F(DatePickerWithMinimum, TheEarliestMomentHoldsTheWheelsByHourValue) {
  open(at(2027, 1, 15, 10, 0));
  EXPECT_EQ(picker->minDate(), at(2027, 1, 15, 8, 30));
  EXPECT_EQ(picker->maxDate(), at(2027, 3, 1, 18, 0));
  EXPECT_EQ(shownTime(), "10:00");  // its own time, not pushed to 10:30
  EXPECT_EQ(picker->minRowIndex(), 3000);
  EXPECT_EQ(picker->maxRowIndex(), 3045);
  EXPECT_FALSE(picker->monthPreviousButton()->isEnabled());
  userSelects(2400 + 6, Picker::kHour);
  EXPECT_EQ(shownTime(), "08:30");
  // In another cycle of the hour wheel the clamp still sees the hour.
  userSelects(2400 + 24 * 5 + 7, Picker::kHour);
  EXPECT_EQ(shownTime(), "08:30");
  userSelects(2400 + 24 * 5 + 9, Picker::kHour);
  userSelects(1200 + 1, Picker::kMinute);
  EXPECT_EQ(shownTime(), "09:05");
  userSelects(3045, Picker::kDay);        // the last day: no later than 18:00
  userSelects(4000 + 12, Picker::kHour);  // 4000 = 24 × 166 + 16: shows 04
  EXPECT_EQ(shownTime(), "04:05");
  userSelects(2400 + 20, Picker::kHour);
  EXPECT_EQ(shownTime(), "18:00");
}

TEST_F(DatePicker, EachWayOfLeavingIsReportedWithItsQuitMethod) {
  open(at(2027, 1, 15, 10, 37));
  tapButton(*picker->confirmButton());
  ASSERT_EQ(journal->picked.size(), 1u);
  EXPECT_EQ(journal->picked[0], at(2027, 1, 15, 10, 40));
  EXPECT_EQ(presenter->presentedViewController(), nullptr);
  open();
  finger.tap({160, 400});  // inside the panel: nothing
  loop.runPending();
  EXPECT_NE(presenter->presentedViewController(), nullptr);
  finger.tap({160, 100});  // outside
  loop.runPending();
  open();
  picker->setDismissOnCancelTouch(false);
  finger.tap({160, 100});
  loop.runPending();
  EXPECT_NE(presenter->presentedViewController(), nullptr);
  tapButton(*picker->backButton());
  EXPECT_EQ(presenter->presentedViewController(), nullptr);
  EXPECT_EQ(journal->log, (std::vector<std::string>{"picked", "will 0", "did 0", "will 2", "did 2",
                                                    "will 1", "did 1"}));
}

TEST_F(DatePicker, TheStatusBarIsLightWhileThePickerIsUp) {
  auto& app = platform::ApplicationWindows::shared();
  open();
  EXPECT_EQ(app.statusBarStyle(), platform::StatusBarStyle::LightContent);
  picker->quitPicking();
  EXPECT_EQ(app.statusBarStyle(), platform::StatusBarStyle::Default);
}

class DatePickerInBerlin : public DatePicker {
 protected:
  DatePickerInBerlin() : DatePicker("Europe/Berlin") {}
};

TEST_F(DatePickerInBerlin, DaylightSavingNeitherSkipsNorRepeatsADay) {
  open(at(2027, 3, 27, 23, 30));  // the clocks go forward in the night of the 28th
  for (long r = 3000; r <= 3003; ++r) {
    EXPECT_EQ(picker->dateForRow(r), at(2027, 3, 27 + static_cast<int>(r - 3000), 0, 0)) << r;
  }
  EXPECT_EQ(picker->daysBetweenDate(at(2027, 3, 27, 23, 30), at(2027, 3, 29, 0, 10)), 2);
  EXPECT_EQ(picker->daysInMonth(at(2027, 3, 5, 0, 0)), 31);
  open(at(2027, 10, 30, 0, 30));  // and back in the night of the 31st
  EXPECT_EQ(picker->dateForRow(3002), at(2027, 11, 1, 0, 0));
}

}  // namespace
}  // namespace sprout
