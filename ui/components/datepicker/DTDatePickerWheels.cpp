// The picker's wheels: row limits, turning wheels to values, and keeping the moment in range.
#include <algorithm>

#include "ui/components/datepicker/DTDatePickerViewController.h"

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
