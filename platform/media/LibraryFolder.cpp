#include "platform/media/LibraryFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

#include "platform/media/AssetsLibraryError.h"

namespace platform {
namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

Error refusedLink(const std::string& name) {
  return Error::make(kAssetsLibraryErrorDomain, kAssetsLibraryDataUnavailableError,
                     "\"" + name + "\" is a symbolic link; the photo library never follows one");
}

// ELOOP (and ENOTDIR for a link to a folder opened with O_DIRECTORY) means a link stood there.
Result<FileDescriptor> openRefusingLinks(int at, const std::string& name, int flags) {
  const int fd = ::openat(at, name.c_str(), flags);
  if (fd >= 0) return Result<FileDescriptor>::success(FileDescriptor(fd));
  const int error = errno;
  struct stat st {};
  if ((error == ELOOP || error == ENOTDIR) &&
      ::fstatat(at, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
    return Result<FileDescriptor>::failure(refusedLink(name));
  }
  return Result<FileDescriptor>::failure(Error::posix(error, "Cannot open \"" + name + "\""));
}

}  // namespace

bool LibraryFolder::isPlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

Result<FileDescriptor> LibraryFolder::openRoot(const std::string& photosPath) {
  return openRefusingLinks(AT_FDCWD, photosPath, kFolderFlags);
}

Result<FileDescriptor> LibraryFolder::openAlbum(int rootFd, const std::string& album, bool create) {
  if (!isPlainName(album)) {
    return Result<FileDescriptor>::failure(Error::make(kAssetsLibraryErrorDomain,
                                                       kAssetsLibraryDataUnavailableError,
                                                       "\"" + album + "\" is not an album name"));
  }
  if (create && ::mkdirat(rootFd, album.c_str(), 0755) != 0 && errno != EEXIST) {
    return Result<FileDescriptor>::failure(Error::posix(errno, "Cannot make \"" + album + "\""));
  }
  return openRefusingLinks(rootFd, album, kFolderFlags);
}

Result<FileDescriptor> LibraryFolder::openFile(int albumFd, const std::string& name) {
  if (!isPlainName(name)) {
    return Result<FileDescriptor>::failure(Error::make(kAssetsLibraryErrorDomain,
                                                       kAssetsLibraryDataUnavailableError,
                                                       "\"" + name + "\" is not a file name"));
  }
  auto file = openRefusingLinks(albumFd, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (!file) return file;
  struct stat st {};
  if (::fstat(file.value().get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    return Result<FileDescriptor>::failure(Error::make(kAssetsLibraryErrorDomain,
                                                       kAssetsLibraryDataUnavailableError,
                                                       "\"" + name + "\" is not a regular file"));
  }
  return file;
}

Result<std::vector<LibraryFolder::Item>> LibraryFolder::list(int folderFd,
                                                             std::size_t* refusedLinks) {
  // fdopendir takes the descriptor it is given: hand it a duplicate.
  const int dup = ::fcntl(folderFd, F_DUPFD_CLOEXEC, 0);
  DIR* dir = dup >= 0 ? ::fdopendir(dup) : nullptr;
  if (!dir) {
    const int error = errno;
    if (dup >= 0) ::close(dup);
    return Result<std::vector<Item>>::failure(Error::posix(error, "Cannot list a photo album"));
  }
  std::vector<Item> items;
  while (const dirent* entry = ::readdir(dir)) {
    unsigned char type = entry->d_type;
    if (type == DT_UNKNOWN) {  // file systems without types in their listings
      struct stat st {};
      if (::fstatat(folderFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
      type = S_ISDIR(st.st_mode)   ? DT_DIR
             : S_ISREG(st.st_mode) ? DT_REG
             : S_ISLNK(st.st_mode) ? DT_LNK
                                   : DT_UNKNOWN;
    }
    if (type == DT_LNK && refusedLinks) ++*refusedLinks;
    if (type != DT_DIR && type != DT_REG) continue;
    const char* name = entry->d_name;
    if (type == DT_DIR && (name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2])))) continue;
    items.push_back({name, type == DT_DIR});
  }
  ::closedir(dir);
  return Result<std::vector<Item>>::success(std::move(items));
}

Status LibraryFolder::writeNew(int albumFd, const std::string& name, const Data& data) {
  if (!isPlainName(name)) {
    return Error::make(kAssetsLibraryErrorDomain, kAssetsLibraryWriteFailedError,
                       "\"" + name + "\" is not a file name");
  }
  static std::atomic<unsigned> counter{0};
  char temp[64];
  std::snprintf(temp, sizeof temp, ".saving-%d-%u", static_cast<int>(::getpid()), counter++);
  FileDescriptor out(
      ::openat(albumFd, temp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
  if (!out) return Error::posix(errno, "Cannot write into the saved-photos album");
  std::size_t written = 0;
  while (written < data.size()) {
    const ssize_t n = ::write(out.get(), data.data() + written, data.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : EIO;
      ::unlinkat(albumFd, temp, 0);
      return Error::posix(error, "Cannot write into the saved-photos album");
    }
    written += static_cast<std::size_t>(n);
  }
  out.reset();
  // A hard link never replaces what is there, so a name taken meanwhile is not overwritten.
  const int linked = ::linkat(albumFd, temp, albumFd, name.c_str(), 0);
  const int error = errno;
  ::unlinkat(albumFd, temp, 0);
  if (linked != 0) return Error::posix(error, "Cannot name the saved photo \"" + name + "\"");
  return Status::ok();
}

}  // namespace platform
