#pragma once

#include <cstdint>
#include <memory>

namespace platform {

class Image;

// Device RGB with straight (not premultiplied) alpha, components in 0..1.
struct Color {
  double r = 0;
  double g = 0;
  double b = 0;
  double a = 0;
  // Non-zero for a pattern colour: the number of its tile image (see withPatternImage).
  std::uint32_t pattern = 0;

  bool operator==(const Color&) const = default;

  static constexpr Color rgba(double r, double g, double b, double a = 1) { return {r, g, b, a}; }
  static constexpr Color white(double w, double a = 1) { return {w, w, w, a}; }
  // 0xRRGGBB, the way designers hand colours over.
  static constexpr Color hex(std::uint32_t rgb, double a = 1) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, a};
  }
  static constexpr Color clear() { return {0, 0, 0, 0}; }
  static constexpr Color black() { return {0, 0, 0, 1}; }
  static constexpr Color whiteColor() { return {1, 1, 1, 1}; }
  static constexpr Color gray() { return {0.5, 0.5, 0.5, 1}; }
  static constexpr Color lightGray() { return white(2.0 / 3.0); }
  static constexpr Color darkGray() { return white(1.0 / 3.0); }
  static constexpr Color red() { return {1, 0, 0, 1}; }
  static constexpr Color green() { return {0, 1, 0, 1}; }
  static constexpr Color blue() { return {0, 0, 1, 1}; }
  static constexpr Color yellow() { return {1, 1, 0, 1}; }
  static constexpr Color orange() { return {1, 0.5, 0, 1}; }

  constexpr Color withAlpha(double alpha) const { return {r, g, b, alpha, pattern}; }
  // A colour that paints `image` tiled from the origin of the drawing, at the image's scale, as
  // the tile is (its components, alpha included, are unused); opaque black where something can
  // only use components. The tile is kept for the life of the
  // process (one per image, however often it is asked for). Black for a null image.
  static Color withPatternImage(const std::shared_ptr<Image>& image);
  std::shared_ptr<Image> patternImage() const;  // nullptr for a plain colour
  constexpr bool isPattern() const { return pattern != 0; }
  constexpr bool isClear() const { return a <= 0; }

  // Cairo's ARGB32 layout: premultiplied, 8 bits per channel, rounded.
  std::uint32_t premultipliedARGB() const;
  // The inverse of premultipliedARGB (colour of a fully transparent pixel is black).
  static Color fromPremultipliedARGB(std::uint32_t pixel);
};

}  // namespace platform
