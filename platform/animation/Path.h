#pragma once

#include <vector>

#include "platform/graphics/Geometry.h"

typedef struct _cairo cairo_t;

namespace platform {

// A vector outline of subpaths made of lines and cubic curves (quadratic curves, arcs, ellipses
// and rounded corners are stored as cubics). A value type: copies are independent.
class Path {
 public:
  enum class ElementType { MoveTo, LineTo, CurveTo, Close };
  struct Element {
    ElementType type = ElementType::MoveTo;
    Point points[3];  // MoveTo/LineTo: [0]; CurveTo: control 1, control 2, end
  };

  static Path rect(const Rect& r);
  static Path roundedRect(const Rect& r, double cornerRadius);
  static Path ellipse(const Rect& r);
  static Path arc(Point center, double radius, double startAngle, double endAngle, bool clockwise);

  void moveTo(Point p);
  // With no current point these start a subpath at `p` (or the curve's end).
  void lineTo(Point p);
  void quadCurveTo(Point control, Point end);
  void curveTo(Point control1, Point control2, Point end);
  void close();
  void addRect(const Rect& r);
  // The radius is clamped to half the shorter side.
  void addRoundedRect(const Rect& r, double cornerRadius);
  void addEllipse(const Rect& r);
  // Angles in radians from the +x axis; with y down, `clockwise` runs the angle upwards. A sweep
  // of more than one turn is kept (the arc goes round several times), which matters for stroke
  // trimming. A line joins the current point to the arc's start, if there is a current point.
  void addArc(Point center, double radius, double startAngle, double endAngle, bool clockwise);
  void addLines(const std::vector<Point>& points);
  void addPath(const Path& other);

  bool isEmpty() const { return elements_.empty(); }
  const std::vector<Element>& elements() const { return elements_; }
  bool hasCurrentPoint() const { return hasCurrent_; }
  Point currentPoint() const { return current_; }
  // The smallest rect holding every point on the outline (control points excluded); null when
  // empty.
  Rect boundingBox() const;

  Path transformed(const AffineTransform& t) const;
  // The length along every segment, closing lines included.
  double length() const;
  // The part of the outline between two fractions of its length, as open subpaths; empty when
  // end <= start. Fractions are clamped to 0...1.
  Path trimmed(double startFraction, double endFraction) const;
  bool contains(Point p, bool evenOdd = false) const;

  // Replays the outline into `cr` as its current path (the existing path is kept).
  void appendTo(cairo_t* cr) const;

  bool operator==(const Path& other) const;

 private:
  void ensureStart(Point p);

  std::vector<Element> elements_;
  Point current_;
  Point subpathStart_;
  bool hasCurrent_ = false;
};

}  // namespace platform
