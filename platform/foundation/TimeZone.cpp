#include "platform/foundation/TimeZone.h"

#include <unicode/ucal.h>
#include <unicode/ustring.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/foundation/IcuSupport.h"

namespace platform {
namespace {

std::mutex& defaultMutex() {
  static std::mutex mutex;
  return mutex;
}

std::optional<TimeZone>& defaultOverride() {
  static std::optional<TimeZone> zone;
  return zone;
}

}  // namespace

std::optional<TimeZone> TimeZone::named(const std::string& identifier) {
  if (identifier.empty() || identifier.size() > 64) return std::nullopt;
  const std::u16string id = icu_support::toUTF16(identifier);
  UErrorCode status = U_ZERO_ERROR;
  UChar canonical[128];
  UBool isSystem = false;
  ucal_getCanonicalTimeZoneID(id.data(), static_cast<int32_t>(id.size()), canonical, 128, &isSystem,
                              &status);
  if (U_FAILURE(status)) return std::nullopt;
  return TimeZone(identifier);
}

TimeZone TimeZone::utc() { return TimeZone("UTC"); }

TimeZone TimeZone::forSecondsFromGMT(int seconds) {
  const char sign = seconds < 0 ? '-' : '+';
  const int magnitude = std::abs(seconds) / 60;
  char text[32];
  std::snprintf(text, sizeof text, "GMT%c%02d:%02d", sign, magnitude / 60 % 100, magnitude % 60);
  return TimeZone(text);
}

TimeZone TimeZone::defaultTimeZone() {
  {
    std::lock_guard lock(defaultMutex());
    if (defaultOverride()) return *defaultOverride();
  }
  UErrorCode status = U_ZERO_ERROR;
  UChar id[128];
  const int32_t length = ucal_getHostTimeZone(id, 128, &status);
  if (U_FAILURE(status) || length <= 0) return utc();
  return TimeZone(icu_support::toUTF8(std::u16string_view(id, static_cast<std::size_t>(length))));
}

void TimeZone::setDefaultTimeZone(std::optional<TimeZone> zone) {
  std::lock_guard lock(defaultMutex());
  defaultOverride() = std::move(zone);
}

int TimeZone::secondsFromGMT(const Date& date) const {
  icu_support::CalendarHandle calendar = icu_support::openCalendar(*this, "en_US_POSIX");
  if (!calendar) return 0;
  UErrorCode status = U_ZERO_ERROR;
  ucal_setMillis(calendar.get(), icu_support::toUDate(date), &status);
  const int32_t zone = ucal_get(calendar.get(), UCAL_ZONE_OFFSET, &status);
  const int32_t dst = ucal_get(calendar.get(), UCAL_DST_OFFSET, &status);
  return U_FAILURE(status) ? 0 : (zone + dst) / 1000;
}

}  // namespace platform
