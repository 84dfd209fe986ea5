#pragma once

#include <cairo.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Writers for the committed sample images. Each format is written with its own library and the
// options the sample exists to show (interlacing, progressive scans, Adobe CMYK, EXIF, GIF
// disposal).
namespace samples {

// Straight (not premultiplied) RGBA rows.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;

  static Picture fromSurface(cairo_surface_t* surface);
  const std::uint8_t* at(int x, int y) const { return &rgba[(std::size_t(y) * width + x) * 4]; }
};

enum class PngKind { RGBA, RGB, Grey, Palette };
void writePng(const std::string& path, const Picture& picture, PngKind kind, bool interlaced);

enum class JpegKind { Baseline, Progressive, Grey, AdobeCmyk };
// `exifOrientation` 1...8 adds an APP1 EXIF segment holding only that tag.
void writeJpeg(const std::string& path, const Picture& picture, JpegKind kind, int quality,
               std::optional<int> exifOrientation = std::nullopt);

struct GifFrame {
  int left = 0;
  int top = 0;
  Picture picture;              // pixels with alpha below 128 become the transparent index
  std::optional<int> disposal;  // with delay: a graphic control extension; nullopt: none
  int delayCentiseconds = 0;
};
// One global 6x6x6 colour cube; index 0 is the transparent colour.
void writeGif(const std::string& path, int width, int height, const std::vector<GifFrame>& frames);

void writeWebp(const std::string& path, const Picture& picture, bool lossless);
struct WebpFrame {
  Picture picture;
  int durationMs = 0;
};
void writeAnimatedWebp(const std::string& path, const std::vector<WebpFrame>& frames);

// RGB, deflate-compressed; `orientation` is the TIFF Orientation tag.
void writeTiff(const std::string& path, const Picture& picture, int orientation);

}  // namespace samples
