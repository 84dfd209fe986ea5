// Draws the images of the "HDProgressHUD" bundle at @2x and @3x:
//   info, success, error   28-point badges. The HUD tints them with its foreground colour, so only
//                          their alpha counts; they are drawn white.
//   angle-mask             60 points square, the spinner's mask: transparent at the top of the
//                          circle, growing opaque clockwise all the way round, so the turning arc
//                          fades out towards its tail.
// Usage: sprout-make-hud-images [output folder]   (default: this folder)
#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "resources/ArtworkWriter.h"

namespace {

constexpr double kBadgeSide = 28;
constexpr double kMaskSide = 60;

// The ring every badge sits in.
void badgeRing(cairo_t* cr) {
  cairo_set_source_rgba(cr, 1, 1, 1, 1);
  cairo_set_line_width(cr, 2);
  cairo_arc(cr, kBadgeSide / 2, kBadgeSide / 2, 12.5, 0, 2 * M_PI);
  cairo_stroke(cr);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_width(cr, 2.4);
}

void drawInfo(cairo_t* cr) {
  badgeRing(cr);
  cairo_arc(cr, 14, 8.8, 1.7, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_move_to(cr, 14, 12.8);
  cairo_line_to(cr, 14, 20);
  cairo_stroke(cr);
}

void drawSuccess(cairo_t* cr) {
  badgeRing(cr);
  cairo_move_to(cr, 8.6, 14.4);
  cairo_line_to(cr, 12.4, 18.2);
  cairo_line_to(cr, 19.6, 10.2);
  cairo_stroke(cr);
}

void drawError(cairo_t* cr) {
  badgeRing(cr);
  cairo_move_to(cr, 9.8, 9.8);
  cairo_line_to(cr, 18.2, 18.2);
  cairo_move_to(cr, 18.2, 9.8);
  cairo_line_to(cr, 9.8, 18.2);
  cairo_stroke(cr);
}

// Per pixel, from the angle clockwise from the top (y grows downwards).
void drawAngleMask(cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  const int width = cairo_image_surface_get_width(surface);
  const int height = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const double cx = width / 2.0;
  const double cy = height / 2.0;
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < width; ++x) {
      const double dx = x + 0.5 - cx;
      const double dy = y + 0.5 - cy;
      double turn = std::atan2(dx, -dy) / (2 * M_PI);  // 0 at the top, clockwise
      if (turn < 0) turn += 1;
      const auto a = static_cast<std::uint32_t>(std::lround(turn * 255));
      row[x] = (a << 24) | (a << 16) | (a << 8) | a;  // white, premultiplied
    }
  }
  cairo_surface_mark_dirty(surface);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : SPROUT_HUD_BUNDLE_DIR;
  struct Badge {
    const char* name;
    void (*draw)(cairo_t*);
  };
  const Badge badges[] = {{"info", drawInfo}, {"success", drawSuccess}, {"error", drawError}};
  bool ok = true;
  for (int scale : {2, 3}) {
    const std::string suffix = "@" + std::to_string(scale) + "x.png";
    for (const Badge& badge : badges) {
      ok = sprout_artwork::writeArtwork(folder + "/" + badge.name + suffix, kBadgeSide, kBadgeSide,
                                        scale, badge.draw) &&
           ok;
    }
    ok = sprout_artwork::writeArtwork(folder + "/angle-mask" + suffix, kMaskSide, kMaskSide, scale,
                                      [](cairo_t* cr) { drawAngleMask(cairo_get_target(cr)); }) &&
         ok;
  }
  return ok ? 0 : 1;
}
