#include "platform/graphics/Image.h"

#include <cmath>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Path.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/ImageEncoder.h"
#include "platform/graphics/ImageError.h"
#include "platform/graphics/ImageSource.h"
#include "platform/graphics/Pixels.h"

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
  return create(std::move(frame.value()), scale);
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

Status Image::writePNG(const std::string& path) const {
  std::optional<Data> png = encodePNG(*this);
  if (!png) {
    return imageError(ImageError::EncodeFailed, "could not encode PNG for " + path);
  }
  return FileManager::defaultManager().writeFile(path, *png);
}

std::shared_ptr<Image> Image::contentsOfFile(const std::string& path) {
  auto data = FileManager::defaultManager().contentsAtPath(path);
  if (!data) return nullptr;
  // "name@2x.png" and "name@3x~ipad.png" carry their scale in the name.
  const std::string stem = deletingPathExtension(lastPathComponent(path));
  double scale = 1.0;
  const auto at = stem.rfind('@');
  if (at != std::string::npos && stem.size() > at + 2 && stem[at + 2] == 'x' &&
      stem[at + 1] >= '1' && stem[at + 1] <= '9') {
    scale = stem[at + 1] - '0';
  }
  return fromData(*data, scale);
}

std::shared_ptr<Image> Image::imageWithRenderingMode(ImageRenderingMode mode) const {
  if (mode == renderingMode_) return std::const_pointer_cast<Image>(shared_from_this());
  std::vector<std::shared_ptr<Image>> frames;
  for (const auto& frame : images_) frames.push_back(frame->imageWithRenderingMode(mode));
  auto copy = std::shared_ptr<Image>(
      new Image(bitmap_, scale_, orientation_, std::move(frames), duration_));
  copy->renderingMode_ = mode;
  return copy;
}

std::shared_ptr<Image> Image::imageFilledWithColor(const Color& color) const {
  const std::uint32_t ink = color.premultipliedARGB();
  const std::size_t count =
      static_cast<std::size_t>(bitmap_->width()) * static_cast<std::size_t>(bitmap_->height());
  std::vector<std::uint32_t> pixels(bitmap_->pixels(), bitmap_->pixels() + count);
  for (std::uint32_t& p : pixels) {
    // Every channel of the premultiplied ink scaled by the pixel's coverage.
    const std::uint32_t coverage = pixels::alpha(p);
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      const std::uint32_t channel = (ink >> shift) & 0xFF;
      out |= ((channel * coverage + 127) / 255) << shift;
    }
    p = out;
  }
  auto filled = Bitmap::create(bitmap_->width(), bitmap_->height(), std::move(pixels),
                               AlphaInfo::PremultipliedFirst, ColorModel::RGB);
  std::vector<std::shared_ptr<Image>> frames;
  for (const auto& frame : images_) frames.push_back(frame->imageFilledWithColor(color));
  auto image = std::shared_ptr<Image>(
      new Image(std::move(filled), scale_, orientation_, std::move(frames), duration_));
  image->renderingMode_ = ImageRenderingMode::AlwaysOriginal;
  return image;
}

std::shared_ptr<Image> Image::croppedToRect(const Rect& rectInPoints) const {
  const Rect r = standardize(rectInPoints);
  if (isNull(r) || !std::isfinite(r.size.width) || !std::isfinite(r.size.height)) return nullptr;
  // Whole pixels that the rect touches: a crop never loses a partly covered pixel.
  const double x0 = std::floor(r.origin.x * scale_ + 1e-9);
  const double y0 = std::floor(r.origin.y * scale_ + 1e-9);
  const double x1 = std::ceil((r.origin.x + r.size.width) * scale_ - 1e-9);
  const double y1 = std::ceil((r.origin.y + r.size.height) * scale_ - 1e-9);
  const auto shown = displayedBitmap();
  const double limit = 1e9;
  if (!(x1 > x0) || !(y1 > y0) || std::abs(x0) > limit || std::abs(y0) > limit || x1 - x0 > limit ||
      y1 - y0 > limit) {
    return nullptr;
  }
  auto part = shown->cropped(static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0),
                             static_cast<int>(y1 - y0));
  auto image = create(std::move(part), scale_);
  if (image) image->renderingMode_ = renderingMode_;
  return image;
}

}  // namespace platform
