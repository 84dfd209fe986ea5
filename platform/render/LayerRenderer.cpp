// Composites a layer tree with Cairo: each layer's presentation copy at the render time supplies
// geometry and looks; the model tree supplies structure (sublayers, masks).
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <typeinfo>
#include <vector>

#include "platform/animation/Layer.h"
#include "platform/animation/ShapeLayer.h"
#include "platform/foundation/Clock.h"
#include "platform/graphics/Context.h"
#include "platform/graphics/Image.h"
#include "platform/render/BoxBlur.h"
#include "platform/render/MaskSourceCache.h"
#include "platform/render/Render.h"
#include "platform/render/RenderTarget.h"
#include "platform/ui/Screen.h"

namespace platform {
namespace {

void roundedRectPath(cairo_t* cr, const Rect& r, double radius) {
  radius = std::clamp(radius, 0.0, std::min(width(r), height(r)) / 2);
  if (radius <= 0) {
    cairo_rectangle(cr, r.origin.x, r.origin.y, r.size.width, r.size.height);
    return;
  }
  const double x0 = minX(r), y0 = minY(r), x1 = maxX(r), y1 = maxY(r);
  constexpr double kHalfPi = 1.5707963267948966;
  cairo_new_sub_path(cr);
  cairo_arc(cr, x1 - radius, y0 + radius, radius, -kHalfPi, 0);
  cairo_arc(cr, x1 - radius, y1 - radius, radius, 0, kHalfPi);
  cairo_arc(cr, x0 + radius, y1 - radius, radius, kHalfPi, 2 * kHalfPi);
  cairo_arc(cr, x0 + radius, y0 + radius, radius, 2 * kHalfPi, 3 * kHalfPi);
  cairo_close_path(cr);
}

void setColor(cairo_t* cr, const Color& c) { Context::setSourceColor(cr, c); }

Rect gravityRect(const Rect& b, Size s, ContentsGravity g) {
  const double bw = b.size.width, bh = b.size.height;
  switch (g) {
    case ContentsGravity::Resize:
      return b;
    case ContentsGravity::ResizeAspect:
    case ContentsGravity::ResizeAspectFill: {
      if (s.width <= 0 || s.height <= 0) return b;
      const double fx = bw / s.width, fy = bh / s.height;
      const double f = g == ContentsGravity::ResizeAspect ? std::min(fx, fy) : std::max(fx, fy);
      s = {s.width * f, s.height * f};
      return makeRect(b.origin.x + (bw - s.width) / 2, b.origin.y + (bh - s.height) / 2, s.width,
                      s.height);
    }
    default:
      break;
  }
  double x = b.origin.x + (bw - s.width) / 2, y = b.origin.y + (bh - s.height) / 2;
  if (g == ContentsGravity::Left || g == ContentsGravity::TopLeft ||
      g == ContentsGravity::BottomLeft) {
    x = b.origin.x;
  } else if (g == ContentsGravity::Right || g == ContentsGravity::TopRight ||
             g == ContentsGravity::BottomRight) {
    x = b.origin.x + bw - s.width;
  }
  if (g == ContentsGravity::Top || g == ContentsGravity::TopLeft ||
      g == ContentsGravity::TopRight) {
    y = b.origin.y;
  } else if (g == ContentsGravity::Bottom || g == ContentsGravity::BottomLeft ||
             g == ContentsGravity::BottomRight) {
    y = b.origin.y + bh - s.height;
  }
  return makeRect(x, y, s.width, s.height);
}

// The part of `box` holding `painted` and sharing its centre: Cairo samples a turned image
// relative to the centre of what an operation covers, so filling this part samples as filling
// the whole box does, at fewer pixels.
Rect centredAround(const Rect& box, const Rect& painted) {
  if (isNull(painted)) return box;
  const double kx = std::max(0.0, std::min(minX(painted) - minX(box), maxX(box) - maxX(painted)));
  const double ky = std::max(0.0, std::min(minY(painted) - minY(box), maxY(box) - maxY(painted)));
  return insetBy(box, kx, ky);
}

MaskSourceCache& maskSources() {
  thread_local MaskSourceCache cache;
  return cache;
}

class Painter {
 public:
  Painter(Context& context, TimeInterval time, bool maskShortcuts = true)
      : context_(context), cr_(context.cairo()), time_(time), maskShortcuts_(maskShortcuts) {
    if (!isClipOnWholePixels()) partialClips_.push_back(Rect{});  // the caller's, unknown
  }

  // In the superlayer's coordinates: places the layer, then paints it.
  void paintPlaced(const Layer& model) {
    // Only animated layers need a presentation copy; the rest show their model values.
    std::shared_ptr<Layer> copy = model.hasAnimations() ? model.presentationAt(time_) : nullptr;
    paintPlaced(model, copy ? *copy : model);
  }

  void paintPlaced(const Layer& model, const Layer& shown) {
    const Layer* pres = &shown;
    const LayerProperties& p = pres->properties();
    if (p.hidden || p.opacity <= 0) return;
    // Only the part acting on x and y is drawn; a flattened layer (scale 0) shows nothing.
    const Transform3D m = pres->transformToSuperlayer();
    const double det = m.m11 * m.m22 - m.m12 * m.m21;
    if (!(std::fabs(det) >= 1e-12) || !std::isfinite(det) || !std::isfinite(m.m41) ||
        !std::isfinite(m.m42)) {
      return;  // also keeps NaN out of Cairo, which would stop drawing altogether
    }
    cairo_save(cr_);
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, m.m11, m.m12, m.m21, m.m22, m.m41, m.m42);
    cairo_transform(cr_, &matrix);
    if (!isOutsideClip(model, *pres)) paintBody(model, *pres);
    cairo_restore(cr_);
  }

