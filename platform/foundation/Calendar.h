#pragma once

#include <memory>
#include <optional>

#include "platform/foundation/Date.h"
#include "platform/foundation/TimeZone.h"

namespace platform {

// Bits that name calendar units, combinable with |.
enum CalendarUnit : unsigned {
  CalendarUnitEra = 1u << 1,
  CalendarUnitYear = 1u << 2,
  CalendarUnitMonth = 1u << 3,
  CalendarUnitDay = 1u << 4,
  CalendarUnitHour = 1u << 5,
  CalendarUnitMinute = 1u << 6,
  CalendarUnitSecond = 1u << 7,
  CalendarUnitWeekday = 1u << 9,
  CalendarUnitWeekOfYear = 1u << 13,
  CalendarUnitNanosecond = 1u << 15,
};

// Fields of a date in a calendar; a field that was not asked for (or not given) is nullopt.
// Months and days count from 1; weekday 1 is Sunday.
struct DateComponents {
  std::optional<int> era, year, month, day, hour, minute, second, weekday, weekOfYear;
  std::optional<long> nanosecond;

  bool operator==(const DateComponents&) const = default;
};

// The Gregorian calendar in a time zone (the default zone until set). A value: copies are
// independent. One thread at a time per instance.
class Calendar {
 public:
  Calendar();
  explicit Calendar(TimeZone zone);
  Calendar(const Calendar& other);
  Calendar& operator=(const Calendar& other);
  ~Calendar();
  static Calendar gregorian() { return Calendar(); }

  const TimeZone& timeZone() const { return zone_; }
  void setTimeZone(TimeZone zone);

  DateComponents components(unsigned units, const Date& date) const;
  int component(CalendarUnit unit, const Date& date) const;
  // Unset fields take their lowest value (January, the 1st, midnight); out-of-range fields roll
  // over (month 13 is January of the next year). nullopt without a year or for absurd values.
  std::optional<Date> dateFromComponents(const DateComponents& components) const;
  // Adds every given field, largest unit first; the day of month is pinned to the month's last
  // day where it would overflow (Jan 31 + 1 month = Feb 28/29). nullopt for absurd values.
  std::optional<Date> dateByAddingComponents(const DateComponents& components,
                                             const Date& date) const;
  std::optional<Date> dateByAddingUnit(CalendarUnit unit, long value, const Date& date) const;

  // Midnight of the date's day (or the day's first instant where midnight is skipped).
  Date startOfDayForDate(const Date& date) const;
  bool isDateInSameDayAsDate(const Date& a, const Date& b) const;
  bool isDateInToday(const Date& date) const;  // against Date::now()

 private:
  void reopen();
  bool setDate(const Date& date) const;

  TimeZone zone_;
  void* calendar_ = nullptr;  // an owned UCalendar*, kept out of this header
};

}  // namespace platform
