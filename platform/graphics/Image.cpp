#include "platform/graphics/Image.h"

#include <cmath>

#include "platform/foundation/FileManager.h"
#include "platform/graphics/ImageEncoder.h"
#include "platform/graphics/ImageError.h"
#include "platform/graphics/ImageSource.h"

namespace platform {

std::shared_ptr<Image> Image::create(std::shared_ptr<const Bitmap> bitmap, double scale,
                                     ImageOrientation orientation) {
  if (!bitmap) return nullptr;
  if (!(scale > 0) || !std::isfinite(scale)) scale = 1.0;
  return std::shared_ptr<Image>(new Image(std::move(bitmap), scale, orientation, {}, 0));
}

std::shared_ptr<Image> Image::animated(std::vector<std::shared_ptr<Image>> frames,
                                       TimeInterval duration) {
  if (frames.empty()) return nullptr;
  for (const auto& frame : frames) {
    if (!frame) return nullptr;
  }
  const auto& first = frames.front();
  std::shared_ptr<const Bitmap> bitmap = first->bitmap();
  const double scale = first->scale();
  const ImageOrientation orientation = first->orientation();
  return std::shared_ptr<Image>(
      new Image(std::move(bitmap), scale, orientation, std::move(frames), duration));
}

std::shared_ptr<Image> Image::fromData(const Data& data, double scale) {
  auto source = ImageSource::create(data);
  if (!source || source->count() == 0) return nullptr;
  auto frame = source->frameAt(0);
  if (!frame) return nullptr;
  return create(std::move(*frame.value), scale);
}

Image::Image(std::shared_ptr<const Bitmap> bitmap, double scale, ImageOrientation orientation,
             std::vector<std::shared_ptr<Image>> images, TimeInterval duration)
    : bitmap_(std::move(bitmap)),
      scale_(scale),
      orientation_(orientation),
      images_(std::move(images)),
      duration_(duration) {}

Size Image::size() const {
  const double w = bitmap_->width() / scale_;
  const double h = bitmap_->height() / scale_;
  return swapsWidthAndHeight(orientation_) ? Size{h, w} : Size{w, h};
}

std::shared_ptr<const Bitmap> Image::displayedBitmap() const {
  return orientBitmap(bitmap_, orientation_);
}

std::optional<Error> Image::writePNG(const std::string& path) const {
  std::optional<Data> png = encodePNG(*this);
  if (!png) {
    return imageError(ImageError::EncodeFailed, "could not encode PNG for " + path);
  }
  return FileManager::defaultManager().writeAtomically(path, *png);
}

}  // namespace platform
