#include "platform/foundation/FileManager.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <new>
#include <system_error>
#include <utility>

#include "platform/foundation/Path.h"

namespace platform {
namespace {

constexpr char kExcludeAttribute[] = "user.sprout.exclude-from-backup";

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

struct HomeOverride {
  std::mutex mutex;
  std::string path;
};

HomeOverride& homeOverride() {
  static auto* slot = new HomeOverride;
  return *slot;
}

const char* environmentValue(const char* name) {
  // getenv only races with setenv, which the app does not call while running.
  return std::getenv(name);  // NOLINT(concurrency-mt-unsafe)
}

std::string homeSubdirectory(const char* name) {
  std::string path = appendingPathComponent(FileManager::homeDirectory(), name);
  FileManager().createDirectory(path, true);
  return path;
}

TimeInterval toInterval(const struct timespec& time) {
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) * 1e-9;
}

FileEntry makeEntry(std::string path, const struct stat& st) {
  FileEntry entry;
  entry.isHidden = lastPathComponent(path).starts_with('.');
  entry.path = std::move(path);
  entry.isDirectory = S_ISDIR(st.st_mode);
  entry.modificationDate = toInterval(st.st_mtim);
  entry.allocatedSize = static_cast<std::uint64_t>(st.st_blocks) * 512;
  entry.fileSize = static_cast<std::uint64_t>(st.st_size);
  return entry;
}

bool writeAll(int fd, const Data& data) {
  std::size_t written = 0;
  while (written < data.size()) {
    const ssize_t n = ::write(fd, data.data() + written, data.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    written += static_cast<std::size_t>(n);
  }
  return true;
}

// Sorted names in `directory` (without "." and ".."), or false when it cannot be opened.
bool listDirectory(const std::string& directory, bool followLink, int* dirFd,
                   std::vector<std::string>* names) {
  const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
  FileDescriptor fd(::open(directory.c_str(), flags));
  if (fd.get() < 0) return false;
  const int duplicate = ::dup(fd.get());
  if (duplicate < 0) return false;
  DIR* dir = ::fdopendir(duplicate);
  if (!dir) {
    ::close(duplicate);
    return false;
  }
  // readdir is safe on a stream no other thread uses.
  while (const dirent* item = ::readdir(dir)) {  // NOLINT(concurrency-mt-unsafe)
    const std::string_view name = item->d_name;
    if (name != "." && name != "..") names->emplace_back(name);
  }
  ::closedir(dir);
  std::sort(names->begin(), names->end());
  *dirFd = fd.release();
  return true;
}

}  // namespace

FileManager& FileManager::defaultManager() {
  static FileManager manager;
  return manager;
}

std::string FileManager::homeDirectory() {
  {
    HomeOverride& slot = homeOverride();
    std::lock_guard lock(slot.mutex);
    if (!slot.path.empty()) return slot.path;
  }
  return resolveHomeDirectory(environmentValue);
}

std::string FileManager::resolveHomeDirectory(
    const std::function<const char*(const char*)>& lookup) {
  const auto value = [&](const char* name) -> const char* {
    const char* v = lookup(name);
    return v && *v ? v : nullptr;
  };
  if (const char* home = value("SPROUT_HOME")) return home;
  // Relative values of XDG_DATA_HOME are invalid and ignored.
  if (const char* data = value("XDG_DATA_HOME"); data && *data == '/') {
    return appendingPathComponent(data, "sprout");
  }
  std::string user;
  if (const char* home = value("HOME")) {
    user = home;
  } else {
    struct passwd entry {};
    struct passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found) {
      user = found->pw_dir;
    }
  }
  if (user.empty()) user = "/tmp";
  return appendingPathComponent(user, ".local/share/sprout");
}

void FileManager::setHomeDirectory(std::string path) {
  HomeOverride& slot = homeOverride();
  std::lock_guard lock(slot.mutex);
  slot.path = std::move(path);
}

std::string FileManager::cachesDirectory() { return homeSubdirectory("Caches"); }
std::string FileManager::documentsDirectory() { return homeSubdirectory("Documents"); }
std::string FileManager::libraryDirectory() { return homeSubdirectory("Library"); }
std::string FileManager::photosDirectory() { return homeSubdirectory("Photos"); }

bool FileManager::fileExists(const std::string& path, bool* isDirectory) const {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return false;
  if (isDirectory) *isDirectory = S_ISDIR(st.st_mode);
  return true;
}

bool FileManager::createDirectory(const std::string& path, bool withIntermediates) const {
  if (path.empty()) return false;
  if (!withIntermediates) return ::mkdir(path.c_str(), 0755) == 0;
  std::error_code error;
  std::filesystem::create_directories(path, error);
  bool isDirectory = false;
  return !error && fileExists(path, &isDirectory) && isDirectory;
}

