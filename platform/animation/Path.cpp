#include "platform/animation/Path.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

namespace platform {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2 * kPi;
// Arcs may wind several times (trimming follows every turn), but not without end.
constexpr double kMaxSweep = 64 * kTwoPi;
// A cubic is measured (and walked by distance) as this many chords; plenty for the quarter-turn
// quarter-turn cubics arcs are made of.
constexpr int kCubicSamples = 32;

Point lerp(Point a, Point b, double t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }
double distance(Point a, Point b) { return std::hypot(b.x - a.x, b.y - a.y); }

Point cubicAt(const Point p[4], double t) {
  const double u = 1 - t;
  const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
  return {a * p[0].x + b * p[1].x + c * p[2].x + d * p[3].x,
          a * p[0].y + b * p[1].y + c * p[2].y + d * p[3].y};
}

// de Casteljau: the part of the cubic between t0 and t1.
void subCubic(const Point p[4], double t0, double t1, Point out[4]) {
  auto splitLeft = [](const Point q[4], double t, Point r[4]) {  // keeps [0, t]
    const Point a = lerp(q[0], q[1], t), b = lerp(q[1], q[2], t), c = lerp(q[2], q[3], t);
    const Point d = lerp(a, b, t), e = lerp(b, c, t);
    r[0] = q[0];
    r[1] = a;
    r[2] = d;
    r[3] = lerp(d, e, t);
  };
  auto splitRight = [](const Point q[4], double t, Point r[4]) {  // keeps [t, 1]
    const Point a = lerp(q[0], q[1], t), b = lerp(q[1], q[2], t), c = lerp(q[2], q[3], t);
    const Point d = lerp(a, b, t), e = lerp(b, c, t);
    r[0] = lerp(d, e, t);
    r[1] = e;
    r[2] = c;
    r[3] = q[3];
  };
  Point left[4];
  splitLeft(p, t1, left);
  if (t1 <= 0) {
    for (int i = 0; i < 4; ++i) out[i] = p[0];
    return;
  }
  splitRight(left, t0 / t1, out);
}

// One drawable stretch of the outline: a line (p[0] → p[3]) or a cubic, with the lengths needed to
// walk it by distance.
struct Segment {
  bool cubic = false;
  bool startsSubpath = false;
  Point p[4];
  double length = 0;
  std::vector<double> cumulative;  // cubic only: length at t = i / kCubicSamples
};

std::vector<Segment> segmentsOf(const std::vector<Path::Element>& elements) {
  std::vector<Segment> out;
  Point current, start;
  bool fresh = true;
  for (const Path::Element& e : elements) {
    Segment s;
    switch (e.type) {
      case Path::ElementType::MoveTo:
        current = start = e.points[0];
        fresh = true;
        continue;
      case Path::ElementType::Close:
        if (current == start) {
          fresh = true;
          continue;
        }
        [[fallthrough]];
      case Path::ElementType::LineTo: {
        const Point to = e.type == Path::ElementType::Close ? start : e.points[0];
        s.p[0] = current;
        s.p[3] = to;
        s.length = distance(current, to);
        current = to;
        break;
      }
      case Path::ElementType::CurveTo: {
        s.cubic = true;
        s.p[0] = current;
        s.p[1] = e.points[0];
        s.p[2] = e.points[1];
        s.p[3] = e.points[2];
        s.cumulative.resize(kCubicSamples + 1);
        Point prev = s.p[0];
        for (int i = 1; i <= kCubicSamples; ++i) {
          const Point q = cubicAt(s.p, static_cast<double>(i) / kCubicSamples);
          s.cumulative[i] = s.cumulative[i - 1] + distance(prev, q);
          prev = q;
        }
        s.length = s.cumulative.back();
        current = s.p[3];
        break;
      }
    }
    s.startsSubpath = fresh;
    fresh = e.type == Path::ElementType::Close;
    out.push_back(std::move(s));
  }
  return out;
}

// The curve parameter at distance `d` along a cubic segment.
double parameterAt(const Segment& s, double d) {
  if (d <= 0) return 0;
  if (d >= s.length) return 1;
  const auto it = std::lower_bound(s.cumulative.begin(), s.cumulative.end(), d);
  const auto i = static_cast<int>(it - s.cumulative.begin());
  const double before = s.cumulative[i - 1], span = s.cumulative[i] - before;
  const double f = span > 0 ? (d - before) / span : 0;
  return (i - 1 + f) / kCubicSamples;
}

}  // namespace

Path Path::rect(const Rect& r) {
  Path p;
  p.addRect(r);
  return p;
}

Path Path::roundedRect(const Rect& r, double cornerRadius) {
  Path p;
  p.addRoundedRect(r, cornerRadius);
  return p;
}

Path Path::ellipse(const Rect& r) {
  Path p;
  p.addEllipse(r);
  return p;
}

Path Path::arc(Point center, double radius, double startAngle, double endAngle, bool clockwise) {
  Path p;
  p.addArc(center, radius, startAngle, endAngle, clockwise);
  return p;
}

