#include "images/WIImageProgressiveDecoder.h"

#include "images/WIImageMultiFormat.h"
#include "platform/graphics/Context.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageSource.h"

namespace sprout {

using platform::AlphaInfo;
using platform::Context;
using platform::Image;
using platform::ImageSource;

ImagePtr WIImageProgressiveDecoder::update(const platform::Data& bytes, std::int64_t expectedSize) {
  const auto received = static_cast<std::int64_t>(bytes.size());
  if (received >= expectedSize) return nullptr;
  const bool sized = width_ > 0 && height_ > 0;
  if (sized && shownBytes_ > 0 && received - shownBytes_ < expectedSize / kMaxPartialImages) {
    return nullptr;
  }
  // The same budget as a finished download: a hostile header cannot make us allocate more here.
  auto source = ImageSource::create(bytes, WIImageDefaultDecodeLimits());
  if (!source) return nullptr;
  if (!sized) {
    auto properties = source->propertiesAt(0);
    if (!properties || properties->width <= 0 || properties->height <= 0) return nullptr;
    width_ = properties->width;
    height_ = properties->height;
    orientation_ = wi_exifOrientationToiOSOrientation(properties->exifOrientation.value_or(1));
  }

  auto frame = source->frameAt(0);
  if (!frame || !frame.value()) return nullptr;
  auto partial = Image::create(frame.value());
  auto context = Context::createBitmap(width_, height_, AlphaInfo::PremultipliedFirst);
  if (!partial || !context) return nullptr;
  shownBytes_ = received;
  // Full width, the partial picture's own height: rows not yet decoded stay transparent.
  context->drawImage(*partial, platform::makeRect(0, 0, width_, frame.value()->height()));
  return Image::create(context->makeBitmap(), 1.0, orientation_);
}

}  // namespace sprout
