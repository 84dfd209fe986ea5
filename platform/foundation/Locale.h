#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// The user's languages and locale, read from the environment the way a desktop session sets it.
class Locale {
 public:
  // Language tags in order of preference ("en-GB", "zh-Hans-CN", "fr"): from LANGUAGE (a
  // colon-separated list), else LC_ALL, else LANG; "C" and "POSIX" name no language. Empty when
  // nothing names one. Chinese gets its script: zh_CN and zh_SG → zh-Hans-…, zh_TW, zh_HK and
  // zh_MO → zh-Hant-….
  static std::vector<std::string> preferredLanguages();
  // Replaces the environment's answer until called again with nullopt (tests).
  static void setPreferredLanguagesForTesting(std::optional<std::vector<std::string>> languages);

  // One POSIX locale name ("zh_CN.UTF-8@euro") or language tag as a language tag; "" for "C",
  // "POSIX" and names that are not locales.
  static std::string languageTagFromLocaleName(const std::string& name);
  // Ever-shorter forms of a tag that still name a language: "zh-Hans-CN" → "zh-Hans-CN",
  // "zh-Hans", "zh". A Chinese tag without a script gets its script first ("zh-HK" → "zh-Hant-HK").
  static std::vector<std::string> fallbackChain(const std::string& tag);

  // The ICU locale of the session for formatting: LC_ALL, else LC_TIME, else LANG ("zh_CN"),
  // "en_US_POSIX" when none names one.
  static std::string currentLocaleIdentifier();
};

}  // namespace platform
