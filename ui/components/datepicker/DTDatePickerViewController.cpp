#include "ui/components/datepicker/DTDatePickerViewController.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "platform/foundation/Bundle.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TapGestureRecognizer.h"

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

// The picker's interface, built in code: a dimmed screen with the panel at its foot.
namespace sprout {

using platform::Button;
using platform::Color;
using platform::makeRect;

namespace {

constexpr double kMargin = 10;
constexpr double kBarHeight = 44;
constexpr double kSeparator = 0.5;
constexpr Color kDim = Color::rgba(0, 0, 0, 0.4);
constexpr Color kPanelColor = Color::rgba(0.13, 0.16, 0.21, 0.96);

}  // namespace

void DTDatePickerViewController::loadView() {
  const platform::Rect screen = platform::Screen::main().bounds();
  auto root = platform::View::create(screen);
  root->setBackgroundColor(kDim);
  const double width = screen.size.width - 2 * kMargin;
  const double pickerHeight = platform::PickerView::kDefaultHeight;
  const double height = kBarHeight + kSeparator + pickerHeight + kSeparator + kBarHeight;
  panel_ = platform::View::create(
      makeRect(kMargin, screen.size.height - height - kMargin, width, height));
  panel_->setBackgroundColor(kPanelColor);
  panel_->setClipsToBounds(true);
  root->addSubview(panel_);

  previous_ = Button::create(makeRect(0, 0, 60, kBarHeight));
  previous_->setTitle("<", platform::ControlStateNormal);
  next_ = Button::create(makeRect(width - 60, 0, 60, kBarHeight));
  next_->setTitle(">", platform::ControlStateNormal);
  monthLabel_ = platform::Label::create(makeRect(60, 0, width - 120, kBarHeight));
  monthLabel_->setTextAlignment(platform::TextAlignment::Center);
  separators_[0] = platform::View::create(makeRect(0, kBarHeight, width, kSeparator));
  pickerView_ =
      platform::PickerView::create(makeRect(0, kBarHeight + kSeparator, width, pickerHeight));
  const double bottom = kBarHeight + kSeparator + pickerHeight;
  separators_[1] = platform::View::create(makeRect(0, bottom, width, kSeparator));
  back_ = Button::create(makeRect(0, bottom + kSeparator, width / 2, kBarHeight));
  confirm_ = Button::create(makeRect(width / 2, bottom + kSeparator, width / 2, kBarHeight));
  separators_[2] =
      platform::View::create(makeRect(width / 2, bottom + kSeparator, kSeparator, kBarHeight));
  for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
           previous_, monthLabel_, next_, separators_[0], pickerView_, separators_[1], back_,
           confirm_, separators_[2]}) {
    panel_->addSubview(view);
  }

  std::weak_ptr<DTDatePickerViewController> weak = self<DTDatePickerViewController>();
  auto on = [weak](void (DTDatePickerViewController::*action)()) {
    return [weak, action](platform::Control&) {
      if (auto picker = weak.lock()) ((*picker).*action)();
    };
  };
  previous_->addTarget(on(&DTDatePickerViewController::jumpToPreviousMonth),
                       platform::ControlEventTouchUpInside);
  next_->addTarget(on(&DTDatePickerViewController::jumpToNextMonth),
                   platform::ControlEventTouchUpInside);
  confirm_->addTarget(on(&DTDatePickerViewController::confirmDate),
                      platform::ControlEventTouchUpInside);
  back_->addTarget(on(&DTDatePickerViewController::quitPicking),
                   platform::ControlEventTouchUpInside);
  setView(root);
}

void DTDatePickerViewController::styleButton(Button& button, bool monthButton) {
  button.setTitleColor(mainColor_, platform::ControlStateNormal);
  button.setTitleColor(mainColor_.withAlpha(0.7), platform::ControlStateHighlighted);
  if (monthButton) button.setTitleColor(mainColor_.withAlpha(0.3), platform::ControlStateDisabled);
}

