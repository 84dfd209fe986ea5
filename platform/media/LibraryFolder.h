#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/Status.h"
#include "platform/foundation/Types.h"
#include "platform/media/FileDescriptor.h"

namespace platform {

// Reaches the library's folders and files one name at a time from Photos/, never following a
// symbolic link (Photos/ itself included): whatever a link points at, no read or write of the
// library goes through it.
class LibraryFolder {
 public:
  struct Item {
    std::string name;
    bool directory = false;
  };

  // A name that stays in its folder: not empty, no '/', not "." or "..".
  static bool isPlainName(const std::string& name);
  static Result<FileDescriptor> openRoot(const std::string& photosPath);
  // With `create`, a missing album is made first.
  static Result<FileDescriptor> openAlbum(int rootFd, const std::string& album, bool create);
  static Result<FileDescriptor> openFile(int albumFd, const std::string& name);
  // Folders and regular files, unsorted; a symbolic link is counted in `refusedLinks` and left
  // out, as is anything else (sockets, devices).
  static Result<std::vector<Item>> list(int folderFd, std::size_t* refusedLinks = nullptr);
  // Writes `data` to a hidden temporary file, then gives it `name`, never replacing a file:
  // when `name` is taken the error is EEXIST in the POSIX domain and nothing is left behind.
  static Status writeNew(int albumFd, const std::string& name, const Data& data);
};

}  // namespace platform
