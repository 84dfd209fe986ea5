#pragma once

#include <unicode/ucal.h>
#include <unicode/utypes.h>

#include <memory>
#include <string>
#include <string_view>

#include "platform/foundation/Date.h"

namespace platform {

class TimeZone;

// What the date classes share on top of ICU's C interface. Internal to platform/foundation.
namespace icu_support {

std::u16string toUTF16(std::string_view utf8);  // invalid bytes become U+FFFD
std::string toUTF8(std::u16string_view utf16);

// ICU counts milliseconds since 1970.
inline UDate toUDate(const Date& date) { return date.timeIntervalSince1970() * 1000.0; }
inline Date fromUDate(UDate ms) { return Date::fromTimeIntervalSince1970(ms / 1000.0); }

struct CalendarCloser {
  void operator()(UCalendar* calendar) const { ucal_close(calendar); }
};
using CalendarHandle = std::unique_ptr<UCalendar, CalendarCloser>;

// A Gregorian calendar in the zone; nullptr when ICU refuses.
CalendarHandle openCalendar(const TimeZone& zone, const std::string& locale);

}  // namespace icu_support
}  // namespace platform
