// Draws the keyboard toolbar's arrows at @2x and @3x: chevrons 20 × 12 points (up and down,
// for previous and next) and 12 × 20 points (left and right). The toolbar draws them as
// templates in its tint, so only their alpha counts.
// Usage: sprout-make-keyboard-arrows [output folder]   (default: this folder)
#include <string>

#include "resources/ArtworkWriter.h"

namespace {

struct Arrow {
  const char* name;
  double width, height;
  // The chevron's three points, in points.
  double x0, y0, x1, y1, x2, y2;
};

constexpr Arrow kArrows[] = {
    {"KBButtonBarArrowUp", 20, 12, 2, 10.5, 10, 2.5, 18, 10.5},
    {"KBButtonBarArrowDown", 20, 12, 2, 1.5, 10, 9.5, 18, 1.5},
    {"KBButtonBarArrowLeft", 12, 20, 10.5, 2, 2.5, 10, 10.5, 18},
    {"KBButtonBarArrowRight", 12, 20, 1.5, 2, 9.5, 10, 1.5, 18},
};

bool write(const Arrow& arrow, int scale, const std::string& folder) {
  const std::string path = folder + "/" + arrow.name + "@" + std::to_string(scale) + "x.png";
  return sprout_artwork::writeArtwork(path, arrow.width, arrow.height, scale, [&](cairo_t* cr) {
    cairo_set_source_rgba(cr, 0, 0, 0, 1);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, 2.4);
    cairo_move_to(cr, arrow.x0, arrow.y0);
    cairo_line_to(cr, arrow.x1, arrow.y1);
    cairo_line_to(cr, arrow.x2, arrow.y2);
    cairo_stroke(cr);
  });
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : SPROUT_KEYBOARD_BUNDLE_DIR;
  bool ok = true;
  for (const Arrow& arrow : kArrows) {
    for (int scale : {2, 3}) ok = write(arrow, scale, folder) && ok;
  }
  return ok ? 0 : 1;
}
