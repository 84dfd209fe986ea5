// Draws the in-app components' own images at @2x and @3x into the resources folder:
//   qr_scan_line   280 x 2 points, the QR overlay's scan line: a light green bar with a white
//                  core that fades out towards both ends.
//   like_heart     30 points square, a heart for the like button. The button shows it as a
//                  stencil, so only its alpha counts; it is drawn white.
// Usage: sprout-make-component-images [output folder]   (default: resources/)
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "resources/ArtworkWriter.h"

namespace {

constexpr double kLineWidth = 280;
constexpr double kLineHeight = 2;
constexpr double kHeartSide = 30;

// Transparent at the ends, full strength over the middle three fifths.
cairo_pattern_t* fadingBar(double r, double g, double b, double alpha) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, kLineWidth, 0);
  cairo_pattern_add_color_stop_rgba(p, 0, r, g, b, 0);
  cairo_pattern_add_color_stop_rgba(p, 0.2, r, g, b, alpha);
  cairo_pattern_add_color_stop_rgba(p, 0.8, r, g, b, alpha);
  cairo_pattern_add_color_stop_rgba(p, 1, r, g, b, 0);
  return p;
}

void drawScanLine(cairo_t* cr) {
  cairo_pattern_t* glow = fadingBar(83 / 255.0, 239 / 255.0, 111 / 255.0, 0.85);
  cairo_set_source(cr, glow);
  cairo_rectangle(cr, 0, 0, kLineWidth, kLineHeight);
  cairo_fill(cr);
  cairo_pattern_destroy(glow);
  cairo_pattern_t* core = fadingBar(0.9, 1, 0.92, 1);
  cairo_set_source(cr, core);
  cairo_rectangle(cr, 0, 0.6, kLineWidth, 0.8);
  cairo_fill(cr);
  cairo_pattern_destroy(core);
}

// Two lobes and a point, inside a 2-point margin.
void drawHeart(cairo_t* cr) {
  cairo_set_source_rgba(cr, 1, 1, 1, 1);
  cairo_move_to(cr, 15, 27);
  cairo_curve_to(cr, 9, 22, 2, 17, 2, 10.5);
  cairo_curve_to(cr, 2, 6, 5.5, 3, 9.2, 3);
  cairo_curve_to(cr, 11.8, 3, 13.8, 4.6, 15, 6.8);
  cairo_curve_to(cr, 16.2, 4.6, 18.2, 3, 20.8, 3);
  cairo_curve_to(cr, 24.5, 3, 28, 6, 28, 10.5);
  cairo_curve_to(cr, 28, 17, 21, 22, 15, 27);
  cairo_close_path(cr);
  cairo_fill(cr);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : SPROUT_RESOURCES_DIR;
  bool ok = true;
  for (int scale = 2; scale <= 3; ++scale) {
    const std::string suffix = "@" + std::to_string(scale) + "x.png";
    ok = sprout_artwork::writeArtwork(folder + "/qr_scan_line" + suffix, kLineWidth, kLineHeight,
                                      scale, drawScanLine) &&
         ok;
    ok = sprout_artwork::writeArtwork(folder + "/like_heart" + suffix, kHeartSide, kHeartSide,
                                      scale, drawHeart) &&
         ok;
  }
  return ok ? 0 : 1;
}
