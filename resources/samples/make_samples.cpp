// Writes the sample images committed beside this file: small pictures drawn with Cairo and saved in
// every format and variant the decoders handle. Run once after changing a picture:
//   sprout-make-samples [output folder]   (default: this folder)
// The decoder tests check colours at spots named in the comments here, so keep them in step.
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "SampleWriters.h"

namespace {

using samples::Picture;

struct Surface {
  cairo_surface_t* surface;
  cairo_t* cr;
  Surface(int width, int height, bool opaque)
      : surface(cairo_image_surface_create(opaque ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32, width,
                                           height)),
        cr(cairo_create(surface)) {}
  ~Surface() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
  Picture picture() const { return Picture::fromSurface(surface); }
};

void rgb(cairo_t* cr, unsigned hex, double alpha = 1) {
  cairo_set_source_rgba(cr, ((hex >> 16) & 0xFF) / 255.0, ((hex >> 8) & 0xFF) / 255.0,
                        (hex & 0xFF) / 255.0, alpha);
}

void label(cairo_t* cr, const char* text, double x, double y, double size, unsigned colour) {
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, size);
  rgb(cr, 0x000000, 0.35);
  cairo_move_to(cr, x + size * 0.06, y + size * 0.06);
  cairo_show_text(cr, text);
  rgb(cr, colour);
  cairo_move_to(cr, x, y);
  cairo_show_text(cr, text);
}

// A seedling: stem and two leaves, `s` the height of the plant.
void seedling(cairo_t* cr, double x, double y, double s) {
  cairo_set_line_width(cr, s * 0.07);
  rgb(cr, 0x6D4C2F);
  cairo_move_to(cr, x, y);
  cairo_curve_to(cr, x, y - s * 0.4, x - s * 0.05, y - s * 0.6, x, y - s * 0.75);
  cairo_stroke(cr);
  for (int side : {-1, 1}) {
    cairo_pattern_t* leaf = cairo_pattern_create_linear(x, y - s * 0.75, x + side * s * 0.5, y - s);
    cairo_pattern_add_color_stop_rgb(leaf, 0, 0.30, 0.69, 0.31);
    cairo_pattern_add_color_stop_rgb(leaf, 1, 0.55, 0.85, 0.35);
    cairo_set_source(cr, leaf);
    cairo_move_to(cr, x, y - s * 0.75);
    cairo_curve_to(cr, x + side * s * 0.1, y - s * 1.05, x + side * s * 0.45, y - s * 1.05,
                   x + side * s * 0.55, y - s * 0.95);
    cairo_curve_to(cr, x + side * s * 0.4, y - s * 0.7, x + side * s * 0.15, y - s * 0.68, x,
                   y - s * 0.75);
    cairo_fill(cr);
    cairo_pattern_destroy(leaf);
  }
}

// Sky, sun, two hills, a seedling and the label: the everyday photo-like sample.
void landscape(cairo_t* cr, int w, int h) {
  cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, h * 0.7);
  cairo_pattern_add_color_stop_rgb(sky, 0, 0.26, 0.55, 0.87);
  cairo_pattern_add_color_stop_rgb(sky, 1, 0.80, 0.91, 0.98);
  cairo_set_source(cr, sky);
  cairo_paint(cr);
  cairo_pattern_destroy(sky);
  cairo_pattern_t* sun =
      cairo_pattern_create_radial(w * 0.8, h * 0.22, 0, w * 0.8, h * 0.22, h * 0.16);
  cairo_pattern_add_color_stop_rgba(sun, 0, 1.0, 0.95, 0.55, 1);
  cairo_pattern_add_color_stop_rgba(sun, 0.6, 1.0, 0.80, 0.25, 1);
  cairo_pattern_add_color_stop_rgba(sun, 1, 1.0, 0.80, 0.25, 0);
  cairo_set_source(cr, sun);
  cairo_paint(cr);
  cairo_pattern_destroy(sun);
  rgb(cr, 0x3E8E41);
  cairo_move_to(cr, 0, h * 0.62);
  cairo_curve_to(cr, w * 0.3, h * 0.45, w * 0.6, h * 0.7, w, h * 0.55);
  cairo_line_to(cr, w, h);
  cairo_line_to(cr, 0, h);
  cairo_fill(cr);
  cairo_pattern_t* field = cairo_pattern_create_linear(0, h * 0.7, 0, h);
  cairo_pattern_add_color_stop_rgb(field, 0, 0.49, 0.78, 0.31);
  cairo_pattern_add_color_stop_rgb(field, 1, 0.33, 0.62, 0.22);
  cairo_set_source(cr, field);
  cairo_move_to(cr, 0, h * 0.78);
  cairo_curve_to(cr, w * 0.35, h * 0.68, w * 0.7, h * 0.82, w, h * 0.72);
  cairo_line_to(cr, w, h);
  cairo_line_to(cr, 0, h);
  cairo_fill(cr);
  cairo_pattern_destroy(field);
  seedling(cr, w * 0.3, h * 0.78, h * 0.35);
  label(cr, "Sprout", w * 0.05, h * 0.94, h * 0.13, 0xFFFFFF);
}

