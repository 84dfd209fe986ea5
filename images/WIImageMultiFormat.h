#pragma once

#include <memory>

#include "platform/foundation/Error.h"
#include "platform/foundation/Types.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageSource.h"

namespace sprout {

// Budgets for decoding bytes that come from outside (the network, the disk cache). A hostile
// image (a huge declared size, thousands of frames) ends in an error, never in an allocation
// beyond these: 64 M pixels per frame, 1000 frames, 64 M pixels over all frames (about 256 MB as
// 32-bit pixels).
platform::DecodeLimits WIImageDefaultDecodeLimits();

// Any format the platform decodes (PNG, JPEG, GIF, WebP, TIFF): GIF goes to the animated path,
// everything else is the first frame with the orientation its EXIF/TIFF properties give.
platform::Result<std::shared_ptr<platform::Image>> wi_decodeImageData(
    const platform::Data& data, const platform::DecodeLimits& limits);

// The first frame of an opened source at scale 1, oriented by its properties when asked.
platform::Result<std::shared_ptr<platform::Image>> wi_decodeImageFrom(
    const platform::ImageSource& source, bool applyOrientation);

// nullptr when the bytes are empty, undecodable or over budget.
std::shared_ptr<platform::Image> wi_imageWithData(const platform::Data& data);
std::shared_ptr<platform::Image> wi_imageWithData(const platform::Data& data,
                                                  const platform::DecodeLimits& limits);

// Up when the bytes carry no orientation.
platform::ImageOrientation wi_imageOrientationFromImageData(const platform::Data& data);
platform::ImageOrientation wi_exifOrientationToiOSOrientation(int exifOrientation);

}  // namespace sprout
