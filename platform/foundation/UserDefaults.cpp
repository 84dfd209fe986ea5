#include "platform/foundation/UserDefaults.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <mutex>

#include <nlohmann/json.hpp>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Path.h"

namespace platform {
namespace {

constexpr char kTag[] = "UserDefaults";
constexpr char kDateKey[] = "$date";

std::string preferencesPath() {
  const std::string preferences =
      appendingPathComponent(FileManager::libraryDirectory(), "Preferences");
  return appendingPathComponent(preferences, "sprout.json");
}

std::optional<double> numberFrom(const nlohmann::json& value) {
  if (value.is_number()) return value.get<double>();
  if (value.is_boolean()) return value.get<bool>() ? 1.0 : 0.0;
  if (value.is_string()) {
    const std::string& text = value.get_ref<const std::string&>();
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (end != text.c_str()) return parsed;
  }
  return std::nullopt;
}

}  // namespace

struct UserDefaults::State {
  std::mutex mutex;
  nlohmann::json values = nlohmann::json::object();
  std::string path;
  bool dirty = false;
};

UserDefaults::UserDefaults() : state_(std::make_unique<State>()) {}
UserDefaults::~UserDefaults() = default;

UserDefaults& UserDefaults::standard() {
  static UserDefaults* defaults = [] {
    auto* created = new UserDefaults;  // leaked: read from any thread until the process ends
    created->reload();
    return created;
  }();
  return *defaults;
}

void UserDefaults::resetStandardForTesting() { standard().reload(); }

void UserDefaults::reload() {
  const std::string path = preferencesPath();
  nlohmann::json values = nlohmann::json::object();
  if (auto bytes = FileManager::defaultManager().contentsAtPath(path)) {
    auto parsed = nlohmann::json::parse(bytes->begin(), bytes->end(), nullptr, false);
    if (parsed.is_object()) {
      values = std::move(parsed);
    } else {
      log(LogLevel::Warning, kTag, "ignoring corrupt defaults file " + path);
    }
  }
  std::lock_guard lock(state_->mutex);
  state_->path = path;
  state_->values = std::move(values);
  state_->dirty = false;
}

std::optional<nlohmann::json> UserDefaults::objectForKey(const std::string& key) const {
  std::lock_guard lock(state_->mutex);
  auto it = state_->values.find(key);
  if (it == state_->values.end()) return std::nullopt;
  return *it;
}

void UserDefaults::setObject(const std::string& key, nlohmann::json value) {
  std::lock_guard lock(state_->mutex);
  state_->values[key] = std::move(value);
  state_->dirty = true;
  writeLocked();
}

void UserDefaults::removeObject(const std::string& key) {
  std::lock_guard lock(state_->mutex);
  if (state_->values.erase(key) == 0) return;
  state_->dirty = true;
  writeLocked();
}

void UserDefaults::setString(const std::string& key, const std::string& value) {
  setObject(key, value);
}
void UserDefaults::setInteger(const std::string& key, long value) { setObject(key, value); }
void UserDefaults::setBool(const std::string& key, bool value) { setObject(key, value); }
void UserDefaults::setDouble(const std::string& key, double value) { setObject(key, value); }

void UserDefaults::setDate(const std::string& key, const Date& date) {
  const double seconds = date.timeIntervalSinceReferenceDate();
  if (!std::isfinite(seconds)) {
    log(LogLevel::Warning, kTag, "not storing a date that is not finite under " + key);
    return;
  }
  setObject(key, nlohmann::json{{kDateKey, seconds}});
}

std::optional<Date> UserDefaults::dateForKey(const std::string& key) const {
  const auto value = objectForKey(key);
  if (!value || !value->is_object() || value->size() != 1) return std::nullopt;
  const auto it = value->find(kDateKey);
  if (it == value->end() || !it->is_number()) return std::nullopt;
  return Date::fromTimeIntervalSinceReferenceDate(it->get<double>());
}

std::string UserDefaults::stringForKey(const std::string& key) const {
  const auto value = objectForKey(key);
  if (!value) return {};
  if (value->is_string()) return value->get<std::string>();
  if (value->is_number() || value->is_boolean()) return value->dump();
  return {};
}

long UserDefaults::integerForKey(const std::string& key) const {
  constexpr long kMax = std::numeric_limits<long>::max();
  constexpr long kMin = std::numeric_limits<long>::min();
  const auto value = objectForKey(key);
  if (!value) return 0;
  if (value->is_number_unsigned()) {
    const auto n = value->get<std::uint64_t>();
    return n > static_cast<std::uint64_t>(kMax) ? kMax : static_cast<long>(n);
  }
  if (value->is_number_integer()) return value->get<long>();
  const auto number = numberFrom(*value);
  if (!number || std::isnan(*number)) return 0;
  // Out-of-range values clamp instead of overflowing.
  if (*number >= 9.2e18) return kMax;
  if (*number <= -9.2e18) return kMin;
  return static_cast<long>(*number);
}

bool UserDefaults::boolForKey(const std::string& key) const {
  const auto value = objectForKey(key);
  if (!value) return false;
  if (value->is_string()) {
    const std::string& text = value->get_ref<const std::string&>();
    if (text == "YES" || text == "yes" || text == "true" || text == "TRUE") return true;
  }
  const auto number = numberFrom(*value);
  return number && *number != 0;
}

double UserDefaults::doubleForKey(const std::string& key) const {
  const auto value = objectForKey(key);
  if (!value) return 0;
  return numberFrom(*value).value_or(0.0);
}

bool UserDefaults::synchronize() {
  std::lock_guard lock(state_->mutex);
  return !state_->dirty || writeLocked();
}

std::string UserDefaults::filePath() const {
  std::lock_guard lock(state_->mutex);
  return state_->path;
}

bool UserDefaults::writeLocked() {
  // Invalid UTF-8 in a stored string is replaced rather than failing the whole write.
  const std::string text =
      state_->values.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
  FileManager& files = FileManager::defaultManager();
  files.createDirectory(deletingLastPathComponent(state_->path), true);
  if (auto written = files.writeFile(state_->path, Data(text.begin(), text.end())); !written) {
    log(LogLevel::Warning, kTag, written.error().localizedDescription());
    return false;
  }
  state_->dirty = false;
  return true;
}

}  // namespace platform
