#pragma once

#include <cstdint>

// The one pixel layout of the graphics layer: Cairo ARGB32, a native-endian 32-bit word holding
// alpha in the top byte and premultiplied red, green, blue below it.
namespace platform::pixels {

inline constexpr std::uint32_t pack(std::uint32_t a, std::uint32_t r, std::uint32_t g,
                                    std::uint32_t b) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}

inline constexpr std::uint8_t alpha(std::uint32_t p) { return p >> 24; }
inline constexpr std::uint8_t red(std::uint32_t p) { return (p >> 16) & 0xFF; }
inline constexpr std::uint8_t green(std::uint32_t p) { return (p >> 8) & 0xFF; }
inline constexpr std::uint8_t blue(std::uint32_t p) { return p & 0xFF; }

// c * a / 255, rounded to nearest, without a division.
inline constexpr std::uint32_t premultiply(std::uint32_t c, std::uint32_t a) {
  const std::uint32_t t = c * a + 128;
  return (t + (t >> 8)) >> 8;
}

// Rounded so that premultiply(unpremultiply(p, a), a) == p for every valid p <= a.
inline constexpr std::uint32_t unpremultiply(std::uint32_t p, std::uint32_t a) {
  if (a == 0) return 0;
  const std::uint32_t c = (p * 255 + a / 2) / a;
  return c > 255 ? 255 : c;
}

inline constexpr std::uint32_t packStraight(std::uint32_t r, std::uint32_t g, std::uint32_t b,
                                            std::uint32_t a) {
  if (a == 255) return pack(255, r, g, b);
  return pack(a, premultiply(r, a), premultiply(g, a), premultiply(b, a));
}

}  // namespace platform::pixels
