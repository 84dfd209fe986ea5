#include "platform/media/LibraryIndex.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <string_view>

#include "platform/foundation/Log.h"
#include "platform/media/AssetsLibrary.h"
#include "platform/media/LibraryFolder.h"

namespace platform {
namespace {

timespec coarseNow() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME_COARSE, &now);
  return now;
}

bool before(const timespec& a, const timespec& b) {
  return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

// nullopt for files that are neither (they are not part of the library).
std::optional<bool> isVideoFile(std::string_view name) {
  const auto dot = name.find_last_of('.');
  if (dot == std::string_view::npos || name.size() - dot > 6) return std::nullopt;
  char ext[8] = {};
  for (std::size_t i = dot + 1, j = 0; i < name.size(); ++i, ++j) {
    ext[j] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
  }
  const std::string_view e(ext);
  for (std::string_view photo : {"jpg", "jpeg", "png", "gif", "webp", "tif", "tiff"}) {
    if (e == photo) return false;
  }
  for (std::string_view video : {"mp4", "mov", "m4v", "3gp"}) {
    if (e == video) return true;
  }
  return std::nullopt;
}

void logRefusedLinks(std::size_t links, const std::string& where) {
  if (links == 0) return;
  log(LogLevel::Warning, "media",
      std::to_string(links) + " symbolic link(s) in " + where +
          " refused: the photo library never follows one");
}

}  // namespace

LibraryIndex& LibraryIndex::shared() {
  static auto* index = new LibraryIndex();  // leaky: background decodes may outlive exit
  return *index;
}

void LibraryIndex::invalidate() {
  std::lock_guard lock(mutex_);
  photosPath_.clear();
  names_.clear();
  folders_.clear();
}

std::vector<LibraryIndex::Album> LibraryIndex::albums(const std::string& photosPath) {
  std::lock_guard lock(mutex_);
  if (photosPath != photosPath_) {
    photosPath_ = photosPath;
    rootStamp_ = {};
    names_.clear();
    folders_.clear();
  }
  auto root = LibraryFolder::openRoot(photosPath);
  if (!root) {
    log(LogLevel::Error, "media", root.error().localizedDescription());
    return {};
  }
  struct stat st {};
  if (::fstat(root.value().get(), &st) != 0) return {};
  const Stamp rootStamp{st.st_dev, st.st_ino, st.st_mtim, false};
  const auto names = albumNamesLocked(root.value().get(), rootStamp);
  std::vector<Album> albums;
  albums.reserve(names.size());
  for (const auto& name : names) albums.push_back({name, entriesLocked(root.value().get(), name)});
  return albums;
}

std::vector<std::string> LibraryIndex::albumNamesLocked(int rootFd, const Stamp& rootStamp) {
  if (rootStamp_.trusted && rootStamp_ == rootStamp) return names_;
  const timespec listed = coarseNow();
  std::size_t links = 0;
  ++foldersRead_;
  auto items = LibraryFolder::list(rootFd, &links);
  logRefusedLinks(links, "the photo library");
  names_.clear();
  if (items) {
    for (const auto& item : items.value()) {
      if (item.directory && item.name[0] != '.') names_.push_back(item.name);
    }
  }
  std::sort(names_.begin(), names_.end());
  auto saved = std::find(names_.begin(), names_.end(), kSavedPhotosAlbumName);
  if (saved != names_.end()) std::rotate(saved, saved + 1, names_.end());
  rootStamp_ = rootStamp;
  rootStamp_.trusted = items && before(rootStamp.modified, listed);
  return names_;
}

AssetsGroup::Entries LibraryIndex::entriesLocked(int rootFd, const std::string& album) {
  auto empty = std::make_shared<const std::vector<AssetsGroup::Entry>>();
  struct stat st {};
  if (::fstatat(rootFd, album.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode)) {
    folders_.erase(album);
    return empty;
  }
  const Stamp stamp{st.st_dev, st.st_ino, st.st_mtim, false};
  auto& folder = folders_[album];
  if (folder.stamp.trusted && folder.stamp == stamp && folder.entries) return folder.entries;
  const timespec listed = coarseNow();
  ++foldersRead_;
  auto fd = LibraryFolder::openAlbum(rootFd, album, false);
  auto items = fd ? LibraryFolder::list(fd.value().get(), nullptr)
                  : Result<std::vector<LibraryFolder::Item>>::failure(fd.error());
  if (!items) {
    log(LogLevel::Error, "media", items.error().localizedDescription());
    folders_.erase(album);
    return empty;
  }
  std::vector<AssetsGroup::Entry> entries;
  entries.reserve(items.value().size());
  for (auto& item : items.value()) {
    if (item.directory || item.name[0] == '.') continue;
    if (auto video = isVideoFile(item.name)) entries.push_back({std::move(item.name), *video});
  }
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return a.file < b.file; });
  folder.entries = std::make_shared<const std::vector<AssetsGroup::Entry>>(std::move(entries));
  folder.stamp = stamp;
  folder.stamp.trusted = before(stamp.modified, listed);
  return folder.entries;
}

}  // namespace platform
