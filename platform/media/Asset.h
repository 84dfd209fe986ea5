#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/foundation/URL.h"
#include "platform/graphics/Image.h"
#include "platform/media/AssetLocation.h"
#include "platform/media/AssetRepresentation.h"

namespace platform {

inline constexpr char kAssetTypePhoto[] = "ALAssetTypePhoto";
inline constexpr char kAssetTypeVideo[] = "ALAssetTypeVideo";

// One photo or video of the library. Its URL names its place in the library (album and index),
// never the file. Images are made on each call: nothing decoded is kept. The images may be made
// on any thread.
class Asset {
 public:
  static constexpr int kThumbnailPixels = 150;

  Asset(AssetLocation location, bool video);

  // kAssetTypePhoto or kAssetTypeVideo.
  std::string type() const { return video_ ? kAssetTypeVideo : kAssetTypePhoto; }
  // The centre square, kThumbnailPixels a side; a video gives a placeholder poster.
  std::shared_ptr<Image> thumbnail() const;
  // The whole picture, its longer side kThumbnailPixels.
  std::shared_ptr<Image> aspectRatioThumbnail() const;
  std::shared_ptr<AssetRepresentation> defaultRepresentation() const;
  // Made on first use: listing an album makes none.
  const URL& url() const;
  const AssetLocation& location() const { return location_; }

  // The poster every video shows, as no video is decoded here.
  static std::shared_ptr<Image> videoPlaceholder(int pixels);

 private:
  std::shared_ptr<Image> thumbnailOf(bool square) const;

  AssetLocation location_;
  bool video_;
  mutable std::once_flag urlOnce_;
  mutable std::unique_ptr<const URL> url_;  // held apart: an album's assets stay small
};

}  // namespace platform
