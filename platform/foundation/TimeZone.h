#pragma once

#include <optional>
#include <string>

#include "platform/foundation/Date.h"

namespace platform {

// A time zone by its IANA name ("Asia/Shanghai") or a fixed offset ("GMT+08:00"), as ICU knows
// it. The default zone is the system's (TZ or /etc/localtime) until set.
class TimeZone {
 public:
  // nullopt for a name ICU does not know.
  static std::optional<TimeZone> named(const std::string& identifier);
  static TimeZone utc();
  static TimeZone forSecondsFromGMT(int seconds);
  static TimeZone defaultTimeZone();
  // nullopt returns to the system's zone.
  static void setDefaultTimeZone(std::optional<TimeZone> zone);

  const std::string& identifier() const { return identifier_; }
  int secondsFromGMT(const Date& date) const;

  bool operator==(const TimeZone&) const = default;

 private:
  explicit TimeZone(std::string identifier) : identifier_(std::move(identifier)) {}
  std::string identifier_;
};

}  // namespace platform
