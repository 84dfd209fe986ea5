#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/URL.h"
#include "platform/graphics/Image.h"
#include "platform/media/Asset.h"

namespace sprout {

// One picked (or pickable) photo: the library's asset, its images made on each call. A record
// without an asset (the camera's place in an album grid) answers nullptr and NO. Records are told
// apart by assetURL.
class PPPhotoAssets {
 public:
  static std::shared_ptr<PPPhotoAssets> create(std::shared_ptr<platform::Asset> asset = nullptr);
  // A picture that is not in the library (a camera shot): it has images but no URL, so it never
  // matches another record.
  static std::shared_ptr<PPPhotoAssets> createWithImage(std::shared_ptr<platform::Image> image);
  const std::shared_ptr<platform::Image>& image() const { return image_; }

  const std::shared_ptr<platform::Asset>& asset() const { return asset_; }
  void setAsset(std::shared_ptr<platform::Asset> asset) { asset_ = std::move(asset); }
  // Read from the asset every time; the stored value is kept only because it can be set.
  bool isVideoType() const;
  void setIsVideoType(bool v) { storedVideoType_ = v; }

  // The square thumbnail on systems before 9.0, the aspect-ratio one from then on.
  std::shared_ptr<platform::Image> thumbImage() const;
  // The full-screen image after a JPEG round trip at quality 0.1: a small file's worth.
  std::shared_ptr<platform::Image> compressionImage() const;
  std::shared_ptr<platform::Image> originImage() const;
  // All the pixels, with the representation's scale and orientation.
  std::shared_ptr<platform::Image> fullResolutionImage() const;
  std::optional<platform::URL> assetURL() const;

  // Versions compare by their numbers ("10.2" is after "9.0").
  static bool prefersSquareThumbnail(const std::string& systemVersion);
  // For this device (main thread: it reads the device's version).
  static bool prefersSquareThumbnail();
  // The thumbnail of that kind, decoded on the calling thread (any thread).
  static std::shared_ptr<platform::Image> thumbImage(const std::shared_ptr<platform::Asset>& asset,
                                                     bool square);

 private:
  std::shared_ptr<platform::Asset> asset_;
  std::shared_ptr<platform::Image> image_;
  bool storedVideoType_ = false;
};

// The same photo: one record, or two library photos with the same URL. A camera shot has no URL
// and is only itself; nullptr matches nothing.
bool isSamePhoto(const PPPhotoAssets* a, const PPPhotoAssets* b);
inline bool isSamePhoto(const std::shared_ptr<PPPhotoAssets>& a,
                        const std::shared_ptr<PPPhotoAssets>& b) {
  return isSamePhoto(a.get(), b.get());
}

}  // namespace sprout
