#include "platform/foundation/IcuSupport.h"

#include <unicode/ustring.h>

#include "platform/foundation/TimeZone.h"

namespace platform::icu_support {

std::u16string toUTF16(std::string_view utf8) {
  std::u16string out(utf8.size() + 1, u'\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, utf8.data(),
                       static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &status);
  if (U_FAILURE(status)) return {};
  out.resize(static_cast<std::size_t>(length));
  return out;
}

std::string toUTF8(std::u16string_view utf16) {
  std::string out(utf16.size() * 3 + 1, '\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, utf16.data(),
                     static_cast<int32_t>(utf16.size()), 0xFFFD, nullptr, &status);
  if (U_FAILURE(status)) return {};
  out.resize(static_cast<std::size_t>(length));
  return out;
}

CalendarHandle openCalendar(const TimeZone& zone, const std::string& locale) {
  const std::u16string id = toUTF16(zone.identifier());
  UErrorCode status = U_ZERO_ERROR;
  CalendarHandle calendar(ucal_open(id.data(), static_cast<int32_t>(id.size()), locale.c_str(),
                                    UCAL_GREGORIAN, &status));
  if (U_FAILURE(status)) return nullptr;
  // A wall time that a clock change skips means the first instant after the change.
  ucal_setAttribute(calendar.get(), UCAL_SKIPPED_WALL_TIME, UCAL_WALLTIME_NEXT_VALID);
  return calendar;
}

}  // namespace platform::icu_support
