#pragma once

#include <optional>
#include <vector>

#include "platform/animation/Layer.h"
#include "platform/animation/Path.h"

typedef struct _cairo_pattern cairo_pattern_t;

namespace platform {

enum class FillRule { NonZero, EvenOdd };
enum class LineCap { Butt, Round, Square };
enum class LineJoin { Miter, Round, Bevel };

struct ShapeProperties {
  Path path;
  Color fillColor = Color::black();
  FillRule fillRule = FillRule::NonZero;
  Color strokeColor = Color::clear();
  double lineWidth = 1;
  double miterLimit = 10;
  LineCap lineCap = LineCap::Butt;
  LineJoin lineJoin = LineJoin::Miter;
  double strokeStart = 0;
  double strokeEnd = 1;
  std::vector<double> lineDashPattern;
  double lineDashPhase = 0;
};

// Fills and strokes a path in its bounds coordinates, over the background and under the
// sublayers. strokeStart / strokeEnd trim the stroke by length along the whole path (the fill is
// not trimmed); when strokeEnd <= strokeStart no stroke is drawn.
class ShapeLayer : public Layer {
 public:
  static std::shared_ptr<ShapeLayer> create();

  const Path& path() const { return shape_.path; }
  void setPath(Path path) { shape_.path = std::move(path); }
  Color fillColor() const { return shape_.fillColor; }
  void setFillColor(const Color& color);
  FillRule fillRule() const { return shape_.fillRule; }
  void setFillRule(FillRule rule) { shape_.fillRule = rule; }
  Color strokeColor() const { return shape_.strokeColor; }
  void setStrokeColor(const Color& color);
  double lineWidth() const { return shape_.lineWidth; }
  void setLineWidth(double width);
  double miterLimit() const { return shape_.miterLimit; }
  void setMiterLimit(double limit) { shape_.miterLimit = limit; }
  LineCap lineCap() const { return shape_.lineCap; }
  void setLineCap(LineCap cap) { shape_.lineCap = cap; }
  LineJoin lineJoin() const { return shape_.lineJoin; }
  void setLineJoin(LineJoin join) { shape_.lineJoin = join; }
  double strokeStart() const { return shape_.strokeStart; }
  void setStrokeStart(double v);
  double strokeEnd() const { return shape_.strokeEnd; }
  void setStrokeEnd(double v);
  const std::vector<double>& lineDashPattern() const { return shape_.lineDashPattern; }
  void setLineDashPattern(std::vector<double> pattern) {
    shape_.lineDashPattern = std::move(pattern);
  }
  double lineDashPhase() const { return shape_.lineDashPhase; }
  void setLineDashPhase(double phase) { shape_.lineDashPhase = phase; }

  std::optional<AnimationValue> valueForKeyPath(std::string_view keyPath) const override;
  bool setValueForKeyPath(std::string_view keyPath, const AnimationValue& value) override;
  void renderContent(cairo_t* cr) const override;
  // For a renderer that paints the content with another source (a mask's coverage in the
  // colour): the colour of the content's one paint, when it makes only a fill or only a stroke.
  std::optional<Color> soleColor() const;
  // renderContent with `source` in place of the colours; nullptr paints the colours.
  void renderContentWithSource(cairo_t* cr, cairo_pattern_t* source) const;
  bool drawsWithinBounds() const override { return false; }  // a path may go anywhere

 protected:
  ShapeLayer() = default;
  std::shared_ptr<Layer> makeCopy() const override;
  bool isImplicitlyAnimatable(std::string_view key) const override;

 private:
  bool fills() const;
  bool strokes() const;

  ShapeProperties shape_;
};

}  // namespace platform
