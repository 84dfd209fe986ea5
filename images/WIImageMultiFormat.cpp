#include "images/WIImageMultiFormat.h"

#include "images/WIImageContentType.h"
#include "images/WIImageGIF.h"
#include "images/WIImageTypes.h"

namespace sprout {

using platform::Data;
using platform::DecodeLimits;
using platform::Error;
using platform::Image;
using platform::ImageOrientation;
using platform::ImageSource;
using platform::Result;

namespace {

ImageOrientation orientationOfFirstFrame(const ImageSource& source) {
  auto properties = source.propertiesAt(0);
  if (!properties || !properties->exifOrientation) return ImageOrientation::Up;
  return wi_exifOrientationToiOSOrientation(*properties->exifOrientation);
}

}  // namespace

DecodeLimits WIImageDefaultDecodeLimits() {
  DecodeLimits limits;
  limits.maxPixels = 1ull << 26;
  limits.maxFrames = 1000;
  limits.maxTotalPixels = 1ull << 26;
  return limits;
}

Result<std::shared_ptr<Image>> wi_decodeImageFrom(const ImageSource& source,
                                                  bool applyOrientation) {
  // Bytes that end early or break the budgets are refused whole, never shown in part.
  if (platform::Status status = source.status(); !status) {
    return Result<std::shared_ptr<Image>>::failure(status.error());
  }
  auto frame = source.frameAt(0);
  if (!frame || !frame.value()) {
    return Result<std::shared_ptr<Image>>::failure(
        !frame ? frame.error() : Error::make(kWIImageErrorDomain, 0, "image has no frame"));
  }
  ImageOrientation orientation =
      applyOrientation ? orientationOfFirstFrame(source) : ImageOrientation::Up;
  return Result<std::shared_ptr<Image>>::success(Image::create(frame.value(), 1.0, orientation));
}

Result<std::shared_ptr<Image>> wi_decodeImageData(const Data& data, const DecodeLimits& limits) {
  using R = Result<std::shared_ptr<Image>>;
  if (data.empty()) return R::failure(Error::make(kWIImageErrorDomain, 0, "no image data"));
  if (wi_contentTypeForImageData(data) == "image/gif") return wi_decodeAnimatedGIF(data, limits);
  // WebP is included here: the platform decoder reads it like any other format.
  // Read in place: the source lives only for this call, and the bytes outlive it.
  auto source = ImageSource::createViewing(data, limits);
  if (!source) return R::failure(Error::make(kWIImageErrorDomain, 0, "unrecognised image data"));
  return wi_decodeImageFrom(*source, /*applyOrientation=*/true);
}

std::shared_ptr<Image> wi_imageWithData(const Data& data, const DecodeLimits& limits) {
  auto result = wi_decodeImageData(data, limits);
  return result ? result.value() : nullptr;
}

std::shared_ptr<Image> wi_imageWithData(const Data& data) {
  return wi_imageWithData(data, WIImageDefaultDecodeLimits());
}

ImageOrientation wi_imageOrientationFromImageData(const Data& data) {
  auto source = ImageSource::createViewing(data, WIImageDefaultDecodeLimits());
  return source ? orientationOfFirstFrame(*source) : ImageOrientation::Up;
}

ImageOrientation wi_exifOrientationToiOSOrientation(int exifOrientation) {
  return platform::orientationFromExif(exifOrientation);
}

}  // namespace sprout
