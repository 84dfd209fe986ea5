#include "platform/foundation/Calendar.h"

#include <cmath>
#include <initializer_list>
#include <utility>

#include "platform/foundation/IcuSupport.h"

namespace platform {
namespace {

struct Field {
  CalendarUnit unit;
  UCalendarDateFields field;
  std::optional<int> DateComponents::*member;
};

constexpr Field kFields[] = {
    {CalendarUnitEra, UCAL_ERA, &DateComponents::era},
    {CalendarUnitYear, UCAL_YEAR, &DateComponents::year},
    {CalendarUnitMonth, UCAL_MONTH, &DateComponents::month},
    {CalendarUnitDay, UCAL_DATE, &DateComponents::day},
    {CalendarUnitHour, UCAL_HOUR_OF_DAY, &DateComponents::hour},
    {CalendarUnitMinute, UCAL_MINUTE, &DateComponents::minute},
    {CalendarUnitSecond, UCAL_SECOND, &DateComponents::second},
    {CalendarUnitWeekday, UCAL_DAY_OF_WEEK, &DateComponents::weekday},
    {CalendarUnitWeekOfYear, UCAL_WEEK_OF_YEAR, &DateComponents::weekOfYear},
};

// ICU counts months from 0; everything else matches.
int fromICU(UCalendarDateFields field, int32_t value) {
  return field == UCAL_MONTH ? value + 1 : value;
}

// Values past what any calendar arithmetic means are refused rather than overflowing ICU.
bool sane(long value) { return value > -1'000'000'000L && value < 1'000'000'000L; }

UCalendar* handle(void* calendar) { return static_cast<UCalendar*>(calendar); }

}  // namespace

Calendar::Calendar() : Calendar(TimeZone::defaultTimeZone()) {}

Calendar::Calendar(TimeZone zone) : zone_(std::move(zone)) { reopen(); }

Calendar::Calendar(const Calendar& other) : zone_(other.zone_) { reopen(); }

Calendar& Calendar::operator=(const Calendar& other) {
  if (this != &other) {
    zone_ = other.zone_;
    reopen();
  }
  return *this;
}

Calendar::~Calendar() {
  if (calendar_ != nullptr) ucal_close(handle(calendar_));
}

void Calendar::reopen() {
  if (calendar_ != nullptr) ucal_close(handle(calendar_));
  calendar_ = icu_support::openCalendar(zone_, "en_US_POSIX").release();
  if (calendar_ == nullptr) {
    zone_ = TimeZone::utc();
    calendar_ = icu_support::openCalendar(zone_, "en_US_POSIX").release();
  }
}

void Calendar::setTimeZone(TimeZone zone) {
  zone_ = std::move(zone);
  reopen();
}

bool Calendar::setDate(const Date& date) const {
  if (calendar_ == nullptr) return false;
  UErrorCode status = U_ZERO_ERROR;
  ucal_setMillis(handle(calendar_), icu_support::toUDate(date), &status);
  return U_SUCCESS(status);
}

DateComponents Calendar::components(unsigned units, const Date& date) const {
  DateComponents out;
  if (!setDate(date)) return out;
  for (const Field& f : kFields) {
    if ((units & f.unit) == 0) continue;
    UErrorCode status = U_ZERO_ERROR;
    const int32_t value = ucal_get(handle(calendar_), f.field, &status);
    if (U_SUCCESS(status)) out.*f.member = fromICU(f.field, value);
  }
  if ((units & CalendarUnitNanosecond) != 0) {
    const double seconds = date.timeIntervalSinceReferenceDate();
    const double fraction = seconds - std::floor(seconds);
    out.nanosecond = std::lround(fraction * 1e9) % 1'000'000'000L;
  }
  return out;
}

int Calendar::component(CalendarUnit unit, const Date& date) const {
  const DateComponents c = components(unit, date);
  if (unit == CalendarUnitNanosecond) return static_cast<int>(c.nanosecond.value_or(0));
  for (const Field& f : kFields) {
    if (f.unit == unit) return (c.*f.member).value_or(0);
  }
  return 0;
}

std::optional<Date> Calendar::dateFromComponents(const DateComponents& c) const {
  if (calendar_ == nullptr || !c.year) return std::nullopt;
  ucal_clear(handle(calendar_));
  ucal_setAttribute(handle(calendar_), UCAL_LENIENT, 1);
  for (const Field& f : kFields) {
    if (f.unit == CalendarUnitWeekday || f.unit == CalendarUnitWeekOfYear) continue;
    const auto value = c.*f.member;
    if (!value) continue;
    if (!sane(*value)) return std::nullopt;
    ucal_set(handle(calendar_), f.field, f.field == UCAL_MONTH ? *value - 1 : *value);
  }
  UErrorCode status = U_ZERO_ERROR;
  const UDate ms = ucal_getMillis(handle(calendar_), &status);
  if (U_FAILURE(status)) return std::nullopt;
  Date date = icu_support::fromUDate(ms);
  if (c.nanosecond) date = date.addingTimeInterval(static_cast<double>(*c.nanosecond) / 1e9);
  return date;
}

std::optional<Date> Calendar::dateByAddingComponents(const DateComponents& c,
                                                     const Date& date) const {
  if (!setDate(date)) return std::nullopt;
  // Whole milliseconds go through ICU; the rest of the second is carried over untouched.
  const double ms = icu_support::toUDate(date);
  const double carry = (ms - std::floor(ms)) / 1000.0;
  for (const Field& f : kFields) {
    const auto value = c.*f.member;
    if (!value || *value == 0 || f.unit == CalendarUnitWeekday) continue;
    if (!sane(*value)) return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    ucal_add(handle(calendar_), f.field, *value, &status);
    if (U_FAILURE(status)) return std::nullopt;
  }
  UErrorCode status = U_ZERO_ERROR;
  Date out = icu_support::fromUDate(ucal_getMillis(handle(calendar_), &status));
  if (U_FAILURE(status)) return std::nullopt;
  out = out.addingTimeInterval(carry);
  if (c.nanosecond) out = out.addingTimeInterval(static_cast<double>(*c.nanosecond) / 1e9);
  return out;
}

std::optional<Date> Calendar::dateByAddingUnit(CalendarUnit unit, long value,
                                               const Date& date) const {
  DateComponents c;
  if (unit == CalendarUnitNanosecond) {
    c.nanosecond = value;
    return dateByAddingComponents(c, date);
  }
  if (!sane(value)) return std::nullopt;
  for (const Field& f : kFields) {
    if (f.unit == unit) c.*f.member = static_cast<int>(value);
  }
  if (unit == CalendarUnitWeekday) c.day = static_cast<int>(value);  // a weekday step is a day
  return dateByAddingComponents(c, date);
}

Date Calendar::startOfDayForDate(const Date& date) const {
  if (!setDate(date)) return date;
  for (UCalendarDateFields f : {UCAL_HOUR_OF_DAY, UCAL_MINUTE, UCAL_SECOND, UCAL_MILLISECOND}) {
    ucal_set(handle(calendar_), f, 0);
  }
  UErrorCode status = U_ZERO_ERROR;
  const UDate ms = ucal_getMillis(handle(calendar_), &status);
  return U_SUCCESS(status) ? icu_support::fromUDate(ms) : date;
}

bool Calendar::isDateInSameDayAsDate(const Date& a, const Date& b) const {
  const unsigned day = CalendarUnitEra | CalendarUnitYear | CalendarUnitMonth | CalendarUnitDay;
  return components(day, a) == components(day, b);
}

bool Calendar::isDateInToday(const Date& date) const {
  return isDateInSameDayAsDate(date, Date::now());
}

}  // namespace platform