  // In the layer's own bounds coordinates.
  void paintBody(const Layer& model, const Layer& pres) {
    const LayerProperties& p = pres.properties();
    if (p.hidden || p.opacity <= 0) return;
    if (model.mask() && paintThroughImageMask(model, pres)) return;
    const bool group = p.opacity < 1 || model.mask();
    if (group) {
      // A group is a surface the size of the clip: bound it by what the layer can draw, so a
      // small masked or fading layer does not cost a screen-sized surface.
      cairo_save(cr_);
      clipToDrawnArea(model, pres);
      cairo_push_group(cr_);
      ++groups_;
    }
    if (p.backdropBlurRadius > 0) paintBackdrop(p);
    if (!p.backgroundColor.isClear()) {
      cairo_new_path(cr_);
      roundedRectPath(cr_, p.bounds, p.cornerRadius);
      if (p.cornerRadius <= 0) cutCoveredPixels(model, p.bounds);
      setColor(cr_, p.backgroundColor);
      cairo_fill(cr_);
    }
    cairo_save(cr_);
    const std::size_t clips = partialClips_.size();
    if (p.masksToBounds) {
      cairo_new_path(cr_);
      roundedRectPath(cr_, p.bounds, p.cornerRadius);
      cairo_clip(cr_);
      noteClip(p.bounds, p.cornerRadius);
    }
    if (model.drawsInPlace()) {
      paintInPlace(model, p);
    } else if (p.contents) {
      paintContents(p);
    }
    pres.renderContent(cr_);
    paintSublayers(model);
    cairo_restore(cr_);
    partialClips_.resize(clips);
    if (p.borderWidth > 0 && !p.borderColor.isClear()) {
      const double w = p.borderWidth;
      cairo_new_path(cr_);
      roundedRectPath(cr_, insetBy(p.bounds, w / 2, w / 2), std::max(0.0, p.cornerRadius - w / 2));
      cairo_set_line_width(cr_, w);
      setColor(cr_, p.borderColor);
      cairo_stroke(cr_);
    }
    if (group) {
      finishGroup(model, p.opacity);
      cairo_restore(cr_);
    }
  }

 private:
  // Nothing of a layer can show when its bounds miss the clip, it draws only inside them and
  // either has no sublayers or clips them to its bounds. The clip's extents are a box around it
  // in the layer's coordinates, so the test never skips a layer that would show.
  bool isOutsideClip(const Layer& model, const Layer& pres) const {
    const LayerProperties& p = pres.properties();
    if (!drawsOnlyInBounds(model, pres)) return false;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    cairo_clip_extents(cr_, &x0, &y0, &x1, &y1);
    const Rect b = standardize(p.bounds);
    return maxX(b) <= x0 || minX(b) >= x1 || maxY(b) <= y0 || minY(b) >= y1;
  }

  // Whether nothing of the layer (its sublayers included) shows outside its bounds.
  static bool drawsOnlyInBounds(const Layer& model, const Layer& pres) {
    const LayerProperties& p = pres.properties();
    if (!pres.drawsWithinBounds() || (!p.masksToBounds && !model.sublayers().empty())) return false;
    if (!p.contents || p.masksToBounds) return true;
    if (p.contentsGravity == ContentsGravity::Resize ||
        p.contentsGravity == ContentsGravity::ResizeAspect) {
      return true;
    }
    // Other gravities keep the contents' size, which may reach past the bounds.
    const Image& image = *p.contents;
    const double k = image.scale() / p.contentsScale;
    const Size size = image.size();
    return contains(p.bounds,
                    gravityRect(p.bounds, {size.width * k, size.height * k}, p.contentsGravity));
  }

  // Clips to whole device pixels around what the layer can draw: its bounds, or its mask's
  // frame, since nothing shows outside the mask. Whole pixels cut nothing that is drawn inside;
  // a layer that may draw anywhere gets no clip.
  // Returns the device box clipped to, or a null rect when there is no clip.
  Rect clipToDrawnArea(const Layer& model, const Layer& pres) {
    // Only where the group's pixels line up with the target's: a group of another origin under
    // a turn or a fractional scale would sample what it holds at other positions.
    cairo_matrix_t ctm;
    cairo_get_matrix(cr_, &ctm);
    if (ctm.xy != 0 || ctm.yx != 0 || ctm.xx != std::round(ctm.xx) ||
        ctm.yy != std::round(ctm.yy)) {
      return kRectNull;
    }
    Rect area;
    if (const auto& mask = model.mask()) {
      std::shared_ptr<Layer> copy = mask->hasAnimations() ? mask->presentationAt(time_) : nullptr;
      const Layer& maskPres = copy ? *copy : *mask;
      if (!drawsOnlyInBounds(*mask, maskPres)) return kRectNull;
      area = maskPres.frame();
    } else if (drawsOnlyInBounds(model, pres)) {
      area = standardize(pres.properties().bounds);
    } else {
      return kRectNull;
    }
    double x[4] = {minX(area), maxX(area), minX(area), maxX(area)};
    double y[4] = {minY(area), minY(area), maxY(area), maxY(area)};
    for (int i = 0; i < 4; ++i) cairo_user_to_device(cr_, &x[i], &y[i]);
    const double x0 = std::floor(*std::min_element(x, x + 4));
    const double y0 = std::floor(*std::min_element(y, y + 4));
    const double x1 = std::ceil(*std::max_element(x, x + 4));
    const double y1 = std::ceil(*std::max_element(y, y + 4));
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) {
      return kRectNull;
    }
    cairo_save(cr_);
    cairo_identity_matrix(cr_);
    cairo_new_path(cr_);
    cairo_rectangle(cr_, x0, y0, x1 - x0, y1 - y0);
    cairo_restore(cr_);  // the path stays, in device space
    cairo_clip(cr_);
    return makeRect(x0, y0, x1 - x0, y1 - y0);
  }