void DTDatePickerViewController::viewDidLoad() {
  ViewController::viewDidLoad();
  pickerView_->setDataSource(self<DTDatePickerViewController>());
  pickerView_->setDelegate(self<DTDatePickerViewController>());
  for (long c = kDay; c <= kMinute; ++c) {
    pickerView_->selectRow(defaultRowValueForComponent(c), c, false);
  }
  // The wheels show the start time first; only then are they held inside the limits, so a
  // start after the earliest moment keeps its own time.
  const auto parts =
      calendar_.components(platform::CalendarUnitHour | platform::CalendarUnitMinute, date());
  setPickerView(kHour, parts.hour.value_or(0), false, false);
  setPickerView(kMinute, parts.minute.value_or(0), false, false);
  didSelectRow(*pickerView_, pickerView_->selectedRowInComponent(kDay), kDay);

  panel_->layer()->setCornerRadius(10);
  panel_->layer()->setBorderColor(mainColor_);
  panel_->layer()->setBorderWidth(1);
  for (const auto& separator : separators_) separator->setBackgroundColor(mainColor_);
  monthLabel_->setTextColor(mainColor_);
  styleButton(*previous_, true);
  styleButton(*next_, true);
  confirm_->setTitle(confirmButtonTitle(), platform::ControlStateNormal);
  styleButton(*confirm_, false);
  back_->setTitle(backButtonTitle(), platform::ControlStateNormal);
  styleButton(*back_, false);

  // A tap outside the panel cancels; the panel's own recognizer keeps taps inside from counting.
  std::weak_ptr<DTDatePickerViewController> weak = self<DTDatePickerViewController>();
  auto outside = platform::TapGestureRecognizer::create([weak](platform::GestureRecognizer& tap) {
    auto picker = weak.lock();
    if (!picker) return;
    const auto& panel = picker->panel_;
    if (panel->pointInside(tap.locationInView(panel.get()), nullptr)) return;
    picker->cancelTapGesture();
  });
  outside->setCancelsTouchesInView(false);
  view()->addGestureRecognizer(outside);
  auto inside = platform::TapGestureRecognizer::create();
  inside->setCancelsTouchesInView(false);
  panel_->addGestureRecognizer(inside);
}

}  // namespace sprout

