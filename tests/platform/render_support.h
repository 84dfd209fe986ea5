#pragma once

#include <cstdint>
#include <memory>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"

namespace platform::render_test {

// A pixel of a rendered image, unpremultiplied, channels 0...255.
struct Rgba {
  int r = 0, g = 0, b = 0, a = 0;
};

inline Rgba pixelAt(const Image& image, int x, int y) {
  const std::uint32_t p = image.bitmap()->pixel(x, y);
  const Color c = Color::fromPremultipliedARGB(p);
  return {static_cast<int>(c.r * 255 + 0.5), static_cast<int>(c.g * 255 + 0.5),
          static_cast<int>(c.b * 255 + 0.5), static_cast<int>(c.a * 255 + 0.5)};
}

inline int alphaAt(const Image& image, int x, int y) {
  return static_cast<int>(image.bitmap()->pixel(x, y) >> 24);
}

// A solid image of `w` x `h` pixels at `scale`.
inline std::shared_ptr<Image> solidImage(int w, int h, const Color& color, double scale = 1) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * h, color.premultipliedARGB());
  return Image::create(
      Bitmap::create(w, h, std::move(pixels), AlphaInfo::PremultipliedFirst, ColorModel::RGB),
      scale);
}

}  // namespace platform::render_test
