#pragma once

#include <optional>
#include <string>

#include "platform/foundation/Date.h"
#include "platform/foundation/TimeZone.h"

namespace platform {

// Dates to text and back with an ICU pattern ("yyyy-MM-dd HH:mm", "yyyy年M月d日 EEEE"), in a
// locale ("zh_CN", "en_US"; the session's by default, see Locale::currentLocaleIdentifier) and a
// time zone (the default zone by default), in the Gregorian calendar. One thread at a time.
class DateFormatter {
 public:
  DateFormatter();
  DateFormatter(const DateFormatter&) = delete;
  DateFormatter& operator=(const DateFormatter&) = delete;
  ~DateFormatter();

  const std::string& dateFormat() const { return pattern_; }
  void setDateFormat(std::string pattern);
  const std::string& localeIdentifier() const { return locale_; }
  void setLocaleIdentifier(std::string locale);
  const TimeZone& timeZone() const { return zone_; }
  void setTimeZone(TimeZone zone);

  // "" when the pattern is unusable.
  std::string stringFromDate(const Date& date) const;
  // The whole text must match the pattern; nullopt otherwise.
  std::optional<Date> dateFromString(const std::string& text) const;

 private:
  void* formatter() const;  // the UDateFormat*

  std::string pattern_;
  std::string locale_;
  TimeZone zone_;
  mutable void* formatter_ = nullptr;  // an owned UDateFormat*, made when first needed
};

}  // namespace platform