  // In zPosition order, equal ones in tree order. Most trees keep every zPosition at 0, so the
  // common case neither copies nor sorts; the rest sort in one scratch buffer shared by the
  // whole paint (each level uses the stretch past its parent's).
  void paintSublayers(const Layer& model) {
    const auto& sublayers = model.sublayers();
    const bool flat = std::all_of(sublayers.begin(), sublayers.end(), [&](const auto& s) {
      return s->zPosition() == sublayers.front()->zPosition();
    });
    if (flat) {
      for (const auto& s : sublayers) paintPlaced(*s);
      return;
    }
    const std::size_t start = order_.size();
    for (const auto& s : sublayers) order_.push_back(s.get());
    std::stable_sort(
        order_.begin() + static_cast<std::ptrdiff_t>(start), order_.end(),
        [](const Layer* a, const Layer* b) { return a->zPosition() < b->zPosition(); });
    for (std::size_t i = start; i < start + sublayers.size(); ++i) paintPlaced(*order_[i]);
    order_.resize(start);
  }

  void paintContents(const LayerProperties& p) {
    const Image& image = *p.contents;
    if (!image.bitmap()) return;
    const Size pts = image.size();
    const double k = image.scale() / p.contentsScale;  // contents are sized by contentsScale
    const Rect dest = gravityRect(p.bounds, {pts.width * k, pts.height * k}, p.contentsGravity);
    if (p.contents == substitute_.image) {
      context_.fillImage(substitute_.pixels, image, dest);
    } else {
      context_.drawImage(image, dest);
    }
  }

  // Whether nothing below `layer` shows through its bounds once it is painted: an opaque flat
  // fill with nothing (opacity, a mask, animations, rounded corners) letting the pixels below
  // mix in.
  static bool coversOpaquely(const Layer& layer) {
    const LayerProperties& p = layer.properties();
    return !layer.hasAnimations() && !p.hidden && p.opacity >= 1 && !layer.mask() &&
           p.backgroundColor.a >= 1 && !p.backgroundColor.patternImage() && p.cornerRadius <= 0;
  }

  // Takes out of the background path (a rectangle of `bounds`) the whole target pixels that an
  // opaque sublayer paints over anyway: a table's rows cover the table, and filling the screen
  // twice costs as much as the rows' text. Only while no layer blurs its backdrop (the one kind
  // of drawing that reads pixels around those it covers).
  void cutCoveredPixels(const Layer& model, const Rect& bounds) {
    if (model.sublayers().empty() || Layer::anyBlursBackdrop()) return;
    cairo_matrix_t ctm;
    cairo_get_matrix(cr_, &ctm);
    if (ctm.xy != 0 || ctm.yx != 0 || !(ctm.xx > 0) || !(ctm.yy > 0)) return;
    cairo_region_t* covered = nullptr;
    for (const auto& sublayer : model.sublayers()) {
      if (!coversOpaquely(*sublayer)) continue;
      const Transform3D m = sublayer->transformToSuperlayer();
      if (m.m11 != 1 || m.m22 != 1 || m.m12 != 0 || m.m21 != 0) continue;
      const Rect r = intersection(offsetBy(standardize(sublayer->bounds()), m.m41, m.m42),
                                  standardize(bounds));
      if (isNull(r) || isEmpty(r)) continue;
      double x0 = minX(r), y0 = minY(r), x1 = maxX(r), y1 = maxY(r);
      cairo_user_to_device(cr_, &x0, &y0);
      cairo_user_to_device(cr_, &x1, &y1);
      // Only pixels wholly inside: the edges' partly covered pixels keep their background.
      const double left = std::ceil(x0), top = std::ceil(y0), right = std::floor(x1),
                   bottom = std::floor(y1);
      if (!(right > left && bottom > top) || !(right - left < 1e7 && bottom - top < 1e7) ||
          !(std::fabs(left) < 1e7 && std::fabs(top) < 1e7)) {
        continue;
      }
      if (!covered) covered = cairo_region_create();
      const cairo_rectangle_int_t box{static_cast<int>(left), static_cast<int>(top),
                                      static_cast<int>(right - left),
                                      static_cast<int>(bottom - top)};
      cairo_region_union_rectangle(covered, &box);
    }
    if (!covered) return;
    // Each covered box, wound against the background's rectangle, becomes a hole in it.
    cairo_save(cr_);
    cairo_identity_matrix(cr_);
    for (int i = 0, n = cairo_region_num_rectangles(covered); i < n; ++i) {
      cairo_rectangle_int_t box;
      cairo_region_get_rectangle(covered, i, &box);
      cairo_move_to(cr_, box.x, box.y);
      cairo_rel_line_to(cr_, 0, box.height);
      cairo_rel_line_to(cr_, box.width, 0);
      cairo_rel_line_to(cr_, 0, -box.height);
      cairo_close_path(cr_);
    }
    cairo_restore(cr_);  // the path stays, in device space
    cairo_region_destroy(covered);
  }

