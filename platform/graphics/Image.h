#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/Status.h"
#include "platform/foundation/Types.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/ImageOrientation.h"

namespace platform {

struct Color;

// How views draw an image: as it is, or as a template whose alpha is painted in the view's tint
// colour. Automatic draws as it is wherever this platform draws images.
enum class ImageRenderingMode { Automatic = 0, AlwaysOriginal = 1, AlwaysTemplate = 2 };

// An immutable picture: pixels, the scale they were made for, and how to turn them for display.
// An animated image carries its frames and total duration; its own bitmap is the first frame's.
// Identity is the identity of the shared_ptr.
class Image : public std::enable_shared_from_this<Image> {
 public:
  // nullptr for a null bitmap. A scale that is not positive counts as 1.
  static std::shared_ptr<Image> create(std::shared_ptr<const Bitmap> bitmap, double scale = 1.0,
                                       ImageOrientation orientation = ImageOrientation::Up);
  // nullptr when `frames` is empty or holds a null image.
  static std::shared_ptr<Image> animated(std::vector<std::shared_ptr<Image>> frames,
                                         TimeInterval duration);
  // The first frame of any supported format, orientation Up; nullptr when undecodable.
  static std::shared_ptr<Image> fromData(const Data& data, double scale = 1.0);
  // The file's first frame at the scale its name gives ("arrow@2x.png" → 2, otherwise 1);
  // nullptr when the file is missing or undecodable.
  static std::shared_ptr<Image> contentsOfFile(const std::string& path);

  const std::shared_ptr<const Bitmap>& bitmap() const { return bitmap_; }
  double scale() const { return scale_; }
  ImageOrientation orientation() const { return orientation_; }
  // In points: pixels / scale, width and height swapped for Left and Right (mirrored or not).
  Size size() const;
  const std::vector<std::shared_ptr<Image>>& images() const { return images_; }
  TimeInterval duration() const { return duration_; }
  bool isAnimated() const { return !images_.empty(); }
  ImageRenderingMode renderingMode() const { return renderingMode_; }
  // The same pixels (and frames) drawn in `mode`; this image itself when the mode is its own.
  std::shared_ptr<Image> imageWithRenderingMode(ImageRenderingMode mode) const;
  // Only the alpha, painted in `color` (frames too): how a template image is drawn.
  std::shared_ptr<Image> imageFilledWithColor(const Color& color) const;
  // The part within `rectInPoints` (of what a person sees, so orientation applied), in whole
  // pixels at this image's scale and orientation Up; nullptr when the rect misses the image.
  std::shared_ptr<Image> croppedToRect(const Rect& rectInPoints) const;

  // The pixels as a person sees them (orientation applied), at the bitmap's resolution.
  std::shared_ptr<const Bitmap> displayedBitmap() const;
  // Writes what a person sees as PNG, replacing the file atomically.
  Status writePNG(const std::string& path) const;

 private:
  Image(std::shared_ptr<const Bitmap> bitmap, double scale, ImageOrientation orientation,
        std::vector<std::shared_ptr<Image>> images, TimeInterval duration);

  std::shared_ptr<const Bitmap> bitmap_;
  double scale_;
  ImageOrientation orientation_;
  std::vector<std::shared_ptr<Image>> images_;
  TimeInterval duration_;
  ImageRenderingMode renderingMode_ = ImageRenderingMode::Automatic;
};

}  // namespace platform