void Path::moveTo(Point p) {
  elements_.push_back({ElementType::MoveTo, {p, {}, {}}});
  current_ = subpathStart_ = p;
  hasCurrent_ = true;
}

void Path::ensureStart(Point p) {
  if (!hasCurrent_) moveTo(p);
}

void Path::lineTo(Point p) {
  ensureStart(p);
  elements_.push_back({ElementType::LineTo, {p, {}, {}}});
  current_ = p;
}

void Path::quadCurveTo(Point control, Point end) {
  ensureStart(control);
  const Point c1 = lerp(current_, control, 2.0 / 3.0);
  const Point c2 = lerp(end, control, 2.0 / 3.0);
  curveTo(c1, c2, end);
}

void Path::curveTo(Point control1, Point control2, Point end) {
  ensureStart(control1);
  elements_.push_back({ElementType::CurveTo, {control1, control2, end}});
  current_ = end;
}

void Path::close() {
  if (!hasCurrent_) return;
  elements_.push_back({ElementType::Close, {}});
  current_ = subpathStart_;
}

void Path::addRect(const Rect& r) {
  const Rect s = standardize(r);
  moveTo(s.origin);
  lineTo({maxX(s), minY(s)});
  lineTo({maxX(s), maxY(s)});
  lineTo({minX(s), maxY(s)});
  close();
}

void Path::addRoundedRect(const Rect& r, double cornerRadius) {
  const Rect s = standardize(r);
  const double radius = std::clamp(cornerRadius, 0.0, std::min(width(s), height(s)) / 2);
  if (radius <= 0) {
    addRect(s);
    return;
  }
  const double x0 = minX(s), y0 = minY(s), x1 = maxX(s), y1 = maxY(s);
  moveTo({x0 + radius, y0});
  addArc({x1 - radius, y0 + radius}, radius, -kPi / 2, 0, true);
  addArc({x1 - radius, y1 - radius}, radius, 0, kPi / 2, true);
  addArc({x0 + radius, y1 - radius}, radius, kPi / 2, kPi, true);
  addArc({x0 + radius, y0 + radius}, radius, kPi, 3 * kPi / 2, true);
  close();
}

void Path::addEllipse(const Rect& r) {
  const Rect s = standardize(r);
  const double k = 0.5522847498307936;  // 4/3 (sqrt 2 - 1): the quarter-circle control distance
  const double cx = midX(s), cy = midY(s), rx = width(s) / 2, ry = height(s) / 2;
  moveTo({cx + rx, cy});
  curveTo({cx + rx, cy + ry * k}, {cx + rx * k, cy + ry}, {cx, cy + ry});
  curveTo({cx - rx * k, cy + ry}, {cx - rx, cy + ry * k}, {cx - rx, cy});
  curveTo({cx - rx, cy - ry * k}, {cx - rx * k, cy - ry}, {cx, cy - ry});
  curveTo({cx + rx * k, cy - ry}, {cx + rx, cy - ry * k}, {cx + rx, cy});
  close();
}

void Path::addArc(Point center, double radius, double startAngle, double endAngle, bool clockwise) {
  if (!std::isfinite(startAngle) || !std::isfinite(endAngle) || !std::isfinite(radius)) return;
  double sweep = endAngle - startAngle;
  if (clockwise && sweep < 0) {
    sweep = std::fmod(sweep, kTwoPi);
    if (sweep < 0) sweep += kTwoPi;
  } else if (!clockwise && sweep > 0) {
    sweep = std::fmod(sweep, kTwoPi);
    if (sweep > 0) sweep -= kTwoPi;
  }
  const Point start{center.x + radius * std::cos(startAngle),
                    center.y + radius * std::sin(startAngle)};
  if (hasCurrent_) {
    if (!(current_ == start)) lineTo(start);
  } else {
    moveTo(start);
  }
  if (sweep == 0 || radius == 0) return;
  sweep = std::clamp(sweep, -kMaxSweep, kMaxSweep);
  const int segments = static_cast<int>(std::ceil(std::fabs(sweep) / (kPi / 2) - 1e-9));
  const double step = sweep / segments;
  const double k = 4.0 / 3.0 * std::tan(step / 4);
  double a = startAngle;
  for (int i = 0; i < segments; ++i) {
    const double b = a + step;
    const double ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);
    curveTo({center.x + radius * (ca - k * sa), center.y + radius * (sa + k * ca)},
            {center.x + radius * (cb + k * sb), center.y + radius * (sb - k * cb)},
            {center.x + radius * cb, center.y + radius * sb});
    a = b;
  }
}

void Path::addLines(const std::vector<Point>& points) {
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (i == 0) {
      moveTo(points[i]);
    } else {
      lineTo(points[i]);
    }
  }
}

void Path::addPath(const Path& other) {
  for (const Element& e : other.elements_) elements_.push_back(e);
  if (other.hasCurrent_) {
    current_ = other.current_;
    subpathStart_ = other.subpathStart_;
    hasCurrent_ = true;
  }
}