Picture landscapePicture(int w, int h) {
  Surface s(w, h, true);
  landscape(s.cr, w, h);
  return s.picture();
}

// 128x128 with alpha. Spots: (2,2) transparent; (64,8) inside the half-transparent halo
// rgba(255,217,77,0.5) and nothing else; (64,90) on the opaque brown stem (0x6D4C2F).
Picture iconPicture() {
  Surface s(128, 128, false);
  cairo_t* cr = s.cr;
  rgb(cr, 0xFFD94D, 0.5);
  cairo_arc(cr, 64, 64, 60, 0, 2 * M_PI);
  cairo_fill(cr);
  seedling(cr, 64, 110, 80);
  label(cr, "Sprout", 30, 124, 16, 0x2E7D32);
  return s.picture();
}

// Flat colours without antialiasing, so it fits a palette. Spots: (5,5) sky 0x64B5F6, (60,80)
// ground 0x388E3C.
Picture flatPicture() {
  Surface s(120, 90, true);
  cairo_t* cr = s.cr;
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  rgb(cr, 0x64B5F6);
  cairo_paint(cr);
  rgb(cr, 0xFFEB3B);
  cairo_arc(cr, 95, 22, 12, 0, 2 * M_PI);
  cairo_fill(cr);
  rgb(cr, 0x388E3C);
  cairo_rectangle(cr, 0, 62, 120, 28);
  cairo_fill(cr);
  rgb(cr, 0xD84315);
  cairo_rectangle(cr, 20, 38, 30, 24);
  cairo_fill(cr);
  cairo_move_to(cr, 16, 40);
  cairo_line_to(cr, 35, 24);
  cairo_line_to(cr, 54, 40);
  cairo_fill(cr);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_NONE);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, 13);
  rgb(cr, 0xFFFFFF);
  cairo_move_to(cr, 62, 82);
  cairo_show_text(cr, "Sprout");
  return s.picture();
}

// The upright "F" picture, 120 x 80 as displayed. Spots (display coordinates): F colour 0x1B5E20
// at (28,60) and (80,16); background 0xF4EBD0 at (100,40) and (55,60).
void fPicture(cairo_t* cr) {
  rgb(cr, 0xF4EBD0);
  cairo_paint(cr);
  rgb(cr, 0x1B5E20);
  cairo_rectangle(cr, 20, 8, 20, 64);   // stem
  cairo_rectangle(cr, 20, 8, 72, 16);   // top bar
  cairo_rectangle(cr, 20, 34, 52, 14);  // middle bar
  cairo_fill(cr);
  rgb(cr, 0xE53935);
  cairo_arc(cr, 8, 8, 5, 0, 2 * M_PI);  // marks the top-left corner
  cairo_fill(cr);
  label(cr, "Sprout", 66, 76, 12, 0x8D6E63);
}

// The stored pixels of the F picture for EXIF orientation `exif`, built from the standard's words
// ("row 0 is the visual X side, column 0 the visual Y side"), so displaying them with that
// orientation shows the F upright. The matrix maps display coordinates to stored ones.
Picture orientedF(int exif) {
  constexpr double dw = 120, dh = 80;
  const bool turned = exif >= 5;
  Surface s(turned ? 80 : 120, turned ? 120 : 80, true);
  cairo_matrix_t m;
  switch (exif) {
    case 2:
      cairo_matrix_init(&m, -1, 0, 0, 1, dw, 0);
      break;  // row 0 top, col 0 right
    case 3:
      cairo_matrix_init(&m, -1, 0, 0, -1, dw, dh);
      break;  // row 0 bottom, col 0 right
    case 4:
      cairo_matrix_init(&m, 1, 0, 0, -1, 0, dh);
      break;  // row 0 bottom, col 0 left
    case 5:
      cairo_matrix_init(&m, 0, 1, 1, 0, 0, 0);
      break;  // row 0 left, col 0 top
    case 6:
      cairo_matrix_init(&m, 0, -1, 1, 0, 0, dw);
      break;  // row 0 right, col 0 top
    case 7:
      cairo_matrix_init(&m, 0, -1, -1, 0, dh, dw);
      break;  // row 0 right, col 0 bottom
    case 8:
      cairo_matrix_init(&m, 0, 1, -1, 0, dh, 0);
      break;  // row 0 left, col 0 bottom
    default:
      cairo_matrix_init_identity(&m);
      break;
  }
  cairo_set_matrix(s.cr, &m);
  fPicture(s.cr);
  return s.picture();
}

