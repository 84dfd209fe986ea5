// Draws the "RFRefresh" bundle's arrow at @2x and @3x: 15 × 40 points, a rounded shaft with an
// open head pointing down (the way the content moves when pulled). The refresh views draw it as a
// template in their text colour, so only its alpha counts; it is drawn in that grey anyway so it
// reads right where it is shown as it is.
// Usage: sprout-make-refresh-arrow [output folder]   (default: this folder)
#include <string>

#include "resources/ArtworkWriter.h"

namespace {

constexpr double kWidth = 15;
constexpr double kHeight = 40;

void drawArrow(cairo_t* cr) {
  cairo_set_source_rgba(cr, 90 / 255.0, 90 / 255.0, 90 / 255.0, 1);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_width(cr, 2.2);
  cairo_move_to(cr, kWidth / 2, 2);
  cairo_line_to(cr, kWidth / 2, kHeight - 2.5);
  cairo_stroke(cr);
  cairo_move_to(cr, 1.8, kHeight - 9.5);
  cairo_line_to(cr, kWidth / 2, kHeight - 2.5);
  cairo_line_to(cr, kWidth - 1.8, kHeight - 9.5);
  cairo_stroke(cr);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : SPROUT_REFRESH_BUNDLE_DIR;
  bool ok = true;
  for (int scale : {2, 3}) {
    const std::string path = folder + "/arrow@" + std::to_string(scale) + "x.png";
    ok = sprout_artwork::writeArtwork(path, kWidth, kHeight, scale, drawArrow) && ok;
  }
  return ok ? 0 : 1;
}
