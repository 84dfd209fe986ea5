#pragma once

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Path.h"
#include "platform/graphics/Context.h"
#include "platform/graphics/ImageEncoder.h"
#include "tests/support/TemporaryHome.h"

namespace platform::media_test {

// A fresh $SPROUT_HOME for a scope, so Photos/ starts empty.
class ScopedPhotoHome : public test::TemporaryHome {
 public:
  ScopedPhotoHome() : TemporaryHome("sprout-photos") {}

  std::string album(const std::string& name) const {
    const std::string path = appendingPathComponent(FileManager::photosDirectory(), name);
    FileManager::defaultManager().createDirectory(path);
    return path;
  }
};

// A photo-like picture: a sky over a field, and an opaque block of `block` colour (0xRRGGBB) in
// its top-left quarter, so turns and crops can be told by where the block lands.
inline std::shared_ptr<Image> photo(int width, int height, std::uint32_t block = 0xE03020) {
  auto context = Context::createBitmap(width, height, AlphaInfo::NoneSkipFirst);
  cairo_t* cr = context->cairo();
  cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, height);
  cairo_pattern_add_color_stop_rgb(sky, 0, 0.45, 0.7, 0.95);
  cairo_pattern_add_color_stop_rgb(sky, 0.6, 0.8, 0.9, 1.0);
  cairo_pattern_add_color_stop_rgb(sky, 0.6, 0.35, 0.65, 0.3);
  cairo_pattern_add_color_stop_rgb(sky, 1, 0.25, 0.5, 0.2);
  cairo_set_source(cr, sky);
  cairo_paint(cr);
  cairo_pattern_destroy(sky);
  cairo_set_source_rgb(cr, ((block >> 16) & 0xFF) / 255.0, ((block >> 8) & 0xFF) / 255.0,
                       (block & 0xFF) / 255.0);
  cairo_rectangle(cr, width * 0.1, height * 0.1, width * 0.2, height * 0.2);
  cairo_fill(cr);
  return context->makeImage();
}

inline void writePhoto(const std::string& path, int width, int height,
                       std::uint32_t block = 0xE03020) {
  auto data = encodeJPEG(*photo(width, height, block), 0.9);
  ASSERT_TRUE(data);
  ASSERT_TRUE(FileManager::defaultManager().writeFile(path, *data));
}

// Channels of an ARGB pixel.
inline int red(std::uint32_t p) { return (p >> 16) & 0xFF; }
inline int green(std::uint32_t p) { return (p >> 8) & 0xFF; }
inline int blue(std::uint32_t p) { return p & 0xFF; }
inline bool near(std::uint32_t p, std::uint32_t rgb, int tolerance = 40) {
  return std::abs(red(p) - int((rgb >> 16) & 0xFF)) <= tolerance &&
         std::abs(green(p) - int((rgb >> 8) & 0xFF)) <= tolerance &&
         std::abs(blue(p) - int(rgb & 0xFF)) <= tolerance;
}

}  // namespace platform::media_test
