#include "ui/components/datepicker/DTDatePickerViewController.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/foundation/Bundle.h"
#include "platform/ui/ApplicationWindows.h"

namespace sprout {

using platform::Date;

namespace {

constexpr const char* kChineseLocale = "zh_CN";

std::unique_ptr<platform::DateFormatter> formatter(const char* pattern) {
  auto f = std::make_unique<platform::DateFormatter>();
  f->setLocaleIdentifier(kChineseLocale);
  f->setDateFormat(pattern);
  return f;
}

}  // namespace

std::shared_ptr<DTDatePickerViewController> DTDatePickerViewController::create() {
  return platform::Object::make<DTDatePickerViewController>();
}

// Shown over the presenting screen, which stays visible beneath the dimmed margin.
DTDatePickerViewController::DTDatePickerViewController(Key key)
    : platform::ViewController(std::move(key)) {
  setModalPresentationStyle(platform::ModalPresentationStyle::OverCurrentContext);
}

void DTDatePickerViewController::setMinuteStep(unsigned long step) {
  if (step < 1 || step > 60) return;
  minuteStep_ = step;
}

// --- dates

const Date& DTDatePickerViewController::date() {
  if (!date_) date_ = Date::now();
  return *date_;
}

void DTDatePickerViewController::setDate(const Date& date) {
  date_ = date;
  minRowIndex_ = maxRowIndex_ = -1;  // the limits are counted from the start day
}

const Date& DTDatePickerViewController::minDate() {
  if (!minDate_) minDate_ = dateForRow(kEdgeRows);
  return *minDate_;
}

void DTDatePickerViewController::setMinDate(const Date& date) {
  if (date > this->date()) return;
  minDate_ = date;
  minRowIndex_ = -1;
}

const Date& DTDatePickerViewController::maxDate() {
  if (!maxDate_) maxDate_ = dateForRow(kDayRealRows * kRepeats - kEdgeRows);
  return *maxDate_;
}

void DTDatePickerViewController::setMaxDate(const Date& date) {
  if (date < this->date()) return;
  maxDate_ = date;
  maxRowIndex_ = -1;
}

platform::DateFormatter& DTDatePickerViewController::dateFormatter() {
  if (!dateFormatter_) dateFormatter_ = formatter("MMM d ccc");
  return *dateFormatter_;
}

platform::DateFormatter& DTDatePickerViewController::monthAndYearLabelDateFormater() {
  if (!monthFormatter_) monthFormatter_ = formatter("MMMM yyyy");
  return *monthFormatter_;
}

const std::string& DTDatePickerViewController::confirmButtonTitle() {
  if (!confirmButtonTitle_)
    confirmButtonTitle_ = platform::Bundle::main()->localizedString("确定", "");
  return *confirmButtonTitle_;
}

const std::string& DTDatePickerViewController::backButtonTitle() {
  if (!backButtonTitle_) backButtonTitle_ = platform::Bundle::main()->localizedString("返回", "");
  return *backButtonTitle_;
}

bool DTDatePickerViewController::isDateSameDayAsDate(const Date& a, const Date& b) const {
  return calendar_.isDateInSameDayAsDate(a, b);
}

long DTDatePickerViewController::daysBetweenDate(const Date& from, const Date& to) const {
  // Days are 23 to 25 hours long across daylight-saving changes: rounding counts whole days.
  const double seconds =
      calendar_.startOfDayForDate(to).timeIntervalSince(calendar_.startOfDayForDate(from));
  return std::lround(seconds / 86400.0);
}

long DTDatePickerViewController::daysInMonth(const Date& date) const {
  const auto parts =
      calendar_.components(platform::CalendarUnitYear | platform::CalendarUnitMonth, date);
  platform::DateComponents first;
  first.year = parts.year;
  first.month = parts.month;
  first.day = 1;
  const auto start = calendar_.dateFromComponents(first);
  if (!start) return 30;
  const auto end = calendar_.dateByAddingUnit(platform::CalendarUnitMonth, 1, *start);
  return end ? daysBetweenDate(*start, *end) : 30;
}

Date DTDatePickerViewController::dateForRow(long row) {
  // Calendar days, so a daylight-saving change never skips or repeats a day.
  const auto moved =
      calendar_.dateByAddingUnit(platform::CalendarUnitDay, row - kDayStartRow, date());
  return calendar_.startOfDayForDate(moved.value_or(date()));
}

std::string DTDatePickerViewController::stringDateForRow(long row) {
  const Date day = dateForRow(row);
  if (isDateSameDayAsDate(day, Date::now())) {
    return platform::Bundle::main()->localizedString("今天", "");
  }
  return dateFormatter().stringFromDate(day);
}

// --- the wheels' rows

long DTDatePickerViewController::realNumberOfRowsInComponent(long component) const {
  switch (component) {
    case kDay:
      return kDayRealRows;
    case kHour:
      return 24;
    case kMinute:
      return static_cast<long>(60 / minuteStep_);
    default:
      return 0;
  }
}

long DTDatePickerViewController::defaultRowValueForComponent(long component) const {
  return realNumberOfRowsInComponent(component) * kRepeats / 2;
}

long DTDatePickerViewController::numberOfComponentsInPickerView(platform::PickerView&) { return 3; }

long DTDatePickerViewController::numberOfRowsInComponent(platform::PickerView&, long component) {
  return realNumberOfRowsInComponent(component) * kRepeats;
}

std::optional<double> DTDatePickerViewController::widthForComponent(platform::PickerView&,
                                                                    long component) {
  switch (component) {
    case kDay:
      return 140.0;
    case kHour:
    case kMinute:
      return 40.0;
    default:
      return 0.0;
  }
}

long DTDatePickerViewController::valueForRow(long row, long component) const {
  const long real = realNumberOfRowsInComponent(component);
  if (real == 0) return 0;
  const long cycle = ((row % real) + real) % real;
  return component == kMinute ? cycle * static_cast<long>(minuteStep_) : cycle;
}

std::optional<platform::AttributedString> DTDatePickerViewController::attributedTitleForRow(
    platform::PickerView&, long row, long component) {
  std::string text;
  auto alignment = platform::TextAlignment::Center;
  char digits[16];
  switch (component) {
    case kDay:
      text = stringDateForRow(row);
      alignment = platform::TextAlignment::Right;
      break;
    case kHour:
      std::snprintf(digits, sizeof digits, "%02ld", valueForRow(row, kHour));
      text = digits;
      break;
    case kMinute:
      std::snprintf(digits, sizeof digits, "%02ld", valueForRow(row, kMinute));
      text = digits;
      alignment = platform::TextAlignment::Left;
      break;
    default:
      break;
  }
  // The day fits its 140 points at this size.
  platform::AttributedString title(
      std::move(text),
      platform::TextAttributes{platform::Font::systemFont(kTitleFontSize), mainColor_});
  title.setAlignment(alignment);
  return title;
}

// --- leaving

void DTDatePickerViewController::leave(unsigned long method, bool pickFirst) {
  auto d = delegate();
  if (d && pickFirst) d->dtDatePickerPickedDate(dateWithSelectedTime());
  if (d) d->dtDatePickerWillDismissWithQuitMethod(method);
  std::weak_ptr<DTDatePickerViewControllerDelegate> weak = delegate_;
  dismissViewController(true, [weak, method] {
    if (auto later = weak.lock()) later->dtDatePickerDidDismissWithQuitMethod(method);
  });
}

void DTDatePickerViewController::confirmDate() { leave(DTDatePickerQuitConfirm, true); }

void DTDatePickerViewController::quitPicking() { leave(DTDatePickerQuitBack, false); }

void DTDatePickerViewController::cancelTapGesture() {
  if (dismissOnCancelTouch_) leave(DTDatePickerQuitCancelTouch, false);
}

void DTDatePickerViewController::viewDidAppear(bool animated) {
  ViewController::viewDidAppear(animated);
  auto& app = platform::ApplicationWindows::shared();
  previousStatusBarStyle_ = app.statusBarStyle();
  app.setStatusBarStyle(platform::StatusBarStyle::LightContent);
}

void DTDatePickerViewController::viewDidDisappear(bool animated) {
  ViewController::viewDidDisappear(animated);
  platform::ApplicationWindows::shared().setStatusBarStyle(previousStatusBarStyle_);
}

}  // namespace sprout
