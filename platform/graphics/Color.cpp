#include "platform/graphics/Color.h"

#include <cmath>

#include "platform/graphics/Pixels.h"

namespace platform {
namespace {

std::uint32_t toByte(double v) {
  if (!(v > 0)) return 0;  // also NaN
  if (v >= 1) return 255;
  return static_cast<std::uint32_t>(std::lround(v * 255.0));
}

}  // namespace

std::uint32_t Color::premultipliedARGB() const {
  return pixels::packStraight(toByte(r), toByte(g), toByte(b), toByte(a));
}

Color Color::fromPremultipliedARGB(std::uint32_t p) {
  const std::uint32_t alpha = pixels::alpha(p);
  return Color{pixels::unpremultiply(pixels::red(p), alpha) / 255.0,
               pixels::unpremultiply(pixels::green(p), alpha) / 255.0,
               pixels::unpremultiply(pixels::blue(p), alpha) / 255.0, alpha / 255.0};
}

}  // namespace platform
