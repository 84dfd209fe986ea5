#include "platform/foundation/Locale.h"

#include <cctype>
#include <cstdlib>
#include <mutex>

namespace platform {
namespace {

std::mutex& overrideMutex() {
  static std::mutex mutex;
  return mutex;
}

std::optional<std::vector<std::string>>& overrideLanguages() {
  static std::optional<std::vector<std::string>> languages;
  return languages;
}

std::string env(const char* name) {
  // getenv only races with setenv, which the app never calls while it runs.
  const char* value = std::getenv(name);  // NOLINT(concurrency-mt-unsafe)
  return value != nullptr ? value : "";
}

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : text) {
    if (c == separator) {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  return parts;
}

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool isAlpha(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s) {
    if (!std::isalpha(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

bool isAlnum(const std::string& s) {
  for (char c : s) {
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  }
  return !s.empty();
}

// Chinese regions decide the script when a tag gives none.
std::string chineseScriptFor(const std::string& region) {
  const std::string r = lower(region);
  if (r == "tw" || r == "hk" || r == "mo") return "Hant";
  return "Hans";
}

}  // namespace

std::string Locale::languageTagFromLocaleName(const std::string& name) {
  std::string base = name.substr(0, name.find_first_of(".@"));
  for (char& c : base) {
    if (c == '_') c = '-';
  }
  if (base.empty() || base == "C" || base == "POSIX") return "";
  std::vector<std::string> parts = split(base, '-');
  if (!isAlpha(parts[0]) || parts[0].size() < 2 || parts[0].size() > 3) return "";
  std::string language = lower(parts[0]);
  std::string script, region;
  for (std::size_t i = 1; i < parts.size(); ++i) {
    const std::string& p = parts[i];
    if (!isAlnum(p)) return "";
    if (p.size() == 4 && isAlpha(p) && script.empty() && region.empty()) {
      script = std::string(1, static_cast<char>(std::toupper(p[0]))) + lower(p.substr(1));
    } else if ((p.size() == 2 || p.size() == 3) && region.empty()) {
      region = p;
      for (char& c : region) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    } else {
      return "";
    }
  }
  if (language == "zh" && script.empty()) script = chineseScriptFor(region);
  std::string tag = language;
  if (!script.empty()) tag += "-" + script;
  if (!region.empty()) tag += "-" + region;
  return tag;
}

std::vector<std::string> Locale::preferredLanguages() {
  {
    std::lock_guard lock(overrideMutex());
    if (overrideLanguages()) return *overrideLanguages();
  }
  std::vector<std::string> names;
  const std::string language = env("LANGUAGE");
  // LANGUAGE only counts beside a real locale, as gettext reads it.
  const std::string locale = !env("LC_ALL").empty() ? env("LC_ALL") : env("LANG");
  if (!language.empty() && !languageTagFromLocaleName(locale).empty()) {
    names = split(language, ':');
  }
  if (names.empty()) names.push_back(locale);
  std::vector<std::string> tags;
  for (const std::string& name : names) {
    const std::string tag = languageTagFromLocaleName(name);
    if (tag.empty()) continue;
    bool seen = false;
    for (const auto& t : tags) seen = seen || t == tag;
    if (!seen) tags.push_back(tag);
  }
  return tags;
}

void Locale::setPreferredLanguagesForTesting(std::optional<std::vector<std::string>> languages) {
  std::lock_guard lock(overrideMutex());
  overrideLanguages() = std::move(languages);
}

std::vector<std::string> Locale::fallbackChain(const std::string& tag) {
  std::string normal = languageTagFromLocaleName(tag);
  if (normal.empty()) return {};
  std::vector<std::string> chain;
  while (true) {
    chain.push_back(normal);
    const auto cut = normal.rfind('-');
    if (cut == std::string::npos) break;
    normal.erase(cut);
  }
  return chain;
}

std::string Locale::currentLocaleIdentifier() {
  for (const char* name : {"LC_ALL", "LC_TIME", "LANG"}) {
    const std::string value = env(name);
    if (value.empty()) continue;
    const std::string tag = languageTagFromLocaleName(value);
    if (tag.empty()) break;  // "C": the portable locale
    std::string id = value.substr(0, value.find_first_of(".@"));
    return id;
  }
  return "en_US_POSIX";
}

}  // namespace platform
