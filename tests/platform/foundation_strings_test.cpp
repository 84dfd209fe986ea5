// The .strings reader and the language list read from the environment.
#include <gtest/gtest.h>

#include <string>

#include "foundation_bundle_support.h"
#include "platform/foundation/Locale.h"
#include "platform/foundation/StringsTable.h"

namespace platform {
namespace {

using bundle_test::ScopedEnv;

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

}  // namespace
}  // namespace platform