  // A layer whose delegate draws in place: straight into the target where the layer's pixels
  // line up with the target's, else through the contents it would otherwise keep. Inside a group (a
  // fading or masked layer) the pixels below may be partly transparent, where drawing the parts of
  // the text one by one rounds differently from drawing them together first: there the contents
  // keep the picture exactly as it was.
  void paintInPlace(const Layer& model, const LayerProperties& p) {
    const Rect& b = p.bounds;
    if (groups_ == 0 && linesUp(b, p.contentsScale) && b.size == model.bounds().size) {
      cairo_save(cr_);
      cairo_new_path(cr_);
      cairo_rectangle(cr_, b.origin.x, b.origin.y, b.size.width, b.size.height);
      cairo_clip(cr_);  // all a bitmap of the bounds could have held
      model.drawInPlace(context_);
      cairo_restore(cr_);
      return;
    }
    // The model's own drawing, placed in the presentation's bounds.
    LayerProperties shown = p;
    shown.contents = const_cast<Layer&>(model).inPlaceContents();
    if (!shown.contents) return;
    shown.contentsGravity = model.contentsGravity();
    shown.contentsScale = model.contentsScale();
    paintContents(shown);
  }

  // Whether `bounds` cover whole target pixels, one bitmap pixel each at `scale`: no turn,
  // the scale itself, the corner on a pixel.
  bool linesUp(const Rect& bounds, double scale) const {
    cairo_matrix_t ctm;
    cairo_get_matrix(cr_, &ctm);
    if (ctm.xy != 0 || ctm.yx != 0 || ctm.xx != scale || ctm.yy != scale) return false;
    const double w = bounds.size.width * scale, h = bounds.size.height * scale;
    if (w != std::floor(w) || h != std::floor(h)) return false;
    double x = bounds.origin.x, y = bounds.origin.y;
    cairo_user_to_device(cr_, &x, &y);
    return x == std::floor(x) && y == std::floor(y);
  }

  void finishGroup(const Layer& model, double opacity) {
    cairo_pattern_t* content = cairo_pop_group(cr_);
    --groups_;
    if (model.mask()) {
      cairo_push_group(cr_);
      paintPlaced(*model.mask());
      cairo_pattern_t* mask = cairo_pop_group(cr_);
      cairo_push_group(cr_);
      cairo_set_source(cr_, content);
      cairo_mask(cr_, mask);
      cairo_pattern_destroy(mask);
      cairo_pattern_destroy(content);
      content = cairo_pop_group(cr_);
    }
    cairo_set_source(cr_, content);
    cairo_paint_with_alpha(cr_, std::min(1.0, opacity));
    cairo_pattern_destroy(content);
  }

  void paintBackdrop(const LayerProperties& p);

  bool paintThroughImageMask(const Layer& model, const Layer& pres);
  static bool drawsShapeOnly(const Layer& model, const Layer& pres);
  static bool drawsImageOnly(const Layer& model, const Layer& pres);
  bool groupsLineUp() const;
  bool isClearOfPartialClips(const ShapeLayer& shape) const;
  bool isClipOnWholePixels() const;
  bool fillsBoxAlike(const ShapeLayer& shape, const Layer& maskPres, const Rect& box);
  void fillMaskBox(const Layer& maskPres, cairo_pattern_t* source, const Rect& box);
  static Rect paintedBounds(const ShapeLayer& shape);
  static double paintReach(const ShapeLayer& shape);
  bool isWellInside(const ShapeLayer& shape, const cairo_matrix_t& placement,
                    const Rect& rect) const;
  Rect deviceBox(const Rect& rect) const;
  void noteClip(const Rect& rect, double cornerRadius);

  // An image drawn with other pixels of the same size and orientation: a mask's coverage in a
  // colour, while its group is drawn.
  struct Substitute {
    std::shared_ptr<Image> image;
    cairo_pattern_t* pixels = nullptr;
  };

  Context& context_;
  cairo_t* cr_;
  TimeInterval time_;
  bool maskShortcuts_;
  Substitute substitute_;
  // For each clip in force that covers some pixels partly, the device box it covers wholly.
  std::vector<Rect> partialClips_;
  std::vector<const Layer*> order_;
  int groups_ = 0;  // groups pushed and not yet popped
};