Rect Path::boundingBox() const {
  Rect box = kRectNull;
  auto add = [&box](Point p) { box = unionRect(box, makeRect(p.x, p.y, 0, 0)); };
  for (const Segment& s : segmentsOf(elements_)) {
    add(s.p[0]);
    add(s.p[3]);
    if (!s.cubic) continue;
    for (int i = 1; i < kCubicSamples; ++i) {
      add(cubicAt(s.p, static_cast<double>(i) / kCubicSamples));
    }
  }
  // A lone moveTo still marks a point.
  for (const Element& e : elements_) {
    if (e.type == ElementType::MoveTo) add(e.points[0]);
  }
  return box;
}

Path Path::transformed(const AffineTransform& t) const {
  Path out = *this;
  for (Element& e : out.elements_) {
    for (Point& p : e.points) p = t.apply(p);
  }
  out.current_ = t.apply(current_);
  out.subpathStart_ = t.apply(subpathStart_);
  return out;
}

double Path::length() const {
  double total = 0;
  for (const Segment& s : segmentsOf(elements_)) total += s.length;
  return total;
}

Path Path::trimmed(double startFraction, double endFraction) const {
  startFraction = std::clamp(startFraction, 0.0, 1.0);
  endFraction = std::clamp(endFraction, 0.0, 1.0);
  if (endFraction <= startFraction) return {};
  if (startFraction == 0 && endFraction == 1) return *this;
  const std::vector<Segment> segments = segmentsOf(elements_);
  double total = 0;
  for (const Segment& s : segments) total += s.length;
  const double from = startFraction * total, to = endFraction * total;
  Path out;
  bool connected = false;
  double at = 0;
  for (const Segment& s : segments) {
    const double segStart = at, segEnd = at + s.length;
    at = segEnd;
    if (s.startsSubpath) connected = false;
    if (segEnd < from || segStart > to || s.length == 0) continue;
    const double d0 = std::max(from, segStart) - segStart, d1 = std::min(to, segEnd) - segStart;
    if (!s.cubic) {
      const Point a = lerp(s.p[0], s.p[3], d0 / s.length), b = lerp(s.p[0], s.p[3], d1 / s.length);
      if (!connected) out.moveTo(a);
      out.lineTo(b);
    } else {
      Point part[4];
      subCubic(s.p, parameterAt(s, d0), parameterAt(s, d1), part);
      if (!connected) out.moveTo(part[0]);
      out.curveTo(part[1], part[2], part[3]);
    }
    connected = true;
  }
  return out;
}

bool Path::contains(Point p, bool evenOdd) const {
  // Crossings of a ray towards +x over the flattened outline; every subpath counts as closed.
  int winding = 0, crossings = 0;
  auto edge = [&](Point a, Point b) {
    if ((a.y <= p.y) == (b.y <= p.y)) return;
    const double x = a.x + (p.y - a.y) / (b.y - a.y) * (b.x - a.x);
    if (x <= p.x) return;
    ++crossings;
    winding += b.y > a.y ? 1 : -1;
  };
  Point subStart, last;
  bool open = false;
  for (const Segment& s : segmentsOf(elements_)) {
    if (s.startsSubpath) {
      if (open) edge(last, subStart);
      subStart = s.p[0];
      open = true;
    }
    if (!s.cubic) {
      edge(s.p[0], s.p[3]);
    } else {
      Point prev = s.p[0];
      for (int i = 1; i <= kCubicSamples; ++i) {
        const Point q = cubicAt(s.p, static_cast<double>(i) / kCubicSamples);
        edge(prev, q);
        prev = q;
      }
    }
    last = s.p[3];
  }
  if (open) edge(last, subStart);
  return evenOdd ? (crossings % 2) == 1 : winding != 0;
}

void Path::appendTo(cairo_t* cr) const {
  for (const Element& e : elements_) {
    switch (e.type) {
      case ElementType::MoveTo:
        cairo_move_to(cr, e.points[0].x, e.points[0].y);
        break;
      case ElementType::LineTo:
        cairo_line_to(cr, e.points[0].x, e.points[0].y);
        break;
      case ElementType::CurveTo:
        cairo_curve_to(cr, e.points[0].x, e.points[0].y, e.points[1].x, e.points[1].y,
                       e.points[2].x, e.points[2].y);
        break;
      case ElementType::Close:
        cairo_close_path(cr);
        break;
    }
  }
}

bool Path::operator==(const Path& other) const {
  if (elements_.size() != other.elements_.size()) return false;
  for (std::size_t i = 0; i < elements_.size(); ++i) {
    const Element& a = elements_[i];
    const Element& b = other.elements_[i];
    if (a.type != b.type) return false;
    for (int j = 0; j < 3; ++j) {
      if (!(a.points[j] == b.points[j])) return false;
    }
  }
  return true;
}

}  // namespace platform
