#include "platform/graphics/Color.h"

#include <cmath>
#include <map>
#include <mutex>
#include <vector>

#include "platform/graphics/Pixels.h"

namespace platform {
namespace {

std::uint32_t toByte(double v) {
  if (!(v > 0)) return 0;  // also NaN
  if (v >= 1) return 255;
  return static_cast<std::uint32_t>(std::lround(v * 255.0));
}

struct PatternTiles {
  std::mutex mutex;
  std::vector<std::shared_ptr<Image>> tiles;
  std::map<const Image*, std::uint32_t> ids;
};

PatternTiles& patternTiles() {
  static auto* tiles = new PatternTiles;  // read from any thread until the process ends
  return *tiles;
}

}  // namespace

Color Color::withPatternImage(const std::shared_ptr<Image>& image) {
  if (!image) return black();
  PatternTiles& tiles = patternTiles();
  std::lock_guard lock(tiles.mutex);
  auto [it, added] = tiles.ids.emplace(image.get(), 0);
  if (added) {
    tiles.tiles.push_back(image);
    it->second = static_cast<std::uint32_t>(tiles.tiles.size());
  }
  Color color = black();
  color.pattern = it->second;
  return color;
}

std::shared_ptr<Image> Color::patternImage() const {
  if (pattern == 0) return nullptr;
  PatternTiles& tiles = patternTiles();
  std::lock_guard lock(tiles.mutex);
  return pattern <= tiles.tiles.size() ? tiles.tiles[pattern - 1] : nullptr;
}

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
