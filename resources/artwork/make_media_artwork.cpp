// Draws the photo picker's and the camera's images into the app's resources (the main bundle):
//   X.png                     25 x 25   the strip thumbnail's delete badge
//   xiang.png                 30 x 24   switch between the front and back cameras
//   shanguangdeng2.png        24 x 24   the flash switch
//   paizhao.png               66 x 66   the shutter
//   lock.png                  80 x 80   photo library access denied
//   checkbox_pic / _non       25 pt     a grid cell's tick, on and off (@2x and @3x)
//   checkbox_pic2.png / checkbox_pic_non2.png   25 x 25   the browser's tick, on and off
//   btn_back_imagePicker.png  12 x 20   the browser's back chevron
//   btn_original.png / btn_original_non.png     16 x 16   "original size" on and off
//   icon_pic_break.png        60 x 60   a picture that did not load
// Names with ".png" are looked up as they stand (scale 1); the others at the screen's scale.
// Usage: sprout-make-media-artwork [output folder]   (default: the resources folder)
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

#include "resources/ArtworkWriter.h"

namespace {

using Draw = std::function<void(cairo_t*, double w, double h)>;

bool write(const std::string& path, double w, double h, int scale, const Draw& draw) {
  return sprout_artwork::writeArtwork(path, w, h, scale, [&](cairo_t* cr) {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    draw(cr, w, h);
  });
}

void circle(cairo_t* cr, double cx, double cy, double r) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
}

void closeBadge(cairo_t* cr, double w, double) {
  const double c = w / 2;
  cairo_set_source_rgb(cr, 0.86, 0.2, 0.18);
  circle(cr, c, c, c - 1);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_set_line_width(cr, 2.2);
  const double d = w * 0.2;
  cairo_move_to(cr, c - d, c - d);
  cairo_line_to(cr, c + d, c + d);
  cairo_move_to(cr, c + d, c - d);
  cairo_line_to(cr, c - d, c + d);
  cairo_stroke(cr);
}

void switchCamera(cairo_t* cr, double w, double h) {
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_set_line_width(cr, 1.6);
  cairo_rectangle(cr, 2, 6, w - 4, h - 8);
  cairo_move_to(cr, w / 2 - 5, 6);
  cairo_line_to(cr, w / 2 - 3, 2.5);
  cairo_line_to(cr, w / 2 + 3, 2.5);
  cairo_line_to(cr, w / 2 + 5, 6);
  cairo_stroke(cr);
  // Two arrows chasing each other round the lens.
  const double cx = w / 2, cy = h / 2 + 2, r = 5.5;
  cairo_arc(cr, cx, cy, r, M_PI * 1.15, M_PI * 1.85);
  cairo_stroke(cr);
  cairo_arc(cr, cx, cy, r, M_PI * 0.15, M_PI * 0.85);
  cairo_stroke(cr);
  cairo_move_to(cr, cx + r * std::cos(M_PI * 1.85) - 2.5, cy + r * std::sin(M_PI * 1.85) - 1);
  cairo_rel_line_to(cr, 2.5, 1);
  cairo_rel_line_to(cr, 0.5, -2.6);
  cairo_move_to(cr, cx + r * std::cos(M_PI * 0.85) + 2.5, cy + r * std::sin(M_PI * 0.85) + 1);
  cairo_rel_line_to(cr, -2.5, -1);
  cairo_rel_line_to(cr, -0.5, 2.6);
  cairo_stroke(cr);
}

void flash(cairo_t* cr, double w, double h) {
  cairo_set_source_rgb(cr, 1, 0.85, 0.2);
  cairo_move_to(cr, w * 0.58, 1);
  cairo_line_to(cr, w * 0.2, h * 0.56);
  cairo_line_to(cr, w * 0.47, h * 0.56);
  cairo_line_to(cr, w * 0.38, h - 1);
  cairo_line_to(cr, w * 0.8, h * 0.42);
  cairo_line_to(cr, w * 0.53, h * 0.42);
  cairo_close_path(cr);
  cairo_fill(cr);
}

void shutter(cairo_t* cr, double w, double) {
  const double c = w / 2;
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_set_line_width(cr, 4);
  circle(cr, c, c, c - 3);
  cairo_stroke(cr);
  circle(cr, c, c, c - 9);
  cairo_fill(cr);
}

void lock(cairo_t* cr, double w, double h) {
  cairo_set_source_rgb(cr, 0.6, 0.6, 0.62);
  cairo_set_line_width(cr, 6);
  cairo_arc(cr, w / 2, h * 0.42, w * 0.2, M_PI, 2 * M_PI);
  cairo_line_to(cr, w * 0.7, h * 0.5);
  cairo_move_to(cr, w * 0.3, h * 0.5);
  cairo_line_to(cr, w * 0.3, h * 0.42);
  cairo_stroke(cr);
  cairo_rectangle(cr, w * 0.18, h * 0.48, w * 0.64, h * 0.42);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 1, 1, 1);
  circle(cr, w / 2, h * 0.66, 4);
  cairo_fill(cr);
}

