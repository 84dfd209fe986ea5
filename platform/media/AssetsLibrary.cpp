#include "platform/media/AssetsLibrary.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string_view>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/FileManager.h"
#include "platform/graphics/ImageEncoder.h"

namespace platform {
namespace fs = std::filesystem;
namespace {

std::atomic<AuthorizationStatus> gStatus{AuthorizationStatus::Authorized};

std::string lowerExtension(const fs::path& path) {
  std::string ext = path.extension().string();
  for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return ext;
}

// nullopt for files that are neither (they are not part of the library).
std::optional<bool> isVideoFile(const fs::path& path) {
  static const std::set<std::string> kPhotos = {".jpg",  ".jpeg", ".png", ".gif",
                                                ".webp", ".tif",  ".tiff"};
  static const std::set<std::string> kVideos = {".mp4", ".mov", ".m4v", ".3gp"};
  const std::string ext = lowerExtension(path);
  if (kPhotos.count(ext)) return false;
  if (kVideos.count(ext)) return true;
  return std::nullopt;
}

bool hidden(const fs::path& path) { return path.filename().string().starts_with('.'); }

// Regular files only: a symbolic link could lead out of the library.
std::vector<AssetsGroup::Entry> albumEntries(const fs::path& folder) {
  std::vector<AssetsGroup::Entry> entries;
  std::error_code ec;
  for (const auto& item : fs::directory_iterator(folder, ec)) {
    const auto status = item.symlink_status(ec);
    if (ec || !fs::is_regular_file(status) || hidden(item.path())) continue;
    if (auto video = isVideoFile(item.path())) entries.push_back({item.path().string(), *video});
  }
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return a.path < b.path; });
  return entries;
}

std::vector<std::string> albumNames() {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& item : fs::directory_iterator(FileManager::photosDirectory(), ec)) {
    if (fs::is_directory(item.symlink_status(ec)) && !hidden(item.path())) {
      names.push_back(item.path().filename().string());
    }
  }
  std::sort(names.begin(), names.end());
  auto saved = std::find(names.begin(), names.end(), kSavedPhotosAlbumName);
  if (saved != names.end()) std::rotate(saved, saved + 1, names.end());
  return names;
}

// "id=<album>-<file>" of an asset URL; nullopt for anything else.
std::optional<std::pair<std::size_t, std::size_t>> assetIndices(const URL& url) {
  if (url.scheme() != "assets-library" || url.host() != "asset") return std::nullopt;
  const std::string query = url.query();
  const auto at = query.find("id=");
  if (at == std::string::npos || (at > 0 && query[at - 1] != '&')) return std::nullopt;
  unsigned long long group = 0, file = 0;
  int used = 0;
  const std::string id = query.substr(at + 3, query.find('&', at) - at - 3);
  if (std::sscanf(id.c_str(), "%llu-%llu%n", &group, &file, &used) != 2 ||
      static_cast<std::size_t>(used) != id.size() ||
      !std::isdigit(static_cast<unsigned char>(id[0]))) {
    return std::nullopt;
  }
  return std::make_pair(static_cast<std::size_t>(group), static_cast<std::size_t>(file));
}

}  // namespace

AuthorizationStatus AssetsLibrary::authorizationStatus() { return gStatus.load(); }

void AssetsLibrary::setAuthorizationStatus(AuthorizationStatus status) { gStatus.store(status); }

std::optional<Error> AssetsLibrary::accessError() {
  switch (authorizationStatus()) {
    case AuthorizationStatus::Authorized:
      return std::nullopt;
    case AuthorizationStatus::Restricted:
      return Error::make(kAssetsLibraryErrorDomain, kAssetsLibraryAccessGloballyDeniedError,
                         "Global denied access");
    case AuthorizationStatus::NotDetermined:
    case AuthorizationStatus::Denied:
      break;
  }
  return Error::make(kAssetsLibraryErrorDomain, kAssetsLibraryAccessUserDeniedError,
                     "User denied access");
}

std::vector<std::shared_ptr<AssetsGroup>> AssetsLibrary::listGroups() {
  std::vector<std::shared_ptr<AssetsGroup>> groups;
  const fs::path root = FileManager::photosDirectory();
  const auto names = albumNames();
  for (std::size_t i = 0; i < names.size(); ++i) {
    const auto type = names[i] == kSavedPhotosAlbumName ? AssetsGroupSavedPhotos : AssetsGroupAlbum;
    groups.push_back(
        std::make_shared<AssetsGroup>(names[i], type, i, albumEntries(root / names[i])));
  }
  return groups;
}

std::shared_ptr<Asset> AssetsLibrary::assetWithURL(const URL& url) {
  auto indices = assetIndices(url);
  if (!indices) return nullptr;
  auto groups = listGroups();
  if (indices->first >= groups.size()) return nullptr;
  return groups[indices->first]->assetAtFileIndex(indices->second);
}

void AssetsLibrary::enumerateGroupsWithTypes(unsigned types, GroupBlock block,
                                             FailureBlock failure) const {
  DispatchQueue::main()->async([types, block = std::move(block), failure = std::move(failure)] {
    if (auto error = accessError()) {
      if (failure) failure(*error);
      return;
    }
    if (!block) return;
    bool stop = false;
    for (const auto& group : listGroups()) {
      if ((group->type() & types) == 0) continue;
      block(group, stop);
      if (stop) return;
    }
    block(nullptr, stop);
  });
}

void AssetsLibrary::assetForURL(const URL& url, AssetBlock result, FailureBlock failure) const {
  DispatchQueue::main()->async([url, result = std::move(result), failure = std::move(failure)] {
    if (auto error = accessError()) {
      if (failure) failure(*error);
      return;
    }
    if (result) result(assetWithURL(url));
  });
}

void AssetsLibrary::writeImageToSavedPhotosAlbum(const std::shared_ptr<Image>& image,
                                                 WriteBlock completion) {
  std::optional<URL> url;
  std::optional<Error> error = accessError();
  std::optional<Data> jpeg = !error && image ? encodeJPEG(*image, 0.9) : std::nullopt;
  if (!error && !jpeg) {
    error = Error::make(kAssetsLibraryErrorDomain, kAssetsLibraryWriteFailedError,
                        "The image could not be encoded");
  }
  if (!error) {
    const fs::path album = fs::path(FileManager::photosDirectory()) / kSavedPhotosAlbumName;
    FileManager::defaultManager().createDirectory(album.string());
    std::size_t number = albumEntries(album).size() + 1;
    fs::path file;
    do {
      char name[32];
      std::snprintf(name, sizeof name, "IMG_%04zu.JPG", number++);
      file = album / name;
    } while (fs::exists(file));
    error = FileManager::defaultManager().writeAtomically(file.string(), *jpeg);
    if (!error) {
      for (const auto& group : listGroups()) {
        if (group->type() != AssetsGroupSavedPhotos) continue;
        for (std::size_t i = 0;; ++i) {
          auto asset = group->assetAtFileIndex(i);
          if (!asset) break;
          if (asset->defaultRepresentation()->filename() == file.filename().string()) {
            url = asset->url();
          }
        }
      }
    }
  }
  DispatchQueue::main()->async([completion = std::move(completion), url, error] {
    if (completion) completion(url, error);
  });
}

}  // namespace platform
