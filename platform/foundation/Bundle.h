#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// A folder of resources: files, sub-bundles ("X.bundle"), and "xx.lproj" folders holding the
// translations (".strings" tables) and localized files. The main bundle is the program's
// resources folder. Bundles are shared per path; they are thread-safe and cache what they read.
class Bundle {
 public:
  // The resources folder: $SPROUT_RESOURCES when set, else "../share/sprout/resources" beside the
  // executable when installed, else the source tree's resources/. Read on each call, so a test
  // may point it elsewhere.
  static std::shared_ptr<Bundle> main();
  static std::string mainResourcesPath();
  // nullptr unless `path` is a folder.
  static std::shared_ptr<Bundle> bundleWithPath(const std::string& path);

  const std::string& bundlePath() const { return path_; }

  // "<name>.<type>" (just `name` when type is empty) in the folder, else in the preferred
  // localization's folder; nullopt when neither has it.
  std::optional<std::string> pathForResource(const std::string& name, const std::string& type,
                                             const std::string& subdirectory = "") const;
  // The sub-bundle "<name>.bundle"; nullptr when missing.
  std::shared_ptr<Bundle> bundleNamed(const std::string& name) const;

  // The names of the "xx.lproj" folders, sorted ("en", "zh-Hans" ...), as first read.
  std::vector<std::string> localizations() const;
  // The localization used for this process's preferred languages: the first language (and then
  // its shorter forms, "zh-Hans-CN" → "zh-Hans" → "zh") that the bundle has, else the development
  // localization "en", else "Base", else the first there is. Empty for a bundle with none.
  std::string preferredLocalization() const;
  static constexpr char kDevelopmentLocalization[] = "en";

  // The text for `key` in table `table` ("" means "Localizable"): from the preferred
  // localization's "<table>.strings", else from "<table>.strings" at the top of the bundle;
  // where neither has the key, `value`, or the key itself when `value` is empty.
  std::string localizedString(const std::string& key, const std::string& value = "",
                              const std::string& table = "") const;
  // The table of one localization ("" = the top of the bundle); empty when missing or unreadable
  // (an unreadable table is logged once).
  std::map<std::string, std::string> stringsTable(const std::string& table,
                                                  const std::string& localization) const;

  explicit Bundle(std::string path);

 private:
  std::shared_ptr<const std::map<std::string, std::string>> loadTable(
      const std::string& file) const;

  std::string path_;
  mutable std::mutex mutex_;
  mutable std::map<std::string, std::shared_ptr<const std::map<std::string, std::string>>> tables_;
  mutable std::optional<std::vector<std::string>> localizations_;
};

}  // namespace platform