std::optional<Data> FileManager::contentsAtPath(const std::string& path) const {
  // Non-blocking so that opening a pipe cannot hang; it changes nothing for regular files.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat st {};
  // Only regular files: a device or a pipe could stream forever or block.
  if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  Data data;
  std::size_t length = 0;
  try {
    // One byte more than the size, so the read that sees the end needs no growth (files that
    // report no size, as in /proc, grow as they are read).
    data.resize(static_cast<std::size_t>(st.st_size) + 1);
    while (true) {
      if (length == data.size()) data.resize(data.size() * 2 + 4096);
      const ssize_t n = ::read(fd.get(), data.data() + length, data.size() - length);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return std::nullopt;
      if (n == 0) break;
      length += static_cast<std::size_t>(n);
    }
  } catch (const std::bad_alloc&) {
    return std::nullopt;  // a file larger than memory is as unreadable as a missing one
  } catch (const std::length_error&) {
    return std::nullopt;
  }
  data.resize(length);
  return data;
}

Status FileManager::writeFile(const std::string& path, const Data& data) const {
  const std::string name = lastPathComponent(path);
  if (path.empty() || path.back() == '/' || name == "/") {
    return Error::posix(EINVAL, "write " + path);
  }
  const std::size_t slash = path.rfind('/');
  const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  // Hidden, so enumerations that skip hidden files never see a write in progress; the name is
  // cut so the temporary name stays within NAME_MAX.
  std::string temporary = appendingPathComponent(directory, "." + name.substr(0, 200) + ".XXXXXX");
  FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
  if (fd.get() < 0) return Error::posix(errno, "write " + path);
  const auto fail = [&](const char* what) {
    const int saved = errno;
    ::unlink(temporary.c_str());
    return Error::posix(saved, std::string(what) + " " + path);
  };
  if (!writeAll(fd.get(), data)) return fail("write");
  if (::fchmod(fd.get(), 0644) != 0) return fail("chmod");
  if (::close(fd.release()) != 0) return fail("close");
  if (::rename(temporary.c_str(), path.c_str()) != 0) return fail("rename");
  return Status::ok();
}

bool FileManager::removeItem(const std::string& path) const {
  struct stat st {};
  if (path.empty() || ::lstat(path.c_str(), &st) != 0) return false;
  if (!S_ISDIR(st.st_mode)) return ::unlink(path.c_str()) == 0;
  std::error_code error;
  std::filesystem::remove_all(path, error);  // does not follow symbolic links
  return !error;
}

std::optional<FileEntry> FileManager::attributesOfItem(const std::string& path) const {
  struct stat st {};
  if (path.empty() || ::lstat(path.c_str(), &st) != 0) return std::nullopt;
  return makeEntry(path, st);
}

std::vector<FileEntry> FileManager::enumerate(const std::string& directory, bool skipHidden) const {
  std::vector<FileEntry> entries;
  std::vector<std::string> pending{directory};
  bool root = true;
  while (!pending.empty()) {
    const std::string current = std::move(pending.back());
    pending.pop_back();
    int dirFd = -1;
    std::vector<std::string> names;
    // The root may be reached through a link; below it nothing is followed, so a link cycle
    // cannot make the walk endless.
    if (!listDirectory(current, std::exchange(root, false), &dirFd, &names)) continue;
    FileDescriptor fd(dirFd);
    const std::size_t firstChildDirectory = pending.size();
    for (const std::string& name : names) {
      if (skipHidden && name.starts_with('.')) continue;
      struct stat st {};
      if (::fstatat(fd.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
      entries.push_back(makeEntry(appendingPathComponent(current, name), st));
      if (S_ISDIR(st.st_mode)) pending.push_back(entries.back().path);
    }
    // Visit sub-folders in name order.
    std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(firstChildDirectory), pending.end());
  }
  return entries;
}

bool FileManager::setModificationDate(const std::string& path, TimeInterval date) const {
  if (!std::isfinite(date) || std::fabs(date) > 1e15) return false;
  double seconds = std::floor(date);
  long nanoseconds = std::lround((date - seconds) * 1e9);
  if (nanoseconds >= 1'000'000'000L) {
    seconds += 1;
    nanoseconds -= 1'000'000'000L;
  }
  struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), nanoseconds}};
  return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

bool FileManager::setExcludedFromBackup(const std::string& path, bool excluded) const {
  if (excluded) return ::setxattr(path.c_str(), kExcludeAttribute, "1", 1, 0) == 0;
  if (::removexattr(path.c_str(), kExcludeAttribute) == 0) return true;
  return errno == ENODATA && ::access(path.c_str(), F_OK) == 0;
}

bool FileManager::isExcludedFromBackup(const std::string& path) const {
  return ::getxattr(path.c_str(), kExcludeAttribute, nullptr, 0) >= 0;
}

}  // namespace platform