// A shape layer masked by a plain image layer, making one paint (a fill or a stroke) in an exact
// colour (MaskSourceCache::isExact). The general way fills a group with the paint, another with
// the image, masks the one with the other into a third and paints that. Here the image's group
// holds its coverage in the paint's colour, and the shape paints once with that group as its
// source: every pixel gets the same products (coverage × colour × mask, each exact for such a
// colour), so the pixels are the same with one surface instead of three and two composites fewer.
// The mask's group keeps the general way's clip and sampling, which decide its pixels.
bool Painter::paintThroughImageMask(const Layer& model, const Layer& pres) {
  // Exactly a shape layer: a subclass may draw more than its one paint.
  if (!maskShortcuts_ || typeid(pres) != typeid(ShapeLayer) || !drawsShapeOnly(model, pres)) {
    return false;
  }
  const auto* shape = static_cast<const ShapeLayer*>(&pres);
  const std::optional<Color> color = shape->soleColor();
  if (!color || !MaskSourceCache::isExact(*color)) return false;
  const Layer& mask = *model.mask();
  std::shared_ptr<Layer> copy = mask.hasAnimations() ? mask.presentationAt(time_) : nullptr;
  const Layer& maskPres = copy ? *copy : mask;
  if (!drawsImageOnly(mask, maskPres) || !groupsLineUp() || !isClearOfPartialClips(*shape)) {
    return false;
  }
  cairo_save(cr_);
  const Rect box = clipToDrawnArea(model, pres);
  cairo_pattern_t* source = maskSources().source(maskPres.properties().contents->bitmap(), *color);
  const bool fillBox = fillsBoxAlike(*shape, maskPres, box);
  cairo_push_group(cr_);
  ++groups_;
  if (fillBox) {
    fillMaskBox(maskPres, source, centredAround(box, deviceBox(paintedBounds(*shape))));
  } else {
    substitute_ = {maskPres.properties().contents, source};
    paintPlaced(mask, maskPres);
    substitute_ = {};
  }
  --groups_;
  cairo_pattern_t* coverage = cairo_pop_group(cr_);
  shape->renderContentWithSource(cr_, coverage);
  cairo_pattern_destroy(coverage);
  cairo_restore(cr_);
  return true;
}

// The mask's placement in the shape's coordinates; false for one that shows nothing.
bool maskPlacement(const Layer& maskPres, cairo_matrix_t* placement) {
  const Transform3D m = maskPres.transformToSuperlayer();
  cairo_matrix_init(placement, m.m11, m.m12, m.m21, m.m22, m.m41, m.m42);
  cairo_matrix_t inverse = *placement;
  return cairo_matrix_invert(&inverse) == CAIRO_STATUS_SUCCESS && std::isfinite(m.m41) &&
         std::isfinite(m.m42);
}

// Whether filling the group's whole device box with the turned image gives every pixel the shape
// paints the value the general way's fill of the turned rect gives it. Cairo samples a turned
// image according to the operation's extents, so the rect must span exactly the box; and the
// shape's pixels must lie wholly inside the rect, where its fill covers fully. One rectangle on
// whole pixels is one composite, where the turned rect is one per row.
bool Painter::fillsBoxAlike(const ShapeLayer& shape, const Layer& maskPres, const Rect& box) {
  const LayerProperties& p = maskPres.properties();
  cairo_matrix_t placement;
  if (isNull(box) || p.hidden || p.opacity < 1 || p.masksToBounds ||
      p.contentsGravity != ContentsGravity::Resize || !maskPlacement(maskPres, &placement)) {
    return false;
  }
  const Rect rect = standardize(p.bounds);
  cairo_save(cr_);
  cairo_transform(cr_, &placement);
  double x[4] = {minX(rect), maxX(rect), minX(rect), maxX(rect)};
  double y[4] = {minY(rect), minY(rect), maxY(rect), maxY(rect)};
  bool nearWhole = false;  // Cairo's fixed point could round such a corner across a pixel edge
  for (int i = 0; i < 4; ++i) {
    cairo_user_to_device(cr_, &x[i], &y[i]);
    const double dx = std::fabs(x[i] - std::round(x[i])), dy = std::fabs(y[i] - std::round(y[i]));
    nearWhole = nearWhole || (dx > 0 && dx < 1.0 / 128) || (dy > 0 && dy < 1.0 / 128);
  }
  const Rect rectBox = makeRect(std::floor(*std::min_element(x, x + 4)),
                                std::floor(*std::min_element(y, y + 4)), 0, 0);
  const bool spans = !nearWhole && minX(rectBox) == minX(box) && minY(rectBox) == minY(box) &&
                     std::ceil(*std::max_element(x, x + 4)) == maxX(box) &&
                     std::ceil(*std::max_element(y, y + 4)) == maxY(box);
  cairo_restore(cr_);
  return spans && isWellInside(shape, placement, rect);
}

