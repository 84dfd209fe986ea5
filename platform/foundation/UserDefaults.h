#pragma once

#include <mutex>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace platform {

// Key-value preferences kept in memory and written through to
// <home>/Library/Preferences/sprout.json (replaced atomically). An unreadable or corrupt file
// means starting empty, with a warning in the log.
class UserDefaults {
 public:
  static UserDefaults& standard();
  // Re-reads the standard defaults from the current home directory (tests change it).
  static void resetStandardForTesting();

  std::optional<nlohmann::json> objectForKey(const std::string& key) const;
  void setObject(const std::string& key, nlohmann::json value);
  void removeObject(const std::string& key);

  // Conversions as the keys are commonly used: numbers and booleans interchange, strings parse.
  std::string stringForKey(const std::string& key) const;  // "" when missing or not scalar
  long integerForKey(const std::string& key) const;        // 0 when missing or unparsable
  bool boolForKey(const std::string& key) const;           // false when missing
  double doubleForKey(const std::string& key) const;       // 0 when missing or unparsable

  // Writes pending changes; true when the file on disk matches memory.
  bool synchronize();

  std::string filePath() const;

 private:
  UserDefaults() = default;
  void reload();
  bool writeLocked();

  mutable std::mutex mutex_;
  nlohmann::json values_ = nlohmann::json::object();
  std::string path_;
  bool dirty_ = false;
};

}  // namespace platform
