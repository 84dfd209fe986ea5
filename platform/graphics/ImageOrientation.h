#pragma once

#include <memory>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Geometry.h"

namespace platform {

// How stored pixels are turned for display (values and meanings as the phone platform has them).
enum class ImageOrientation {
  Up = 0,            // as stored (EXIF 1)
  Down = 1,          // turned 180° (EXIF 3)
  Left = 2,          // turned 90° counter-clockwise (EXIF 8)
  Right = 3,         // turned 90° clockwise (EXIF 6)
  UpMirrored = 4,    // mirrored left-right (EXIF 2)
  DownMirrored = 5,  // mirrored top-bottom (EXIF 4)
  LeftMirrored = 6,  // transposed (EXIF 5)
  RightMirrored = 7  // transversed (EXIF 7)
};

// EXIF / TIFF orientation 1...8; anything else is Up.
ImageOrientation orientationFromExif(int exifOrientation);
int exifFromOrientation(ImageOrientation orientation);

// Left, Right and their mirrors swap width and height on screen.
inline bool swapsWidthAndHeight(ImageOrientation o) {
  return o == ImageOrientation::Left || o == ImageOrientation::Right ||
         o == ImageOrientation::LeftMirrored || o == ImageOrientation::RightMirrored;
}

// Maps a point of the displayed picture to the stored pixels, both in pixel units, for stored
// pixels of `storedWidth` x `storedHeight`.
AffineTransform displayToStoredTransform(ImageOrientation orientation, double storedWidth,
                                         double storedHeight);

// The pixels as displayed: turned and mirrored so the result is Up. Returns `bitmap` itself for Up.
std::shared_ptr<const Bitmap> orientBitmap(const std::shared_ptr<const Bitmap>& bitmap,
                                           ImageOrientation orientation);

}  // namespace platform
