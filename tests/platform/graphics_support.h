#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/foundation/Types.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageSource.h"
#include "platform/graphics/Pixels.h"

namespace graphics_test {

inline platform::Data sample(const std::string& name) {
  const std::string path = std::string(SPROUT_SOURCE_DIR) + "/resources/samples/" + name;
  std::ifstream in(path, std::ios::binary);
  platform::Data data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_FALSE(data.empty()) << "missing sample " << path;
  return data;
}

inline std::shared_ptr<const platform::Bitmap> decodeFrame(const platform::Data& data,
                                                           std::size_t index = 0) {
  auto source = platform::ImageSource::create(data);
  if (!source) return nullptr;
  auto frame = source->frameAt(index);
  EXPECT_TRUE(frame) << (!frame ? frame.error().localizedDescription() : "");
  return frame ? frame.value() : nullptr;
}

// Same size and the same premultiplied words.
inline bool samePixels(const platform::Bitmap& a, const platform::Bitmap& b) {
  const std::size_t count = std::size_t(a.width()) * std::size_t(a.height());
  return a.width() == b.width() && a.height() == b.height() &&
         std::equal(a.pixels(), a.pixels() + count, b.pixels());
}

// True when the straight colour of `pixel` is within `tolerance` of 0xRRGGBB on every channel
// and its alpha within `tolerance` of `alpha`.
inline ::testing::AssertionResult colorNear(std::uint32_t pixel, std::uint32_t rgb, int tolerance,
                                            int alpha = 255) {
  namespace px = platform::pixels;
  const int a = px::alpha(pixel);
  const int got[4] = {static_cast<int>(px::unpremultiply(px::red(pixel), a)),
                      static_cast<int>(px::unpremultiply(px::green(pixel), a)),
                      static_cast<int>(px::unpremultiply(px::blue(pixel), a)), a};
  const int want[4] = {static_cast<int>(rgb >> 16) & 0xFF, static_cast<int>(rgb >> 8) & 0xFF,
                       static_cast<int>(rgb) & 0xFF, alpha};
  for (int i = 0; i < 4; ++i) {
    if (std::abs(got[i] - want[i]) > tolerance) {
      return ::testing::AssertionFailure()
             << "rgba(" << got[0] << "," << got[1] << "," << got[2] << "," << got[3]
             << ") is not within " << tolerance << " of rgba(" << want[0] << "," << want[1] << ","
             << want[2] << "," << want[3] << ")";
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace graphics_test