// The picker's wheels: row limits, turning wheels to values, and keeping the moment in range.
namespace sprout {

using platform::Date;

long DTDatePickerViewController::clampRow(long row, long component) const {
  const long rows = realNumberOfRowsInComponent(component) * kRepeats;
  return rows == 0 ? 0 : std::clamp(row, 0L, rows - 1);
}

void DTDatePickerViewController::computeRowLimits() {
  const long lastRow = kDayRealRows * kRepeats - 1;
  const long edgeMin = kEdgeRows, edgeMax = lastRow + 1 - kEdgeRows;
  const Date& start = date();
  long low =
      minDate() <= dateForRow(edgeMin) ? edgeMin : kDayStartRow + daysBetweenDate(start, minDate());
  long high =
      maxDate() >= dateForRow(edgeMax) ? edgeMax : kDayStartRow + daysBetweenDate(start, maxDate());
  // Both inside the wheel and in order, so clamping a row always lands on a row that needs no
  // further clamping.
  low = std::clamp(low, 0L, lastRow);
  high = std::clamp(high, low, lastRow);
  minRowIndex_ = low;
  maxRowIndex_ = high;
}

long DTDatePickerViewController::minRowIndex() {
  if (minRowIndex_ < 0 || maxRowIndex_ < 0) computeRowLimits();
  return minRowIndex_;
}

long DTDatePickerViewController::maxRowIndex() {
  if (minRowIndex_ < 0 || maxRowIndex_ < 0) computeRowLimits();
  return maxRowIndex_;
}

void DTDatePickerViewController::setPickerView(long component, long value, bool decrementing,
                                               bool animated) {
  if (!pickerView_) return;
  const long real = realNumberOfRowsInComponent(component);
  const long selected = pickerView_->selectedRowInComponent(component);
  for (long k = 0; k < real; ++k) {
    const long row = clampRow(decrementing ? selected - k : selected + k, component);
    const long v = valueForRow(row, component);
    if (decrementing ? v <= value : v >= value) {
      pickerView_->selectRow(row, component, animated);
      return;
    }
  }
  if (decrementing || component != kMinute) return;
  // No minute of this hour reaches the value: the next hour's first minute, maybe tomorrow's.
  const long hourRow = clampRow(pickerView_->selectedRowInComponent(kHour) + 1, kHour);
  pickerView_->selectRow(hourRow, kHour, animated);
  if (valueForRow(hourRow, kHour) == 0) {
    pickerView_->selectRow(clampRow(pickerView_->selectedRowInComponent(kDay) + 1, kDay), kDay,
                           animated);
  }
}

void DTDatePickerViewController::clampTimeToLimits(long dayRow) {
  const auto hm = platform::CalendarUnitHour | platform::CalendarUnitMinute;
  if (dayRow <= minRowIndex()) {
    const auto parts = calendar_.components(hm, minDate());
    const long hour = parts.hour.value_or(0), minute = parts.minute.value_or(0);
    setPickerView(kHour, hour, false, true);
    // Compared as hour values: the wheel may be in any of its cycles.
    if (valueForRow(pickerView_->selectedRowInComponent(kHour), kHour) <= hour) {
      setPickerView(kMinute, minute, false, true);
    }
  }
  if (dayRow >= maxRowIndex()) {
    const auto parts = calendar_.components(hm, maxDate());
    const long hour = parts.hour.value_or(0), minute = parts.minute.value_or(0);
    setPickerView(kHour, hour, true, true);
    if (valueForRow(pickerView_->selectedRowInComponent(kHour), kHour) >= hour) {
      setPickerView(kMinute, minute, true, true);
    }
  }
}

void DTDatePickerViewController::didSelectRow(platform::PickerView&, long row, long component) {
  if (!pickerView_) return;
  if (component == kDay) {
    monthLabel_->setText(monthAndYearLabelDateFormater().stringFromDate(dateForRow(row)));
    // The limits are valid rows in order, so this recursion ends after one step.
    if (row < minRowIndex() || row > maxRowIndex()) {
      const long limit = row < minRowIndex() ? minRowIndex() : maxRowIndex();
      pickerView_->selectRow(limit, kDay, true);
      didSelectRow(*pickerView_, limit, kDay);
      return;
    }
    previous_->setEnabled(minRowIndex() < row);
    next_->setEnabled(maxRowIndex() > row);
  }
  clampTimeToLimits(pickerView_->selectedRowInComponent(kDay));
}

Date DTDatePickerViewController::dateWithSelectedTime() {
  if (!pickerView_) view();
  const Date day = dateForRow(pickerView_->selectedRowInComponent(kDay));
  auto parts = calendar_.components(
      platform::CalendarUnitYear | platform::CalendarUnitMonth | platform::CalendarUnitDay, day);
  parts.hour = static_cast<int>(valueForRow(pickerView_->selectedRowInComponent(kHour), kHour));
  parts.minute =
      static_cast<int>(valueForRow(pickerView_->selectedRowInComponent(kMinute), kMinute));
  parts.second = 0;
  return calendar_.dateFromComponents(parts).value_or(day);
}

void DTDatePickerViewController::jumpToPreviousMonth() {
  const long row = pickerView_->selectedRowInComponent(kDay);
  const long target = clampRow(row - daysInMonth(dateForRow(row)), kDay);
  pickerView_->selectRow(target, kDay, true);
  didSelectRow(*pickerView_, target, kDay);
}

void DTDatePickerViewController::jumpToNextMonth() {
  const long row = pickerView_->selectedRowInComponent(kDay);
  const long target = clampRow(row + daysInMonth(dateForRow(row)), kDay);
  pickerView_->selectRow(target, kDay, true);
  didSelectRow(*pickerView_, target, kDay);
}

}  // namespace sprout
