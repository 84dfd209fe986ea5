#pragma once

#include <memory>
#include <string>

#include "platform/foundation/URL.h"
#include "platform/graphics/Image.h"
#include "platform/media/AssetRepresentation.h"

namespace platform {

inline constexpr char kAssetTypePhoto[] = "ALAssetTypePhoto";
inline constexpr char kAssetTypeVideo[] = "ALAssetTypeVideo";

// One photo or video of the library. Its URL names its place in the library (album and index),
// never the file. Images are made on each call: nothing decoded is kept.
class Asset {
 public:
  static constexpr int kThumbnailPixels = 150;

  Asset(std::string path, URL url, bool video);

  // kAssetTypePhoto or kAssetTypeVideo.
  std::string type() const { return video_ ? kAssetTypeVideo : kAssetTypePhoto; }
  // The centre square, kThumbnailPixels a side; a video gives a placeholder poster.
  std::shared_ptr<Image> thumbnail() const;
  // The whole picture, its longer side kThumbnailPixels.
  std::shared_ptr<Image> aspectRatioThumbnail() const;
  std::shared_ptr<AssetRepresentation> defaultRepresentation() const;
  const URL& url() const { return url_; }

  // The poster every video shows, as no video is decoded here.
  static std::shared_ptr<Image> videoPlaceholder(int pixels);

 private:
  std::shared_ptr<Image> thumbnailOf(bool square) const;

  std::string path_;
  URL url_;
  bool video_;
};

}  // namespace platform
