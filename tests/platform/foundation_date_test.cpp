// Dates, the Gregorian calendar in chosen time zones, formatting, and dates in the defaults.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include <nlohmann/json.hpp>

#include "foundation_bundle_support.h"
#include "platform/dispatch/ScopedVirtualClock.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/UserDefaults.h"

namespace platform {
namespace {

const TimeZone kShanghai = *TimeZone::named("Asia/Shanghai");
const TimeZone kNewYork = *TimeZone::named("America/New_York");
// 2026-12-07 10:30:15.25 in Shanghai, a Monday.
const Date kMonday = Date::fromTimeIntervalSince1970(1796610615.25);

TEST(DateAndZones, ReferenceDateClockAndOffsets) {
  EXPECT_EQ(Date::fromTimeIntervalSince1970(978307200).timeIntervalSinceReferenceDate(), 0);
  EXPECT_EQ(kMonday.addingTimeInterval(-0.25).timeIntervalSince(kMonday), -0.25);
  EXPECT_LT(kMonday, kMonday.addingTimeInterval(1e-6));
  ScopedVirtualClock clock;
  EXPECT_EQ(Date::now().timeIntervalSince1970(), clock.now());
  clock.clock().advance(90);
  EXPECT_EQ(Date::now().timeIntervalSince1970(), clock.now());
  EXPECT_NEAR(Date::now().addingTimeInterval(5).timeIntervalSinceNow(), 5, 1e-6);

  EXPECT_EQ(kShanghai.secondsFromGMT(kMonday), 8 * 3600);
  EXPECT_EQ(kNewYork.secondsFromGMT(kMonday), -5 * 3600);
  EXPECT_EQ(kNewYork.secondsFromGMT(kMonday.addingTimeInterval(-180 * 86400.0)), -4 * 3600);
  EXPECT_EQ(TimeZone::forSecondsFromGMT(-16200).identifier(), "GMT-04:30");
  EXPECT_EQ(TimeZone::forSecondsFromGMT(-16200).secondsFromGMT(kMonday), -16200);
  EXPECT_FALSE(TimeZone::named("Mars/Olympus_Mons"));
  EXPECT_FALSE(TimeZone::named(""));
  TimeZone::setDefaultTimeZone(kNewYork);
  EXPECT_EQ(Calendar().timeZone(), kNewYork);
  TimeZone::setDefaultTimeZone(std::nullopt);
}

TEST(CalendarTest, ComponentsDependOnTheTimeZone) {
  Calendar calendar(kShanghai);
  const unsigned all = CalendarUnitYear | CalendarUnitMonth | CalendarUnitDay | CalendarUnitHour |
                       CalendarUnitMinute | CalendarUnitSecond | CalendarUnitWeekday |
                       CalendarUnitNanosecond;
  DateComponents c = calendar.components(all, kMonday);
  EXPECT_EQ(c.year, 2026);
  EXPECT_EQ(c.month, 12);
  EXPECT_EQ(c.day, 7);
  EXPECT_EQ(c.hour, 10);
  EXPECT_EQ(c.minute, 30);
  EXPECT_EQ(c.second, 15);
  EXPECT_EQ(c.weekday, 2);  // Sunday is 1
  EXPECT_EQ(c.nanosecond, 250'000'000);
  EXPECT_FALSE(calendar.components(CalendarUnitYear, kMonday).month);
  EXPECT_EQ(calendar.dateFromComponents(c)->timeIntervalSince1970(), 1796610615.25);

  calendar.setTimeZone(TimeZone::utc());
  EXPECT_EQ(calendar.component(CalendarUnitHour, kMonday), 2);
  const Calendar copy = calendar;  // copies keep their own zone
  calendar.setTimeZone(kNewYork);
  EXPECT_EQ(copy.component(CalendarUnitHour, kMonday), 2);
  EXPECT_EQ(calendar.component(CalendarUnitDay, kMonday), 6);

  DateComponents rolled;
  rolled.year = 2026, rolled.month = 13, rolled.day = 1;  // rolls into January
  EXPECT_EQ(Calendar(kShanghai).component(CalendarUnitYear,
                                          *Calendar(kShanghai).dateFromComponents(rolled)),
            2027);
  EXPECT_FALSE(calendar.dateFromComponents(DateComponents{}));  // no year
  DateComponents absurd;
  absurd.year = std::numeric_limits<int>::max();
  EXPECT_FALSE(calendar.dateFromComponents(absurd));
}

TEST(CalendarTest, AddingUnitsStartOfDayAndSameDay) {
  Calendar calendar(kNewYork);
  DateComponents jan31;
  jan31.year = 2028, jan31.month = 1, jan31.day = 31, jan31.hour = 9;
  const Date start = *calendar.dateFromComponents(jan31);
  const Date feb = *calendar.dateByAddingUnit(CalendarUnitMonth, 1, start);
  EXPECT_EQ(calendar.component(CalendarUnitDay, feb), 29);  // pinned to the leap month's end
  EXPECT_EQ(calendar.component(CalendarUnitHour, feb), 9);
  const Date back = *calendar.dateByAddingUnit(CalendarUnitYear, -1, feb);
  EXPECT_EQ(calendar.component(CalendarUnitDay, back), 28);

  // Across the spring change a calendar day is 23 hours long, and noon stays noon.
  const Date saturdayNoon = Date::fromTimeIntervalSince1970(1772902800);  // 2026-03-07 12:00
  const Date sundayNoon = *calendar.dateByAddingUnit(CalendarUnitDay, 1, saturdayNoon);
  EXPECT_EQ(sundayNoon.timeIntervalSince(saturdayNoon), 23 * 3600);
  EXPECT_EQ(calendar.component(CalendarUnitHour, sundayNoon), 12);
  const Date midnight = calendar.startOfDayForDate(sundayNoon);
  EXPECT_EQ(sundayNoon.timeIntervalSince(midnight), 11 * 3600);  // 02:00 never happened
  EXPECT_EQ(calendar.component(CalendarUnitHour, midnight), 0);
  DateComponents mixed;
  mixed.hour = 1, mixed.minute = 30, mixed.nanosecond = 500'000'000;
  const Date fractional = saturdayNoon.addingTimeInterval(0.125);
  EXPECT_NEAR(calendar.dateByAddingComponents(mixed, fractional)->timeIntervalSince(fractional),
              5400.5, 1e-6);

  // 23:30 and 00:30 UTC are one day in Shanghai and two in UTC.
  const Date late = Date::fromTimeIntervalSince1970(1796599800);  // 2026-12-06 23:30 UTC
  const Date early = late.addingTimeInterval(3600);
  EXPECT_TRUE(Calendar(kShanghai).isDateInSameDayAsDate(late, early));
  EXPECT_FALSE(Calendar(TimeZone::utc()).isDateInSameDayAsDate(late, early));

  ScopedVirtualClock clock(kMonday.timeIntervalSince1970());
  Calendar shanghai(kShanghai);
  EXPECT_TRUE(shanghai.isDateInToday(shanghai.startOfDayForDate(kMonday)));
  EXPECT_FALSE(shanghai.isDateInToday(shanghai.startOfDayForDate(kMonday).addingTimeInterval(-1)));
}

TEST(DateFormatterTest, PatternsLocalesAndParsing) {
  DateFormatter formatter;
  formatter.setTimeZone(kShanghai);
  formatter.setLocaleIdentifier("zh_CN");
  formatter.setDateFormat("yyyy年M月d日 EEEE HH:mm");
  EXPECT_EQ(formatter.stringFromDate(kMonday), "2026年12月7日 星期一 10:30");
  formatter.setDateFormat("aK:mm");
  EXPECT_EQ(formatter.stringFromDate(kMonday), "上午10:30");
  formatter.setLocaleIdentifier("en_US");
  formatter.setDateFormat("EEEE, MMM d, yyyy");
  EXPECT_EQ(formatter.stringFromDate(kMonday), "Monday, Dec 7, 2026");
  formatter.setDateFormat(" HH:mm");
  EXPECT_EQ(formatter.stringFromDate(kMonday), " 10:30");
  formatter.setTimeZone(kNewYork);
  EXPECT_EQ(formatter.stringFromDate(kMonday), " 21:30");

  formatter.setTimeZone(kShanghai);
  formatter.setDateFormat("yyyy-MM-dd HH:mm:ss");
  EXPECT_EQ(formatter.dateFromString("2026-12-07 10:30:15")->timeIntervalSince1970(), 1796610615);
  EXPECT_FALSE(formatter.dateFromString("2026-12-07"));
  EXPECT_FALSE(formatter.dateFromString("2026-12-07 10:30:15 and more"));
  EXPECT_FALSE(formatter.dateFromString("2026-13-45 99:99:99"));
  formatter.setDateFormat("");
  EXPECT_EQ(formatter.stringFromDate(kMonday), "");
  EXPECT_FALSE(formatter.dateFromString(""));
}

TEST(UserDefaultsDates, DatesReadBackExactlyInTheDocumentedForm) {
  bundle_test::ScratchFolder home;
  FileManager::setHomeDirectory(home.path());
  UserDefaults::resetStandardForTesting();
  UserDefaults& defaults = UserDefaults::standard();
  const double values[] = {0, -1e-9, 786'000'000.123456789, 1.0 / 3.0, -63'000'000'000.5, 1e300};
  for (double seconds : values) {
    defaults.setDate("last", Date::fromTimeIntervalSinceReferenceDate(seconds));
    UserDefaults::resetStandardForTesting();  // read back from the file
    const auto read = defaults.dateForKey("last");
    ASSERT_TRUE(read) << seconds;
    EXPECT_EQ(read->timeIntervalSinceReferenceDate(), seconds);
  }
  const auto bytes = FileManager::defaultManager().contentsAtPath(defaults.filePath());
  ASSERT_TRUE(bytes);
  EXPECT_EQ(nlohmann::json::parse(bytes->begin(), bytes->end())["last"],
            (nlohmann::json{{"$date", 1e300}}));

  defaults.setDate("last", Date::fromTimeIntervalSinceReferenceDate(std::nan("")));  // refused
  EXPECT_EQ(defaults.dateForKey("last")->timeIntervalSinceReferenceDate(), 1e300);
  defaults.setDouble("number", 5);
  defaults.setObject("lookalike", nlohmann::json{{"$date", "soon"}});
  EXPECT_FALSE(defaults.dateForKey("number"));
  EXPECT_FALSE(defaults.dateForKey("lookalike"));
  EXPECT_FALSE(defaults.dateForKey("missing"));
  defaults.setString("s", "text");
  defaults.setBool("b", true);
  defaults.setInteger("i", -4);
  UserDefaults::resetStandardForTesting();
  EXPECT_EQ(defaults.stringForKey("s"), "text");
  EXPECT_TRUE(defaults.boolForKey("b"));
  EXPECT_EQ(defaults.integerForKey("i"), -4);
  FileManager::setHomeDirectory("");
  UserDefaults::resetStandardForTesting();
}

}  // namespace
}  // namespace platform
