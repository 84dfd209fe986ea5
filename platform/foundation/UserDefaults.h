#pragma once

#include <memory>
#include <optional>
#include <string>

#include <nlohmann/json_fwd.hpp>

#include "platform/foundation/Date.h"

namespace platform {

// Key-value preferences kept in memory and written through to
// <home>/Library/Preferences/sprout.json (replaced atomically). An unreadable or corrupt file
// means starting empty, with a warning in the log.
//
// A date is stored as the JSON object {"$date": <seconds since 2001-01-01 00:00:00 UTC>}, the
// number written with every digit it needs, so dateForKey gives back exactly the date stored.
// Callers of objectForKey and setObject include <nlohmann/json.hpp> themselves; the typed
// accessors need nothing more than this header.
class UserDefaults {
 public:
  static UserDefaults& standard();
  // Re-reads the standard defaults from the current home directory (tests change it).
  static void resetStandardForTesting();

  std::optional<nlohmann::json> objectForKey(const std::string& key) const;
  void setObject(const std::string& key, nlohmann::json value);
  void removeObject(const std::string& key);
  void setString(const std::string& key, const std::string& value);
  void setInteger(const std::string& key, long value);
  void setBool(const std::string& key, bool value);
  void setDouble(const std::string& key, double value);
  // A date that is not finite is not stored (the key keeps its value), with a warning.
  void setDate(const std::string& key, const Date& date);

  // Conversions as the keys are commonly used: numbers and booleans interchange, strings parse.
  std::string stringForKey(const std::string& key) const;        // "" when missing or not scalar
  long integerForKey(const std::string& key) const;              // 0 when missing or unparsable
  bool boolForKey(const std::string& key) const;                 // false when missing
  double doubleForKey(const std::string& key) const;             // 0 when missing or unparsable
  std::optional<Date> dateForKey(const std::string& key) const;  // nullopt unless a stored date

  // Writes pending changes; true when the file on disk matches memory.
  bool synchronize();

  std::string filePath() const;

 private:
  struct State;

  UserDefaults();
  ~UserDefaults();
  void reload();
  bool writeLocked();

  std::unique_ptr<State> state_;
};

}  // namespace platform