// Whether every pixel the shape's paint can touch lies wholly inside `rect`, in the mask's
// coordinates placed by `placement`: each point defining the path (whose hull holds it) lies
// inside by the paint's reach and two device pixels more. Needs a device without turn.
bool Painter::isWellInside(const ShapeLayer& shape, const cairo_matrix_t& placement,
                           const Rect& rect) const {
  cairo_matrix_t ctm;
  cairo_get_matrix(cr_, &ctm);
  const double perPixel = 1 / std::min(std::fabs(ctm.xx), std::fabs(ctm.yy));
  const double margin = paintReach(shape) + 2 * perPixel;
  Point corner[4] = {{minX(rect), minY(rect)},
                     {maxX(rect), minY(rect)},
                     {maxX(rect), maxY(rect)},
                     {minX(rect), maxY(rect)}};
  for (Point& c : corner) cairo_matrix_transform_point(&placement, &c.x, &c.y);
  const double turn = placement.xx * placement.yy - placement.xy * placement.yx > 0 ? 1 : -1;
  if (!(margin >= 0) || !std::isfinite(margin)) return false;
  for (const Path::Element& e : shape.path().elements()) {
    const int points = e.type == Path::ElementType::CurveTo ? 3
                       : e.type == Path::ElementType::Close ? 0
                                                            : 1;
    for (int k = 0; k < points; ++k) {
      const Point p = e.points[k];
      for (int i = 0; i < 4; ++i) {
        const Point a = corner[i], b = corner[(i + 1) % 4];
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        const double inward = turn * ((b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x));
        if (!(inward >= margin * length)) return false;
      }
    }
  }
  return true;
}

// Fills the device box with the turned image's coverage, the source set where the general way
// sets it (in the mask's coordinates).
void Painter::fillMaskBox(const Layer& maskPres, cairo_pattern_t* source, const Rect& box) {
  const LayerProperties& p = maskPres.properties();
  cairo_matrix_t placement;
  maskPlacement(maskPres, &placement);
  cairo_save(cr_);
  cairo_transform(cr_, &placement);
  const cairo_matrix_t toPixels = Context::imageMatrix(*p.contents, standardize(p.bounds));
  cairo_pattern_set_matrix(source, &toPixels);
  cairo_set_source(cr_, source);
  cairo_identity_matrix(cr_);
  cairo_rectangle(cr_, minX(box), minY(box), width(box), height(box));
  cairo_fill(cr_);
  cairo_restore(cr_);
}

// Whether the layer shows nothing but its shape layer's content: no background, border,
// contents, sublayers, fading, blur or clip.
bool Painter::drawsShapeOnly(const Layer& model, const Layer& pres) {
  const LayerProperties& p = pres.properties();
  return model.sublayers().empty() && p.opacity >= 1 && p.backgroundColor.isClear() &&
         (p.borderWidth <= 0 || p.borderColor.isClear()) && !p.contents && !model.drawsInPlace() &&
         p.backdropBlurRadius <= 0 && !p.masksToBounds;
}

// Whether everything the layer draws is its contents image (at any opacity): then a group of it
// holds, in every channel, what the image's alpha makes of it.
bool Painter::drawsImageOnly(const Layer& model, const Layer& pres) {
  const LayerProperties& p = pres.properties();
  return typeid(model) == typeid(Layer) && model.sublayers().empty() && !model.mask() &&
         p.backgroundColor.isClear() && (p.borderWidth <= 0 || p.borderColor.isClear()) &&
         p.contents && p.contents->bitmap() && p.contents->bitmap()->width() > 0 &&
         p.contents->bitmap()->height() > 0 && !model.drawsInPlace() && p.backdropBlurRadius <= 0;
}

// Whether a group drawn here comes back onto whole target pixels, unsampled: the user space's
// round trip through the device is exactly the identity, as it is for whole-pixel translations
// and power-of-two scales. Otherwise the group's pattern is resampled, and how depends on the
// operation's extents, which the shortcut changes.
bool Painter::groupsLineUp() const {
  cairo_matrix_t ctm, inverse, roundTrip;
  cairo_get_matrix(cr_, &ctm);
  double x0 = 0, y0 = 0, xx = 1, yx = 0, xy = 0, yy = 1;
  cairo_device_to_user(cr_, &x0, &y0);  // reads the inverse Cairo keeps, not a fresh one
  cairo_device_to_user_distance(cr_, &xx, &yx);
  cairo_device_to_user_distance(cr_, &xy, &yy);
  cairo_matrix_init(&inverse, xx, yx, xy, yy, x0, y0);
  cairo_matrix_multiply(&roundTrip, &inverse, &ctm);
  return roundTrip.xx == 1 && roundTrip.yx == 0 && roundTrip.xy == 0 && roundTrip.yy == 1 &&
         roundTrip.x0 == 0 && roundTrip.y0 == 0;
}

// Where a clip covers part of a pixel, the general way applies that part once per composite and
// the shortcut fewer times. Clips on whole pixels cover each fully or not at all; for the others
// the painter keeps the device box of pixels each covers wholly, and the shape's paint must stay
// inside it.
bool Painter::isClearOfPartialClips(const ShapeLayer& shape) const {
  if (partialClips_.empty()) return true;
  const Rect device = deviceBox(paintedBounds(shape));
  if (isNull(device)) return false;
  return std::all_of(partialClips_.begin(), partialClips_.end(),
                     [&](const Rect& inside) { return contains(inside, device); });
}

// How far the shape's one paint reaches past its path: half a stroke, more at miters and square
// caps; nothing for a fill.
double Painter::paintReach(const ShapeLayer& shape) {
  if (!shape.fillColor().isClear()) return 0;
  double reach = shape.lineWidth() / 2;
  if (shape.lineJoin() == LineJoin::Miter) reach *= std::max(1.0, shape.miterLimit());
  if (shape.lineCap() == LineCap::Square) reach *= 1.5;  // past the corner's half-diagonal
  return reach;
}

