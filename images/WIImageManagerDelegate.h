#pragma once

#include <optional>

#include "images/WIImageTypes.h"
#include "platform/foundation/URL.h"

namespace sprout {

class WIImageManager;

// Both calls are optional; the manager takes its default road when one is not implemented. The
// names drop the selectors' shared first keyword, which would clash with the manager's class.
class WIImageManagerDelegate {
 public:
  virtual ~WIImageManagerDelegate() = default;

  // false stops a download the cache did not satisfy; nullopt (not implemented) lets it go.
  // Called on the thread that received the cache's answer.
  virtual std::optional<bool> shouldDownloadImageForURL(WIImageManager& /*manager*/,
                                                        const platform::URL& /*url*/) {
    return std::nullopt;
  }

  // transformDownloadedImage is called only when this answers true. It runs on the high-priority
  // global queue, one image of a load at a time, and may return nullptr.
  virtual bool respondsToTransformDownloadedImage() const { return false; }
  virtual ImagePtr transformDownloadedImage(WIImageManager& /*manager*/, const ImagePtr& image,
                                            const platform::URL& /*url*/) {
    return image;
  }
};

}  // namespace sprout