Picture ball(int size, unsigned colour, bool squareCorners) {
  Surface s(size, size, false);
  rgb(s.cr, colour);
  if (squareCorners) {
    cairo_rectangle(s.cr, 0, 0, size, size);
    cairo_fill(s.cr);
    rgb(s.cr, 0xFFFFFF);
    cairo_set_line_width(s.cr, 2);
    cairo_rectangle(s.cr, 1, 1, size - 2, size - 2);
    cairo_stroke(s.cr);
  } else {
    cairo_arc(s.cr, size / 2.0, size / 2.0, size / 2.0 - 1, 0, 2 * M_PI);
    cairo_fill(s.cr);
  }
  return s.picture();
}

// 80x60, four frames:
//  0: the whole landscape; keep (disposal 1), 0.10 s.
//  1: red ball in (10,10)-(30,30), corners transparent; restore to background (2), 0.01 s.
//  2: green rounded square in (40,20)-(60,40); restore to previous (3), delay 0.
//  3: blue square in (30,30)-(46,46) with a white rim; no control block at all.
void animatedGif(const std::string& dir) {
  using samples::GifFrame;
  std::vector<GifFrame> frames;
  frames.push_back(GifFrame{0, 0, landscapePicture(80, 60), 1, 10});
  frames.push_back(GifFrame{10, 10, ball(20, 0xFF0000, false), 2, 1});
  Surface green(20, 20, false);
  rgb(green.cr, 0x00CC00);
  cairo_arc(green.cr, 10, 10, 9, 0, 2 * M_PI);
  cairo_rectangle(green.cr, 4, 4, 12, 12);
  cairo_fill(green.cr);
  frames.push_back(GifFrame{40, 20, green.picture(), 3, 0});
  frames.push_back(GifFrame{30, 30, ball(16, 0x0000FF, true), std::nullopt, 0});
  samples::writeGif(dir + "/animated.gif", 80, 60, frames);
  samples::writeGif(dir + "/single.gif", 64, 48,
                    {GifFrame{0, 0, landscapePicture(64, 48), std::nullopt, 0}});
}

// 64x48, three frames of a ball moving right on a light background: red at (12,24) for 0.1 s,
// green at (32,24) for 0.2 s, blue at (52,24) for 0.3 s.
void animatedWebp(const std::string& dir) {
  const unsigned colours[3] = {0xFF0000, 0x00FF00, 0x0000FF};
  std::vector<samples::WebpFrame> frames;
  for (int i = 0; i < 3; ++i) {
    Surface s(64, 48, true);
    rgb(s.cr, 0xFFF8E1);
    cairo_paint(s.cr);
    rgb(s.cr, colours[i]);
    cairo_arc(s.cr, 12 + 20 * i, 24, 8, 0, 2 * M_PI);
    cairo_fill(s.cr);
    frames.push_back({s.picture(), 100 * (i + 1)});
  }
  samples::writeAnimatedWebp(dir + "/animated.webp", frames);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : SPROUT_SAMPLES_DIR;
  using samples::JpegKind;
  using samples::PngKind;
  const Picture scene = landscapePicture(160, 120);
  samples::writePng(dir + "/rgba_alpha.png", iconPicture(), PngKind::RGBA, false);
  samples::writePng(dir + "/rgb_opaque.png", scene, PngKind::RGB, false);
  samples::writePng(dir + "/grey.png", scene, PngKind::Grey, false);
  samples::writePng(dir + "/palette.png", flatPicture(), PngKind::Palette, false);
  samples::writePng(dir + "/interlaced.png", scene, PngKind::RGB, true);
  const Picture big = landscapePicture(240, 180);
  samples::writeJpeg(dir + "/baseline.jpg", big, JpegKind::Baseline, 85);
  samples::writeJpeg(dir + "/progressive.jpg", big, JpegKind::Progressive, 85);
  samples::writeJpeg(dir + "/grey.jpg", scene, JpegKind::Grey, 85);
  samples::writeJpeg(dir + "/cmyk_adobe.jpg", scene, JpegKind::AdobeCmyk, 90);
  for (int exif = 1; exif <= 8; ++exif) {
    samples::writeJpeg(dir + "/exif_orientation_" + std::to_string(exif) + ".jpg", orientedF(exif),
                       JpegKind::Baseline, 90, exif);
  }
  animatedGif(dir);
  samples::writeWebp(dir + "/lossy.webp", scene, false);
  samples::writeWebp(dir + "/lossless_alpha.webp", iconPicture(), true);
  animatedWebp(dir);
  samples::writeTiff(dir + "/rgb.tiff", landscapePicture(120, 90), 1);
  samples::writeTiff(dir + "/orientation_6.tiff", orientedF(6), 6);
  std::printf("samples written to %s\n", dir.c_str());
  cairo_debug_reset_static_data();
  FcFini();  // the toy font API leaves fontconfig's caches behind otherwise
  return 0;
}
