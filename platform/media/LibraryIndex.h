#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstddef>
#include <ctime>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/media/AssetsGroup.h"

namespace platform {

// The library's listing, kept between reads: a folder is read again only when its modification
// time says it changed. A listing taken in the same clock tick as the folder's last change is not
// trusted (a change later in that tick would leave the time alone), so it is read again next time.
// Albums that are symbolic links are refused (logged, never followed). Thread-safe.
class LibraryIndex {
 public:
  struct Album {
    std::string name;
    AssetsGroup::Entries entries;
  };

  static LibraryIndex& shared();

  // The albums of the library at `photosPath`, by name with the saved-photos album last.
  std::vector<Album> albums(const std::string& photosPath);
  // Forgets every listing (after a write of this process, which must be seen at once).
  void invalidate();
  // How many folder listings have been read from disk so far.
  std::size_t foldersRead() const { return foldersRead_.load(); }

 private:
  struct Stamp {
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{};
    bool trusted = false;
    bool operator==(const Stamp& o) const {
      return device == o.device && inode == o.inode && modified.tv_sec == o.modified.tv_sec &&
             modified.tv_nsec == o.modified.tv_nsec;
    }
  };
  struct Folder {
    Stamp stamp;
    AssetsGroup::Entries entries;
  };

  std::vector<std::string> albumNamesLocked(int rootFd, const Stamp& rootStamp);
  AssetsGroup::Entries entriesLocked(int rootFd, const std::string& album);

  std::mutex mutex_;
  std::atomic<std::size_t> foldersRead_{0};
  std::string photosPath_;
  Stamp rootStamp_;
  std::vector<std::string> names_;
  std::map<std::string, Folder> folders_;
};

}  // namespace platform
