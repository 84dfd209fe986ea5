#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/URL.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageOrientation.h"
#include "platform/media/AssetLocation.h"

namespace platform {

// One stored form of an asset: its file read on demand (nothing is cached, so holding a
// representation costs no pixels). A file that cannot be read safely (a link, larger than any
// picture) gives nullptr images, and its reason is logged.
class AssetRepresentation {
 public:
  AssetRepresentation(AssetLocation location, URL url, bool video);

  const URL& url() const { return url_; }
  std::string filename() const { return location_.file; }
  // Bytes of the file; 0 when it went missing.
  std::int64_t size() const;
  double scale() const { return 1.0; }
  // From the photo's EXIF; Up for other formats and videos.
  ImageOrientation orientation() const;
  // The pixels as stored (orientation not applied); a video gives its placeholder poster.
  std::shared_ptr<const Bitmap> fullResolutionImage() const;
  // Upright, scaled to fit the main screen's pixels (never enlarged).
  std::shared_ptr<Image> fullScreenImage() const;

 private:
  AssetLocation location_;
  URL url_;
  bool video_;
};

}  // namespace platform
