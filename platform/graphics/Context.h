#pragma once

#include <cairo.h>

#include <memory>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"

namespace platform {

// A Cairo image surface to draw into. User space is in points with the origin at the top left
// and y going down; one point is `scale` pixels.
class Context {
 public:
  // `scale` 0 means the main screen's. nullptr for an empty or oversized (past 32767 px) size.
  // An opaque context starts black and makes images without alpha.
  static std::unique_ptr<Context> create(Size points, double scale, bool opaque);
  // In pixels at scale 1. AlphaInfo None, NoneSkipLast and NoneSkipFirst make an opaque surface.
  static std::unique_ptr<Context> createBitmap(int widthPx, int heightPx, AlphaInfo alphaInfo);
  ~Context();
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  cairo_t* cairo() { return cr_; }
  cairo_surface_t* surface() { return surface_; }
  double scale() const { return scale_; }
  Size size() const { return Size{pixelWidth() / scale_, pixelHeight() / scale_}; }
  int pixelWidth() const;
  int pixelHeight() const;
  bool isOpaque() const;

  // Fills `rectInPoints` with the image as displayed: its orientation applied (turns and
  // mirrors), stretched to the rect, sampled smoothly.
  void drawImage(const Image& image, Rect rectInPoints);
  // drawImage with `pixels` (a pattern over pixels of the image's stored size) in place of the
  // image's own; the pattern's matrix is set here.
  void fillImage(cairo_pattern_t* pixels, const Image& image, Rect rectInPoints);
  // The pattern matrix drawImage gives the image's stored pixels for `rect` (non-empty): user
  // space to those pixels, the orientation undone.
  static cairo_matrix_t imageMatrix(const Image& image, Rect rect);
  // A pattern over `pixels` sampled as drawImage samples (smooth, edges padded), identity matrix.
  static cairo_pattern_t* imagePattern(cairo_surface_t* pixels);
  // Plain colours fill flat; pattern colours tile their image from the user-space origin.
  void fillRect(Rect rect, Color color);
  // Makes `color` the source of `cr` for the next fill or stroke, as fillRect paints it.
  static void setSourceColor(cairo_t* cr, const Color& color);

  std::shared_ptr<const Bitmap> makeBitmap() const;
  std::shared_ptr<Image> makeImage() const;  // at the context's scale, orientation Up

  // For a backing store drawn again and again: the image reads the surface in place (no copy).
  // Draw again only after isShared() turns false, i.e. once every bitmap shared is gone.
  std::shared_ptr<Image> shareImage();
  bool isShared() const { return !shared_.expired(); }
  // Whether create(points, scale, …) would make a surface of this one's pixel size and scale.
  bool fits(Size points, double scale) const;
  // Back to the state create() leaves: every pixel transparent (black when opaque), a fresh
  // drawing state at the context's scale.
  void clear();
  // Only the fresh drawing state: the pixels stay as they are.
  void resetState();

 private:
  Context(cairo_surface_t* surface, double scale, AlphaInfo alphaInfo);

  cairo_surface_t* surface_;
  cairo_t* cr_;
  double scale_;
  AlphaInfo alphaInfo_;
  std::weak_ptr<const Bitmap> shared_;
};

}  // namespace platform
