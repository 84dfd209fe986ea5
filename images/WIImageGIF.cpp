#include "images/WIImageGIF.h"

#include <cstdlib>
#include <vector>

#include "images/WIImageMultiFormat.h"
#include "images/WIImageTypes.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Path.h"
#include "platform/graphics/Context.h"
#include "platform/ui/Screen.h"

namespace sprout {

using platform::Data;
using platform::DecodeLimits;
using platform::Error;
using platform::Image;
using platform::ImageSource;
using platform::Result;

namespace {

using ImageResult = Result<std::shared_ptr<Image>>;

ImageResult fail(const std::string& description) {
  return ImageResult::failure(Error::make(kWIImageErrorDomain, 0, description));
}

// Rejects an animation whose frames could not all fit the budget before any frame is decoded.
bool fitsFrameBudget(const ImageSource& source, std::size_t count, const DecodeLimits& limits) {
  if (count > limits.maxFrames) return false;
  auto canvas = source.propertiesAt(0);
  if (!canvas || canvas->width <= 0 || canvas->height <= 0) return true;  // frames will tell
  const std::uint64_t perFrame =
      static_cast<std::uint64_t>(canvas->width) * static_cast<std::uint64_t>(canvas->height);
  return perFrame <= limits.maxPixels && perFrame * count <= limits.maxTotalPixels;
}

}  // namespace

ImageResult wi_decodeAnimatedGIF(const Data& data, const DecodeLimits& limits) {
  if (data.empty()) return fail("no image data");
  auto source = ImageSource::create(data, limits);
  if (!source) return fail("unrecognised image data");
  if (platform::Status status = source->status(); !status) {
    return ImageResult::failure(status.error());
  }
  const std::size_t count = source->count();
  if (count <= 1) return wi_decodeImageFrom(*source, /*applyOrientation=*/false);
  if (!fitsFrameBudget(*source, count, limits)) return fail("animation too large");

  const double scale = platform::Screen::main().scale();
  std::vector<std::shared_ptr<Image>> frames;
  frames.reserve(count);
  platform::TimeInterval duration = 0.0f;
  std::uint64_t totalPixels = 0;
  for (std::size_t i = 0; i < count; ++i) {
    auto frame = source->frameAt(i);
    if (!frame || !frame.value()) continue;  // a frame that cannot be made is left out
    const auto& bitmap = frame.value();
    totalPixels +=
        static_cast<std::uint64_t>(bitmap->width()) * static_cast<std::uint64_t>(bitmap->height());
    if (totalPixels > limits.maxTotalPixels) return fail("animation too large");
    duration += wi_frameDurationAtIndex(i, *source);
    frames.push_back(Image::create(bitmap, scale, platform::ImageOrientation::Up));
  }
  if (frames.empty()) return fail("no frame of the animation decodes");
  if (duration == 0.0f) duration = (1.0f / 10.0f) * static_cast<float>(count);
  return ImageResult::success(Image::animated(std::move(frames), duration));
}

std::shared_ptr<Image> wi_animatedGIFWithData(const Data& data) {
  auto result = wi_decodeAnimatedGIF(data, WIImageDefaultDecodeLimits());
  return result ? result.value() : nullptr;
}

float wi_frameDurationAtIndex(std::size_t index, const ImageSource& source) {
  float frameDuration = 0.1f;
  if (auto properties = source.propertiesAt(index)) {
    if (properties->gifUnclampedDelayTime) {
      frameDuration = static_cast<float>(*properties->gifUnclampedDelayTime);
    } else if (properties->gifDelayTime) {
      frameDuration = static_cast<float>(*properties->gifDelayTime);
    }
  }
  // Browsers show very short delays as 0.1 s; the negated test also catches NaN.
  if (!(frameDuration >= 0.011f)) frameDuration = 0.100f;
  return frameDuration;
}

std::string WIImageResourceDirectory() { return platform::Bundle::mainResourcesPath(); }

std::shared_ptr<Image> wi_animatedGIFNamed(const std::string& name) {
  const auto& files = platform::FileManager::defaultManager();
  const std::string dir = WIImageResourceDirectory();
  if (platform::Screen::main().scale() > 1.0) {
    if (auto data = files.contentsAtPath(platform::appendingPathComponent(dir, name + "@2x.gif"))) {
      return wi_animatedGIFWithData(*data);
    }
  }
  if (auto data = files.contentsAtPath(platform::appendingPathComponent(dir, name + ".gif"))) {
    return wi_animatedGIFWithData(*data);
  }
  for (const std::string& file : {name, name + ".png"}) {
    if (auto data = files.contentsAtPath(platform::appendingPathComponent(dir, file))) {
      if (auto image = wi_imageWithData(*data)) return image;
    }
  }
  return nullptr;
}

namespace {

// Draws one frame at `frameRect` into a fresh transparent context of `size` at the screen scale.
std::shared_ptr<Image> drawFrame(const Image& frame, platform::Size size,
                                 platform::Rect frameRect) {
  auto context = platform::Context::create(size, 0, /*opaque=*/false);
  if (!context) return nullptr;
  context->drawImage(frame, frameRect);
  return context->makeImage();
}

bool fitsDrawingBudget(platform::Size size, std::size_t frameCount) {
  const DecodeLimits limits = WIImageDefaultDecodeLimits();
  const double scale = platform::Screen::main().scale();
  const double pixels = size.width * scale * size.height * scale;
  return pixels <= static_cast<double>(limits.maxPixels) &&
         pixels * static_cast<double>(frameCount) <= static_cast<double>(limits.maxTotalPixels);
}

}  // namespace

std::shared_ptr<Image> wi_animatedImageByScalingAndCroppingToSize(
    const std::shared_ptr<Image>& image, platform::Size size) {
  if (!image) return nullptr;
  const platform::Size own = image->size();
  if ((size.width == own.width && size.height == own.height) ||
      (size.width == 0 && size.height == 0)) {
    return image;
  }
  // Nothing sensible to scale from or to; and a context beyond the budget is never made.
  if (!(own.width > 0 && own.height > 0 && size.width > 0 && size.height > 0)) return image;
  const std::vector<std::shared_ptr<Image>> frames =
      image->isAnimated() ? image->images() : std::vector<std::shared_ptr<Image>>{image};
  if (!fitsDrawingBudget(size, frames.size())) return image;

  const double widthFactor = size.width / own.width;
  const double heightFactor = size.height / own.height;
  const double scale = widthFactor >= heightFactor ? widthFactor : heightFactor;
  const platform::Size scaled{own.width * scale, own.height * scale};
  platform::Point origin{0, 0};
  if (widthFactor > heightFactor) {
    origin.y = (size.height - scaled.height) * 0.5;
  } else if (widthFactor < heightFactor) {
    origin.x = (size.width - scaled.width) * 0.5;
  }

  std::vector<std::shared_ptr<Image>> drawn;
  drawn.reserve(frames.size());
  for (const auto& frame : frames) {
    auto result = drawFrame(*frame, size, platform::Rect{origin, scaled});
    if (!result) return image;
    drawn.push_back(std::move(result));
  }
  // A still image stays still; an animation keeps its duration.
  if (!image->isAnimated()) return drawn.front();
  return Image::animated(std::move(drawn), image->duration());
}

}  // namespace sprout
