#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/Status.h"
#include "platform/foundation/Types.h"

namespace platform {

struct FileEntry {
  std::string path;
  bool isDirectory = false;
  TimeInterval modificationDate = 0;  // seconds since 1970
  std::uint64_t allocatedSize = 0;    // blocks on disk, in bytes
  std::uint64_t fileSize = 0;         // logical length
  bool isHidden = false;              // the name starts with '.'
};

// Stateless file access rooted at the app's home directory. Entries are described without
// following a final symbolic link (a link to a folder is not a directory here).
class FileManager {
 public:
  static FileManager& defaultManager();

  // $SPROUT_HOME, else $XDG_DATA_HOME/sprout, else ~/.local/share/sprout; or what tests set.
  static std::string homeDirectory();
  static void setHomeDirectory(std::string path);  // "" returns to the environment's choice
  // The environment's choice, reading variables through `lookup` (getenv in homeDirectory()).
  static std::string resolveHomeDirectory(const std::function<const char*(const char*)>& lookup);
  // Sub-folders of the home directory, created on demand.
  static std::string cachesDirectory();
  static std::string documentsDirectory();
  static std::string libraryDirectory();
  // The photo library: one sub-folder per album.
  static std::string photosDirectory();

  bool fileExists(const std::string& path, bool* isDirectory = nullptr) const;
  // With intermediates, an existing directory is success; without, it is a failure.
  bool createDirectory(const std::string& path, bool withIntermediates = true) const;
  std::optional<Data> contentsAtPath(const std::string& path) const;  // nullopt: missing/unreadable
  // Writes a hidden temporary file beside `path` and renames it over `path`.
  Status writeFile(const std::string& path, const Data& data) const;
  bool removeItem(const std::string& path) const;  // files and whole trees; false when missing
  std::optional<FileEntry> attributesOfItem(const std::string& path) const;
  // Recursive, each folder before its contents; skipHidden skips entries whose name starts with
  // '.' and does not descend into them. Symbolic links are listed, never followed.
  std::vector<FileEntry> enumerate(const std::string& directory, bool skipHidden) const;
  bool setModificationDate(const std::string& path, TimeInterval date) const;
  // Extended attribute "user.sprout.exclude-from-backup"; false where the file system has none.
  bool setExcludedFromBackup(const std::string& path, bool excluded) const;
  bool isExcludedFromBackup(const std::string& path) const;
};

}  // namespace platform
