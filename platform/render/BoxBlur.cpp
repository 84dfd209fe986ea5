#include "platform/render/BoxBlur.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace platform {
namespace {

// One pass over `count` pixels spaced `step` apart, edges clamped.
void blurLine(std::uint32_t* line, int count, int step, int radius,
              std::vector<std::uint32_t>& tmp) {
  tmp.resize(count);
  for (int i = 0; i < count; ++i) tmp[i] = line[static_cast<std::ptrdiff_t>(i) * step];
  const int window = 2 * radius + 1;
  std::uint32_t sum[4] = {0, 0, 0, 0};
  auto channel = [](std::uint32_t p, int c) { return (p >> (c * 8)) & 0xFF; };
  auto at = [&](int i) { return tmp[std::clamp(i, 0, count - 1)]; };
  for (int i = -radius; i <= radius; ++i) {
    for (int c = 0; c < 4; ++c) sum[c] += channel(at(i), c);
  }
  for (int i = 0; i < count; ++i) {
    std::uint32_t out = 0;
    for (int c = 0; c < 4; ++c) out |= ((sum[c] + window / 2) / window) << (c * 8);
    line[static_cast<std::ptrdiff_t>(i) * step] = out;
    const std::uint32_t leaving = at(i - radius), entering = at(i + radius + 1);
    for (int c = 0; c < 4; ++c) sum[c] += channel(entering, c) - channel(leaving, c);
  }
}

}  // namespace

void boxBlur(std::uint32_t* pixels, int width, int height, int stridePixels, int radius) {
  if (radius <= 0 || width <= 0 || height <= 0) return;
  std::vector<std::uint32_t> tmp;
  for (int pass = 0; pass < 3; ++pass) {
    for (int y = 0; y < height; ++y) {
      blurLine(pixels + static_cast<std::ptrdiff_t>(y) * stridePixels, width, 1, radius, tmp);
    }
    for (int x = 0; x < width; ++x) blurLine(pixels + x, height, stridePixels, radius, tmp);
  }
}

}  // namespace platform