// A box around all the shape's one paint can touch, in its coordinates: the box of the points
// defining the path (ends and curve controls, whose hull holds it), grown by the paint's reach.
Rect Painter::paintedBounds(const ShapeLayer& shape) {
  Rect box = kRectNull;
  for (const Path::Element& e : shape.path().elements()) {
    const int points = e.type == Path::ElementType::CurveTo ? 3
                       : e.type == Path::ElementType::Close ? 0
                                                            : 1;
    for (int k = 0; k < points; ++k) {
      box = unionRect(box, makeRect(e.points[k].x, e.points[k].y, 0, 0));
    }
  }
  if (isNull(box)) return box;
  const double reach = paintReach(shape);
  return insetBy(box, -reach, -reach);
}

// The whole device pixels around `rect` (user space), one more each side; a null rect when it
// is not finite.
Rect Painter::deviceBox(const Rect& rect) const {
  double x[4] = {minX(rect), maxX(rect), minX(rect), maxX(rect)};
  double y[4] = {minY(rect), minY(rect), maxY(rect), maxY(rect)};
  for (int i = 0; i < 4; ++i) cairo_user_to_device(cr_, &x[i], &y[i]);
  const double x0 = std::floor(*std::min_element(x, x + 4)) - 1;
  const double y0 = std::floor(*std::min_element(y, y + 4)) - 1;
  const double x1 = std::ceil(*std::max_element(x, x + 4)) + 1;
  const double y1 = std::ceil(*std::max_element(y, y + 4)) + 1;
  if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) {
    return kRectNull;
  }
  return makeRect(x0, y0, x1 - x0, y1 - y0);
}

// Whether the clip in force covers every device pixel fully or not at all.
bool Painter::isClipOnWholePixels() const {
  cairo_rectangle_list_t* list = cairo_copy_clip_rectangle_list(cr_);
  bool whole = list->status == CAIRO_STATUS_SUCCESS;
  for (int i = 0; whole && i < list->num_rectangles; ++i) {
    const cairo_rectangle_t& r = list->rectangles[i];
    double x[2] = {r.x, r.x + r.width}, y[2] = {r.y, r.y + r.height};
    for (int k = 0; k < 2; ++k) {
      cairo_user_to_device(cr_, &x[k], &y[k]);
      whole = whole && x[k] == std::floor(x[k]) && y[k] == std::floor(y[k]);
    }
  }
  cairo_rectangle_list_destroy(list);
  return whole;
}

// Records the clip just set to a rounded rect: nothing when it falls on whole pixels, else the
// device pixels it covers wholly (inside the corners' reach), or none when it is turned.
void Painter::noteClip(const Rect& rect, double cornerRadius) {
  cairo_matrix_t ctm;
  cairo_get_matrix(cr_, &ctm);
  const Rect r = standardize(rect);
  if (ctm.xy != 0 || ctm.yx != 0) {
    partialClips_.push_back(Rect{});
    return;
  }
  double x0 = minX(r), y0 = minY(r), x1 = maxX(r), y1 = maxY(r);
  cairo_user_to_device(cr_, &x0, &y0);
  cairo_user_to_device(cr_, &x1, &y1);
  const bool whole =
      x0 == std::floor(x0) && y0 == std::floor(y0) && x1 == std::floor(x1) && y1 == std::floor(y1);
  if (whole && cornerRadius <= 0) return;
  const double inset = std::clamp(cornerRadius, 0.0, std::min(width(r), height(r)) / 2);
  double ix0 = minX(r) + inset, iy0 = minY(r) + inset, ix1 = maxX(r) - inset, iy1 = maxY(r) - inset;
  cairo_user_to_device(cr_, &ix0, &iy0);
  cairo_user_to_device(cr_, &ix1, &iy1);
  const double left = std::ceil(std::min(ix0, ix1)), top = std::ceil(std::min(iy0, iy1));
  const double right = std::floor(std::max(ix0, ix1)), bottom = std::floor(std::max(iy0, iy1));
  partialClips_.push_back(right > left && bottom > top && std::isfinite(right - left) &&
                                  std::isfinite(bottom - top)
                              ? makeRect(left, top, right - left, bottom - top)
                              : Rect{});
}

