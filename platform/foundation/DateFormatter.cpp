#include "platform/foundation/DateFormatter.h"

#include <unicode/ucal.h>
#include <unicode/udat.h>

#include <vector>

#include "platform/foundation/IcuSupport.h"
#include "platform/foundation/Locale.h"

namespace platform {
namespace {

UDateFormat* handle(void* formatter) { return static_cast<UDateFormat*>(formatter); }

}  // namespace

DateFormatter::DateFormatter()
    : locale_(Locale::currentLocaleIdentifier()), zone_(TimeZone::defaultTimeZone()) {}

DateFormatter::~DateFormatter() {
  if (formatter_ != nullptr) udat_close(handle(formatter_));
}

void DateFormatter::setDateFormat(std::string pattern) {
  pattern_ = std::move(pattern);
  if (formatter_ != nullptr) udat_close(handle(formatter_)), formatter_ = nullptr;
}

void DateFormatter::setLocaleIdentifier(std::string locale) {
  locale_ = std::move(locale);
  if (formatter_ != nullptr) udat_close(handle(formatter_)), formatter_ = nullptr;
}

void DateFormatter::setTimeZone(TimeZone zone) {
  zone_ = std::move(zone);
  if (formatter_ != nullptr) udat_close(handle(formatter_)), formatter_ = nullptr;
}

void* DateFormatter::formatter() const {
  if (formatter_ != nullptr) return formatter_;
  const std::u16string pattern = icu_support::toUTF16(pattern_);
  const std::u16string zone = icu_support::toUTF16(zone_.identifier());
  UErrorCode status = U_ZERO_ERROR;
  UDateFormat* made = udat_open(UDAT_PATTERN, UDAT_PATTERN, locale_.c_str(), zone.data(),
                                static_cast<int32_t>(zone.size()), pattern.data(),
                                static_cast<int32_t>(pattern.size()), &status);
  if (U_FAILURE(status)) return nullptr;
  // The Gregorian calendar whatever calendar the locale prefers.
  auto calendar = icu_support::openCalendar(zone_, locale_);
  if (calendar) udat_setCalendar(made, calendar.get());
  udat_setLenient(made, false);
  formatter_ = made;
  return formatter_;
}

std::string DateFormatter::stringFromDate(const Date& date) const {
  UDateFormat* f = handle(formatter());
  if (f == nullptr || pattern_.empty()) return {};
  std::vector<UChar> buffer(64);
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = udat_format(f, icu_support::toUDate(date), buffer.data(),
                               static_cast<int32_t>(buffer.size()), nullptr, &status);
  if (status == U_BUFFER_OVERFLOW_ERROR) {
    buffer.resize(static_cast<std::size_t>(length) + 1);
    status = U_ZERO_ERROR;
    length = udat_format(f, icu_support::toUDate(date), buffer.data(),
                         static_cast<int32_t>(buffer.size()), nullptr, &status);
  }
  if (U_FAILURE(status)) return {};
  return icu_support::toUTF8(std::u16string_view(buffer.data(), static_cast<std::size_t>(length)));
}

std::optional<Date> DateFormatter::dateFromString(const std::string& text) const {
  UDateFormat* f = handle(formatter());
  if (f == nullptr || pattern_.empty()) return std::nullopt;
  const std::u16string input = icu_support::toUTF16(text);
  int32_t position = 0;
  UErrorCode status = U_ZERO_ERROR;
  const UDate ms =
      udat_parse(f, input.data(), static_cast<int32_t>(input.size()), &position, &status);
  if (U_FAILURE(status) || position != static_cast<int32_t>(input.size())) return std::nullopt;
  return icu_support::fromUDate(ms);
}

}  // namespace platform
