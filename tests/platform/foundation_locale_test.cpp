// The .strings reader, the language list read from the environment, dates, calendars in chosen
// time zones, and formatting.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "platform/dispatch/ScopedVirtualClock.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/Locale.h"
#include "platform/foundation/StringsTable.h"
#include "tests/platform/core_support.h"

namespace platform {
namespace {

using core_test::ScopedEnv;

std::map<std::string, std::string> parsed(std::string_view text) {
  auto result = StringsTable::parse(text);
  EXPECT_TRUE(result) << (!result ? result.error().localizedDescription() : "");
  return result ? result.value() : std::map<std::string, std::string>{};
}

TEST(StringsTable, ReadsPairsCommentsEscapesAndBareWords) {
  const auto table = parsed(
      "\xEF\xBB\xBF/* A file comment\n spanning lines */\n"
      "\"greeting\" = \"Hello, \\\"world\\\"\";  // trailing comment\n"
      "\"multi\"=\"one\\ntwo\\tthree\\\\\";\n"
      "\"chinese\" = \"\xE4\xB8\x8B\xE6\x8B\x89\xE5\x88\xB7\xE6\x96\xB0\";\n"
      "\"escaped\" = \"\\u4E0B\\U62C9 \\uD83D\\uDE00\";\n"
      "bare.key_1 = bare/value-2;\n"
      "\"self\";\n"
      "\"greeting\" = \"Hello again\";\n");
  ASSERT_EQ(table.size(), 6u);
  EXPECT_EQ(table.at("greeting"), "Hello again");  // the later pair wins
  EXPECT_EQ(table.at("multi"), "one\ntwo\tthree\\");
  EXPECT_EQ(table.at("chinese"), "下拉刷新");
  EXPECT_EQ(table.at("escaped"), "下拉 😀");
  EXPECT_EQ(table.at("bare.key_1"), "bare/value-2");
  EXPECT_EQ(table.at("self"), "self");
  EXPECT_TRUE(parsed("").empty());
  EXPECT_TRUE(parsed("  // only a comment").empty());
}

TEST(StringsTable, ReadsUTF16WithAByteOrderMark) {
  const std::u16string text = u"\"key\" = \"值\";";
  for (bool big : {false, true}) {
    std::string bytes = big ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
      const char hi = static_cast<char>(unit >> 8), lo = static_cast<char>(unit & 0xFF);
      bytes += big ? std::string{hi, lo} : std::string{lo, hi};
    }
    EXPECT_EQ(parsed(bytes).at("key"), "值") << big;
  }
}

TEST(StringsTable, BadInputIsAnErrorNamingTheLine) {
  struct Case {
    std::string text;
    long line;
  };
  const Case cases[] = {
      {"\"a\" = \"b\"\n\"c\" = \"d\";", 2},      // missing ';' noticed at the next key
      {"\"a\" = \"b\";\n\"c\" = \"open", 2},     // unterminated string
      {"\"a\" = \"b\";\n\n/* never closed", 3},  // unterminated comment
      {"\"a\" = \"\\q\";", 1},                   // unknown escape
      {"\"a\" = \"\\uD800\";", 1},               // lone surrogate
      {"\"a\" = \"\\u12\";", 1},                 // short \u escape
      {"\"a\" = ;", 1},
      {"= \"b\";", 1},
      {"\"a\" = \"b\" \"c\";", 1},
  };
  for (const Case& c : cases) {
    auto result = StringsTable::parse(c.text);
    ASSERT_FALSE(result) << c.text;
    EXPECT_EQ(result.error().domain, kStringsErrorDomain);
    EXPECT_EQ(result.error().code, c.line) << c.text;
    EXPECT_FALSE(result.error().localizedDescription().empty());
  }
  EXPECT_FALSE(StringsTable::parse("\"a\" = \"\xC3\x28\";"));      // invalid UTF-8
  EXPECT_FALSE(StringsTable::parse("\"a\" = \"\xE0\x80\xAF\";"));  // overlong
  EXPECT_FALSE(StringsTable::parse("\xFF\xFE\x41"));               // odd UTF-16 length
}

TEST(LocaleLanguages, LocaleNamesBecomeTagsWithTheChineseScript) {
  const std::pair<const char*, const char*> cases[] = {
      {"zh_CN.UTF-8", "zh-Hans-CN"},
      {"zh_SG", "zh-Hans-SG"},
      {"zh_TW.UTF-8", "zh-Hant-TW"},
      {"zh_HK", "zh-Hant-HK"},
      {"zh_MO", "zh-Hant-MO"},
      {"zh", "zh-Hans"},
      {"zh-Hant-TW", "zh-Hant-TW"},
      {"zh-hans", "zh-Hans"},
      {"en_GB.UTF-8", "en-GB"},
      {"fr_FR@euro", "fr-FR"},
      {"de", "de"},
      {"C", ""},
      {"POSIX", ""},
      {"C.UTF-8", ""},
      {"", ""},
      {"1x_YY", ""},
      {"en_GB_extra_bits", ""},
  };
  for (const auto& [name, tag] : cases) {
    EXPECT_EQ(Locale::languageTagFromLocaleName(name), tag) << name;
  }
  EXPECT_EQ(Locale::fallbackChain("zh-HK"),
            (std::vector<std::string>{"zh-Hant-HK", "zh-Hant", "zh"}));
  EXPECT_EQ(Locale::fallbackChain("en-GB"), (std::vector<std::string>{"en-GB", "en"}));
  EXPECT_TRUE(Locale::fallbackChain("C").empty());
}

TEST(LocaleLanguages, PreferredLanguagesComeFromTheEnvironmentOrTheOverride) {
  ScopedEnv language("LANGUAGE", std::nullopt);
  ScopedEnv all("LC_ALL", std::nullopt);
  ScopedEnv lang("LANG", "zh_TW.UTF-8");
  EXPECT_EQ(Locale::preferredLanguages(), std::vector<std::string>{"zh-Hant-TW"});
  {
    ScopedEnv allSet("LC_ALL", "en_GB.UTF-8");  // LC_ALL wins over LANG
    EXPECT_EQ(Locale::preferredLanguages(), std::vector<std::string>{"en-GB"});
    ScopedEnv list("LANGUAGE", "zh_CN:fr:C:zh_CN");  // a list, without repeats or "C"
    EXPECT_EQ(Locale::preferredLanguages(), (std::vector<std::string>{"zh-Hans-CN", "fr"}));
  }
  {
    ScopedEnv c("LANG", "C");  // gettext ignores LANGUAGE under the C locale
    ScopedEnv list("LANGUAGE", "fr");
    EXPECT_TRUE(Locale::preferredLanguages().empty());
    EXPECT_EQ(Locale::currentLocaleIdentifier(), "en_US_POSIX");
  }
  EXPECT_EQ(Locale::currentLocaleIdentifier(), "zh_TW");
  Locale::setPreferredLanguagesForTesting(std::vector<std::string>{"fr-FR"});
  EXPECT_EQ(Locale::preferredLanguages(), std::vector<std::string>{"fr-FR"});
  Locale::setPreferredLanguagesForTesting(std::nullopt);
  EXPECT_EQ(Locale::preferredLanguages(), std::vector<std::string>{"zh-Hant-TW"});
}

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

}  // namespace
}  // namespace platform
