#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/graphics/PixelBuffer.h"

typedef struct _cairo_surface cairo_surface_t;

namespace platform {

enum class AlphaInfo {
  None = 0,
  PremultipliedLast = 1,
  PremultipliedFirst = 2,
  Last = 3,
  First = 4,
  NoneSkipLast = 5,
  NoneSkipFirst = 6,
  Only = 7
};

enum class ColorModel {
  Unknown = -1,
  Monochrome = 0,
  RGB = 1,
  CMYK = 2,
  Lab = 3,
  DeviceN = 4,
  Indexed = 5,
  Pattern = 6
};

// Immutable decoded pixels. Whatever the source was, the pixels are Cairo ARGB32 (premultiplied,
// native-endian words, stride = width * 4, alpha 0xFF where the source is opaque); alphaInfo and
// colorModel only describe what the source declared.
class Bitmap {
 public:
  // nullptr when the sizes are negative or `pixels` does not hold width * height words.
  static std::shared_ptr<const Bitmap> create(int width, int height,
                                              std::vector<std::uint32_t> pixels,
                                              AlphaInfo alphaInfo, ColorModel colorModel);
  // Takes over a buffer of exactly width * height words (see PixelBuffer); nullptr otherwise.
  static std::shared_ptr<const Bitmap> adopt(int width, int height,
                                             std::unique_ptr<PixelBuffer> buffer,
                                             AlphaInfo alphaInfo, ColorModel colorModel);
  // The same pixels under another description, shared rather than copied (the source stays
  // alive as long as the new bitmap does).
  static std::shared_ptr<const Bitmap> sharingPixels(const std::shared_ptr<const Bitmap>& source,
                                                     AlphaInfo alphaInfo, ColorModel colorModel);

  // Takes a reference to a Cairo ARGB32 or RGB24 image surface (RGB24 with its top bytes already
  // 0xFF) and reads its pixels in place: no copy. Nobody may draw into the surface while the
  // bitmap lives. nullptr when the surface is no image surface of 4 bytes a pixel.
  static std::shared_ptr<const Bitmap> wrapSurface(cairo_surface_t* surface, AlphaInfo alphaInfo);

  Bitmap(const Bitmap&) = delete;  // the words may live in this very object
  Bitmap& operator=(const Bitmap&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }
  const std::uint32_t* pixels() const { return words_; }
  std::size_t byteCount() const { return wordCount_ * sizeof(std::uint32_t); }
  std::size_t stride() const { return static_cast<std::size_t>(width_) * 4; }
  AlphaInfo alphaInfo() const { return alphaInfo_; }
  ColorModel colorModel() const { return colorModel_; }
  bool hasAlpha() const;
  // ARGB premultiplied; 0 (transparent) outside the bitmap.
  std::uint32_t pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return words_[static_cast<std::size_t>(y) * width_ + x];
  }
  // The pixels of the rectangle (in pixels, clipped to the bitmap) as a bitmap of their own with
  // the same declared alpha and colour model; nullptr when nothing of it lies inside.
  std::shared_ptr<const Bitmap> cropped(int x, int y, int width, int height) const;

 private:
  Bitmap(int width, int height, std::vector<std::uint32_t> pixels, AlphaInfo alphaInfo,
         ColorModel colorModel);

  int width_;
  int height_;
  std::vector<std::uint32_t> pixels_;
  // Storage other than pixels_: a PixelBuffer, a Cairo surface, or the bitmap whose pixels these
  // are.
  std::shared_ptr<const void> owner_;
  const std::uint32_t* words_ = nullptr;
  std::size_t wordCount_ = 0;
  AlphaInfo alphaInfo_;
  ColorModel colorModel_;
};

}  // namespace platform