Draw tick(bool on, bool light) {
  return [on, light](cairo_t* cr, double w, double) {
    const double c = w / 2;
    if (on) {
      cairo_set_source_rgb(cr, 0.3, 0.69, 0.31);
      circle(cr, c, c, c - 1);
      cairo_fill(cr);
      cairo_set_source_rgb(cr, 1, 1, 1);
      cairo_set_line_width(cr, 2.2);
      cairo_move_to(cr, w * 0.27, w * 0.52);
      cairo_line_to(cr, w * 0.44, w * 0.68);
      cairo_line_to(cr, w * 0.74, w * 0.34);
      cairo_stroke(cr);
      return;
    }
    cairo_set_source_rgba(cr, 0, 0, 0, light ? 0.15 : 0.3);
    circle(cr, c, c, c - 1.5);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
  };
}

void backChevron(cairo_t* cr, double w, double h) {
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_set_line_width(cr, 2.4);
  cairo_move_to(cr, w - 2, 2);
  cairo_line_to(cr, 2.5, h / 2);
  cairo_line_to(cr, w - 2, h - 2);
  cairo_stroke(cr);
}

Draw original(bool on) {
  return [on](cairo_t* cr, double w, double) {
    const double c = w / 2;
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 1.2);
    circle(cr, c, c, c - 1);
    cairo_stroke(cr);
    if (!on) return;
    cairo_set_source_rgb(cr, 0.3, 0.69, 0.31);
    circle(cr, c, c, c - 3.5);
    cairo_fill(cr);
  };
}

void brokenPicture(cairo_t* cr, double w, double h) {
  cairo_set_source_rgb(cr, 0.72, 0.72, 0.74);
  cairo_set_line_width(cr, 2.5);
  // A frame torn along a zigzag, with a mountain and a sun inside.
  cairo_move_to(cr, w * 0.5, h * 0.15);
  cairo_line_to(cr, w * 0.1, h * 0.15);
  cairo_line_to(cr, w * 0.1, h * 0.85);
  cairo_line_to(cr, w * 0.45, h * 0.85);
  cairo_line_to(cr, w * 0.55, h * 0.65);
  cairo_line_to(cr, w * 0.42, h * 0.45);
  cairo_line_to(cr, w * 0.5, h * 0.15);
  cairo_move_to(cr, w * 0.6, h * 0.15);
  cairo_line_to(cr, w * 0.9, h * 0.15);
  cairo_line_to(cr, w * 0.9, h * 0.85);
  cairo_line_to(cr, w * 0.58, h * 0.85);
  cairo_line_to(cr, w * 0.66, h * 0.65);
  cairo_line_to(cr, w * 0.53, h * 0.45);
  cairo_close_path(cr);
  cairo_stroke(cr);
  circle(cr, w * 0.27, h * 0.33, w * 0.06);
  cairo_fill(cr);
  cairo_move_to(cr, w * 0.14, h * 0.8);
  cairo_line_to(cr, w * 0.3, h * 0.55);
  cairo_line_to(cr, w * 0.45, h * 0.75);
  cairo_stroke(cr);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : SPROUT_RESOURCES_DIR;
  bool ok = true;
  auto at = [&](const std::string& name) { return dir + "/" + name; };
  ok &= write(at("X.png"), 25, 25, 1, closeBadge);
  ok &= write(at("xiang.png"), 30, 24, 1, switchCamera);
  ok &= write(at("shanguangdeng2.png"), 24, 24, 1, flash);
  ok &= write(at("paizhao.png"), 66, 66, 1, shutter);
  ok &= write(at("lock.png"), 80, 80, 1, lock);
  for (int scale : {2, 3}) {
    const std::string suffix = "@" + std::to_string(scale) + "x.png";
    ok &= write(at("checkbox_pic" + suffix), 25, 25, scale, tick(true, false));
    ok &= write(at("checkbox_pic_non" + suffix), 25, 25, scale, tick(false, false));
  }
  ok &= write(at("checkbox_pic2.png"), 25, 25, 1, tick(true, true));
  ok &= write(at("checkbox_pic_non2.png"), 25, 25, 1, tick(false, true));
  ok &= write(at("btn_back_imagePicker.png"), 12, 20, 1, backChevron);
  ok &= write(at("btn_original.png"), 16, 16, 1, original(true));
  ok &= write(at("btn_original_non.png"), 16, 16, 1, original(false));
  ok &= write(at("icon_pic_break.png"), 60, 60, 1, brokenPicture);
  return ok ? 0 : 1;
}
