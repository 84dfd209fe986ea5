#include "platform/media/AssetsLibrary.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/FileManager.h"
#include "platform/graphics/ImageEncoder.h"
#include "platform/media/LibraryFolder.h"
#include "platform/media/LibraryIndex.h"

namespace platform {
namespace {

std::atomic<AuthorizationStatus> gStatus{AuthorizationStatus::Authorized};

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

Status AssetsLibrary::checkAccess() {
  switch (authorizationStatus()) {
    case AuthorizationStatus::Authorized:
      return Status::ok();
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
  const std::string root = FileManager::photosDirectory();
  auto albums = LibraryIndex::shared().albums(root);
  std::vector<std::shared_ptr<AssetsGroup>> groups;
  groups.reserve(albums.size());
  for (std::size_t i = 0; i < albums.size(); ++i) {
    const auto type =
        albums[i].name == kSavedPhotosAlbumName ? AssetsGroupSavedPhotos : AssetsGroupAlbum;
    groups.push_back(std::make_shared<AssetsGroup>(std::move(albums[i].name), type, i, root,
                                                   std::move(albums[i].entries)));
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
    if (auto access = checkAccess(); !access) {
      if (failure) failure(access.error());
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
    if (auto access = checkAccess(); !access) {
      if (failure) failure(access.error());
      return;
    }
    if (result) result(assetWithURL(url));
  });
}

// The first free IMG_NNNN.JPG after the album's photos; a name taken meanwhile moves it on.
Status AssetsLibrary::saveInto(const Data& jpeg, std::string* savedName) {
  const std::string root = FileManager::photosDirectory();
  auto rootFd = LibraryFolder::openRoot(root);
  if (!rootFd) return rootFd.error();
  auto album = LibraryFolder::openAlbum(rootFd.value().get(), kSavedPhotosAlbumName, true);
  if (!album) {
    return Error::make(
        kAssetsLibraryErrorDomain, kAssetsLibraryWriteFailedError,
        "The saved-photos album cannot be written: " + album.error().localizedDescription());
  }
  std::size_t number = 1;
  for (const auto& a : LibraryIndex::shared().albums(root)) {
    if (a.name == kSavedPhotosAlbumName) number = a.entries->size() + 1;
  }
  for (int attempt = 0; attempt < 10000; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "IMG_%04zu.JPG", number++);
    Status written = LibraryFolder::writeNew(album.value().get(), name, jpeg);
    if (!written && written.error().domain == kPOSIXErrorDomain && written.error().code == EEXIST) {
      continue;
    }
    LibraryIndex::shared().invalidate();
    if (written) *savedName = name;
    return written;
  }
  return Error::make(kAssetsLibraryErrorDomain, kAssetsLibraryWriteFailedError,
                     "The saved-photos album has no free name left");
}

void AssetsLibrary::writeImageToSavedPhotosAlbum(const std::shared_ptr<Image>& image,
                                                 WriteBlock completion) {
  std::optional<URL> url;
  Status status = checkAccess();
  std::optional<Data> jpeg = status && image ? encodeJPEG(*image, 0.9) : std::nullopt;
  if (status && !jpeg) {
    status = Error::make(kAssetsLibraryErrorDomain, kAssetsLibraryWriteFailedError,
                         "The image could not be encoded");
  }
  std::string saved;
  if (status) status = saveInto(*jpeg, &saved);
  if (status) {
    for (const auto& group : listGroups()) {
      if (group->type() != AssetsGroupSavedPhotos) continue;
      group->enumerateAssets([&](const std::shared_ptr<Asset>& asset, std::size_t, bool& stop) {
        if (asset && asset->location().file == saved) url = asset->url(), stop = true;
      });
    }
  }
  DispatchQueue::main()->async([completion = std::move(completion), url, error = status.failure()] {
    if (completion) completion(url, error);
  });
}

}  // namespace platform
