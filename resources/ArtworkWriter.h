#pragma once

// What every artwork generator does around its drawing: a transparent surface of width × height
// points at `scale`, the drawing in points, and the PNG written to `path`.
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

namespace sprout_artwork {

inline bool writeArtwork(const std::string& path, double width, double height, int scale,
                         const std::function<void(cairo_t*)>& draw) {
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(std::lround(width * scale)),
                                 static_cast<int>(std::lround(height * scale)));
  cairo_t* cr = cairo_create(surface);
  cairo_scale(cr, scale, scale);
  draw(cr);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  const bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  if (ok) {
    std::printf("wrote %s\n", path.c_str());
  } else {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
  }
  return ok;
}

}  // namespace sprout_artwork
