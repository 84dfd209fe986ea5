#include "platform/foundation/Bundle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Locale.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Path.h"
#include "platform/foundation/StringsTable.h"

namespace platform {
namespace {

constexpr char kTag[] = "Bundle";
constexpr char kLprojExtension[] = "lproj";

bool isDirectory(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

std::string installedResources() {
  std::error_code error;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return (exe.parent_path().parent_path() / "share" / "sprout" / "resources").string();
}

std::string sourceResources() {
#ifdef SPROUT_SOURCE_RESOURCES
  return SPROUT_SOURCE_RESOURCES;
#else
  return "resources";
#endif
}

bool sameTag(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// A table file's bytes, read only when its size is within the parser's limit: the size is
// checked on the open file before any byte is read, and the read stops one byte past the limit
// in case the file grows meanwhile. nullopt with no error: missing or not a regular file.
struct TableBytes {
  std::optional<std::string> bytes;
  std::optional<Error> error;
};

TableBytes readTableFile(const std::string& path) {
  constexpr std::size_t kLimit = StringsTable::kMaxBytes;
  auto tooLarge = [&] {
    return TableBytes{std::nullopt, Error::make(kStringsErrorDomain, 0,
                                                "strings table larger than " +
                                                    std::to_string(kLimit) + " bytes, not read")};
  };
  // Non-blocking, so that a pipe in the bundle cannot hang the open.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return {};
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return {};
  }
  if (static_cast<std::uint64_t>(st.st_size) > kLimit) {
    ::close(fd);
    return tooLarge();
  }
  std::string bytes(static_cast<std::size_t>(st.st_size) + 1, '\0');
  std::size_t length = 0;
  while (length <= kLimit) {
    if (length == bytes.size()) bytes.resize(std::min(kLimit + 1, bytes.size() * 2 + 4096));
    const ssize_t n = ::read(fd, bytes.data() + length, bytes.size() - length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    length += static_cast<std::size_t>(n);
  }
  ::close(fd);
  if (length > kLimit) return tooLarge();
  bytes.resize(length);
  return {std::move(bytes), std::nullopt};
}

}  // namespace

std::string Bundle::mainResourcesPath() {
  // getenv only races with setenv, which the app never calls while it runs.
  const char* env = std::getenv("SPROUT_RESOURCES");  // NOLINT(concurrency-mt-unsafe)
  if (env != nullptr && *env != '\0') return env;
  std::string installed = installedResources();
  if (!installed.empty() && isDirectory(installed)) return installed;
  return sourceResources();
}

std::shared_ptr<Bundle> Bundle::main() {
  if (auto bundle = bundleWithPath(mainResourcesPath())) return bundle;
  // A main bundle always exists, even over a missing folder: lookups then find nothing.
  static const auto empty = std::make_shared<Bundle>(mainResourcesPath());
  return empty;
}

std::shared_ptr<Bundle> Bundle::bundleWithPath(const std::string& path) {
  if (path.empty() || !isDirectory(path)) return nullptr;
  static std::mutex mutex;
  static auto* bundles = new std::map<std::string, std::shared_ptr<Bundle>>;  // lives until exit
  std::string key = std::filesystem::path(path).lexically_normal().string();
  while (key.size() > 1 && key.back() == '/') key.pop_back();
  std::lock_guard lock(mutex);
  auto& slot = (*bundles)[key];
  if (!slot) slot = std::make_shared<Bundle>(key);
  return slot;
}

Bundle::Bundle(std::string path) : path_(std::move(path)) {
  while (path_.size() > 1 && path_.back() == '/') path_.pop_back();
}

std::optional<std::string> Bundle::pathForResource(const std::string& name, const std::string& type,
                                                   const std::string& subdirectory) const {
  if (name.empty()) return std::nullopt;
  const std::string file = type.empty() ? name : appendingPathExtension(name, type);
  const auto& files = FileManager::defaultManager();
  std::vector<std::string> folders = {path_};
  const std::string localization = preferredLocalization();
  if (!localization.empty()) {
    folders.push_back(appendingPathComponent(path_, localization + "." + kLprojExtension));
  }
  for (const std::string& folder : folders) {
    const std::string dir =
        subdirectory.empty() ? folder : appendingPathComponent(folder, subdirectory);
    const std::string candidate = appendingPathComponent(dir, file);
    if (files.fileExists(candidate)) return candidate;
  }
  return std::nullopt;
}

std::shared_ptr<Bundle> Bundle::bundleNamed(const std::string& name) const {
  const auto path = pathForResource(name, "bundle");
  return path ? bundleWithPath(*path) : nullptr;
}

std::vector<std::string> Bundle::localizations() const {
  {
    std::lock_guard lock(mutex_);
    if (localizations_) return *localizations_;
  }
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(path_, error)) {
    const auto& p = entry.path();
    if (p.extension() == std::string(".") + kLprojExtension && entry.is_directory(error)) {
      names.push_back(p.stem().string());
    }
  }
  std::sort(names.begin(), names.end());
  // A bundle's folders are fixed while the program runs: every text lookup asks for them.
  std::lock_guard lock(mutex_);
  localizations_ = names;
  return names;
}

std::string Bundle::preferredLocalization() const {
  const std::vector<std::string> available = localizations();
  if (available.empty()) return {};
  for (const std::string& language : Locale::preferredLanguages()) {
    for (const std::string& tag : Locale::fallbackChain(language)) {
      for (const std::string& name : available) {
        // "zh_CN.lproj" and "zh-Hans-CN.lproj" name the same language.
        if (sameTag(name, tag) || sameTag(Locale::languageTagFromLocaleName(name), tag)) {
          return name;
        }
      }
    }
  }
  for (const char* fallback : {kDevelopmentLocalization, "Base"}) {
    if (std::find(available.begin(), available.end(), fallback) != available.end()) {
      return fallback;
    }
  }
  return available.front();
}

std::shared_ptr<const std::map<std::string, std::string>> Bundle::loadTable(
    const std::string& file) const {
  {
    std::lock_guard lock(mutex_);
    if (auto it = tables_.find(file); it != tables_.end()) return it->second;
  }
  auto table = std::make_shared<std::map<std::string, std::string>>();
  auto read = readTableFile(file);
  if (read.error) log(LogLevel::Warning, kTag, file + ": " + read.error->localizedDescription());
  if (read.bytes) {
    auto parsed = StringsTable::parse(*read.bytes);
    if (parsed) {
      *table = std::move(parsed.value());
    } else {
      log(LogLevel::Warning, kTag, file + ": " + parsed.error().localizedDescription());
    }
  }
  std::lock_guard lock(mutex_);
  return tables_.emplace(file, std::move(table)).first->second;
}

std::map<std::string, std::string> Bundle::stringsTable(const std::string& table,
                                                        const std::string& localization) const {
  std::string dir = path_;
  if (!localization.empty()) {
    dir = appendingPathComponent(path_, localization + "." + kLprojExtension);
  }
  const std::string name = table.empty() ? "Localizable" : table;
  return *loadTable(appendingPathComponent(dir, name + ".strings"));
}

std::string Bundle::localizedString(const std::string& key, const std::string& value,
                                    const std::string& table) const {
  const std::string name = table.empty() ? "Localizable" : table;
  std::vector<std::string> dirs;
  const std::string localization = preferredLocalization();
  if (!localization.empty()) {
    dirs.push_back(appendingPathComponent(path_, localization + "." + kLprojExtension));
  }
  dirs.push_back(path_);
  for (const std::string& dir : dirs) {
    const auto strings = loadTable(appendingPathComponent(dir, name + ".strings"));
    if (auto it = strings->find(key); it != strings->end()) return it->second;
  }
  return value.empty() ? key : value;
}

}  // namespace platform
