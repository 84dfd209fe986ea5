#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/URL.h"
#include "platform/graphics/Image.h"
#include "platform/media/Asset.h"

namespace platform {

enum AssetsGroupType : unsigned {
  AssetsGroupLibrary = 1u << 0,
  AssetsGroupAlbum = 1u << 1,
  AssetsGroupEvent = 1u << 2,
  AssetsGroupFaces = 1u << 3,
  AssetsGroupSavedPhotos = 1u << 4,
  AssetsGroupPhotoStream = 1u << 5,
  AssetsGroupAll = 0xFFFFFFFFu
};

enum class AssetsFilter { AllAssets, AllPhotos, AllVideos };

// One album: a folder of the library. Its files are listed when the album is, in name order.
class AssetsGroup {
 public:
  struct Entry {
    std::string file;
    bool video = false;
  };
  using Entries = std::shared_ptr<const std::vector<Entry>>;
  // `index` is the album's place in the library, the first part of its assets' URLs; the album
  // is the folder `name` under `photosPath`, its files `entries` (shared with the library's
  // listing, which is never changed in place).
  AssetsGroup(std::string name, AssetsGroupType type, std::size_t index, std::string photosPath,
              Entries entries);

  const std::string& name() const { return name_; }
  AssetsGroupType type() const { return type_; }
  URL url() const;
  std::size_t index() const { return index_; }
  void setAssetsFilter(AssetsFilter filter) { filter_ = filter; }
  AssetsFilter assetsFilter() const { return filter_; }
  // Under the filter.
  std::size_t numberOfAssets() const;
  // The thumbnail of the album's last asset under the filter; nullptr when it has none.
  std::shared_ptr<Image> posterImage() const;

  // In library order, under the filter; ends with (nullptr, kNotFound) unless stopped.
  static constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);
  using EnumerationBlock =
      std::function<void(const std::shared_ptr<Asset>& asset, std::size_t index, bool& stop)>;
  void enumerateAssets(const EnumerationBlock& block) const;

  // The asset at the album-wide position `fileIndex` (filter not applied); nullptr past the end.
  std::shared_ptr<Asset> assetAtFileIndex(std::size_t fileIndex) const;
  static URL assetURL(std::size_t groupIndex, std::size_t fileIndex, const std::string& path);

 private:
  bool passes(const Entry& entry) const;

  std::string name_;
  AssetsGroupType type_;
  std::size_t index_;
  std::shared_ptr<const std::string> photos_;
  Entries entries_;
  AssetsFilter filter_ = AssetsFilter::AllAssets;
};

}  // namespace platform
