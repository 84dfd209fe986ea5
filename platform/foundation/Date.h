#pragma once

#include <compare>

#include "platform/foundation/Types.h"

namespace platform {

// A point in time: seconds since the reference date, 2001-01-01 00:00:00 UTC.
class Date {
 public:
  static constexpr TimeInterval kTimeIntervalSince1970 = 978307200.0;  // 1970 → reference date

  constexpr Date() = default;
  // The clock's time (Clock::current(), so virtual in tests).
  static Date now();
  static constexpr Date fromTimeIntervalSinceReferenceDate(TimeInterval t) { return Date(t); }
  static constexpr Date fromTimeIntervalSince1970(TimeInterval t) {
    return Date(t - kTimeIntervalSince1970);
  }

  constexpr TimeInterval timeIntervalSinceReferenceDate() const { return seconds_; }
  constexpr TimeInterval timeIntervalSince1970() const { return seconds_ + kTimeIntervalSince1970; }
  constexpr TimeInterval timeIntervalSince(const Date& other) const {
    return seconds_ - other.seconds_;
  }
  TimeInterval timeIntervalSinceNow() const { return seconds_ - now().seconds_; }
  constexpr Date addingTimeInterval(TimeInterval dt) const { return Date(seconds_ + dt); }

  constexpr auto operator<=>(const Date&) const = default;

 private:
  constexpr explicit Date(TimeInterval seconds) : seconds_(seconds) {}
  TimeInterval seconds_ = 0;
};

}  // namespace platform