// Blurs the pixels already drawn under the layer's bounds, in device space, and puts them back
// clipped to the layer's shape.
void Painter::paintBackdrop(const LayerProperties& p) {
  cairo_surface_t* target = cairo_get_group_target(cr_);
  if (cairo_surface_get_type(target) != CAIRO_SURFACE_TYPE_IMAGE) return;
  double ox = 0, oy = 0;
  cairo_surface_get_device_offset(target, &ox, &oy);
  cairo_new_path(cr_);
  roundedRectPath(cr_, p.bounds, p.cornerRadius);
  double x0, y0, x1, y1;
  cairo_path_extents(cr_, &x0, &y0, &x1, &y1);
  cairo_user_to_device(cr_, &x0, &y0);
  cairo_user_to_device(cr_, &x1, &y1);
  const int sw = cairo_image_surface_get_width(target), sh = cairo_image_surface_get_height(target);
  const int px0 = std::clamp(static_cast<int>(std::floor(std::min(x0, x1) + ox)), 0, sw);
  const int py0 = std::clamp(static_cast<int>(std::floor(std::min(y0, y1) + oy)), 0, sh);
  const int px1 = std::clamp(static_cast<int>(std::ceil(std::max(x0, x1) + ox)), 0, sw);
  const int py1 = std::clamp(static_cast<int>(std::ceil(std::max(y0, y1) + oy)), 0, sh);
  if (px1 <= px0 || py1 <= py0) return;
  cairo_surface_flush(target);
  cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, px1 - px0, py1 - py0);
  const unsigned char* src = cairo_image_surface_get_data(target);
  unsigned char* dst = cairo_image_surface_get_data(copy);
  const std::ptrdiff_t srcStride = cairo_image_surface_get_stride(target);
  const std::ptrdiff_t dstStride = cairo_image_surface_get_stride(copy);
  for (std::ptrdiff_t y = py0; y < py1; ++y) {
    std::copy_n(src + y * srcStride + std::ptrdiff_t{px0} * 4, (px1 - px0) * 4,
                dst + (y - py0) * dstStride);
  }
  double sx = 1, sy = 0;
  cairo_user_to_device_distance(cr_, &sx, &sy);
  const int radius = static_cast<int>(std::lround(p.backdropBlurRadius * std::hypot(sx, sy) / 3));
  boxBlur(reinterpret_cast<std::uint32_t*>(dst), px1 - px0, py1 - py0, dstStride / 4, radius);
  cairo_surface_mark_dirty(copy);
  cairo_save(cr_);
  cairo_clip(cr_);  // the shape path is still current, kept in device space
  cairo_identity_matrix(cr_);
  cairo_set_source_surface(cr_, copy, px0 - ox, py0 - oy);
  cairo_paint(cr_);
  cairo_restore(cr_);
  cairo_surface_destroy(copy);
}

// Whether painting `layer` leaves every pixel of `rect` (its bounds coordinates) opaque whatever
// was there before: it or a sublayer fills the rect with an opaque colour, reached through plain
// translations with nothing (opacity, a mask, animations) mixing it with what lies below.
bool paintsOver(const Layer& layer, const Rect& rect, int depth) {
  const LayerProperties& p = layer.properties();
  if (layer.hasAnimations() || p.hidden || p.opacity < 1 || layer.mask()) return false;
  if (p.backgroundColor.a >= 1 && p.cornerRadius <= 0 && contains(standardize(p.bounds), rect)) {
    return true;
  }
  if (depth == 0 || (p.masksToBounds && (p.cornerRadius > 0 || !contains(p.bounds, rect)))) {
    return false;
  }
  for (const auto& sublayer : layer.sublayers()) {
    const Transform3D m = sublayer->transformToSuperlayer();
    if (m.m11 != 1 || m.m22 != 1 || m.m12 != 0 || m.m21 != 0) continue;
    if (paintsOver(*sublayer, offsetBy(rect, -m.m41, -m.m42), depth - 1)) return true;
  }
  return false;
}

// Whether whole pixels hold `size` at `scale`, so a fill of it reaches every pixel fully.
bool fillsWholePixels(Size size, double scale) {
  return std::floor(size.width * scale) == size.width * scale &&
         std::floor(size.height * scale) == size.height * scale;
}

RenderTarget& defaultTarget() {
  thread_local RenderTarget target;
  return target;
}

}  // namespace

void renderLayerInContext(Layer& layer, Context& context, TimeInterval time) {
  layer.displayTreeIfNeeded();
  auto pres = layer.presentationAt(time);
  Painter(context, time).paintBody(layer, *pres);
}

void renderSublayerInContext(Layer& layer, Context& context, TimeInterval time) {
  layer.displayTreeIfNeeded();
  Painter(context, time).paintPlaced(layer);
}

std::size_t keptMaskSources() { return maskSources().size(); }

std::shared_ptr<Image> renderLayer(Layer& layer, const RenderOptions& options) {
  return renderLayer(layer, defaultTarget(), options);
}

std::shared_ptr<Image> renderLayer(Layer& layer, RenderTarget& target,
                                   const RenderOptions& options) {
  const TimeInterval time = options.time.value_or(Clock::current().now());
  layer.displayTreeIfNeeded();
  // Only an animated root needs a presentation copy, like every layer below it.
  std::shared_ptr<Layer> copy = layer.hasAnimations() ? layer.presentationAt(time) : nullptr;
  const Layer& pres = copy ? *copy : layer;
  const Rect b = standardize(pres.bounds());
  if (!std::isfinite(b.size.width) || !std::isfinite(b.size.height)) return nullptr;
  const double scale = options.scale == 0 ? Screen::main().scale() : options.scale;
  // Erasing a screenful costs about as much as drawing a simple one: skipped when the
  // background or the tree paints over every pixel anyway.
  constexpr int kDepth = 3;  // a window, its root view and that view's subviews
  const bool erase = !fillsWholePixels(b.size, scale) ||
                     !(options.background.a >= 1 || paintsOver(layer, b, kDepth));
  Context* context = target.begin(b.size, scale, erase);
  if (!context) return nullptr;
  if (!options.background.isClear()) {
    context->fillRect(makeRect(0, 0, b.size.width, b.size.height), options.background);
  }
  cairo_translate(context->cairo(), -b.origin.x, -b.origin.y);
  Painter(*context, time, options.maskShortcuts).paintBody(layer, pres);
  return target.finish();  // the image shares the target's pixels
}

}  // namespace platform
