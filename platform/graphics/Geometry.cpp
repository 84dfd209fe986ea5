#include "platform/graphics/Geometry.h"

#include <algorithm>

namespace platform {
namespace {

bool isNullOrNaN(const Rect& r) { return isNull(r) || hasNaN(r); }

}  // namespace

Rect integral(const Rect& r) {
  if (isNullOrNaN(r)) return kRectNull;
  const Rect s = standardize(r);
  const double x = std::floor(s.origin.x);
  const double y = std::floor(s.origin.y);
  return Rect{{x, y}, {std::ceil(maxX(s)) - x, std::ceil(maxY(s)) - y}};
}

Rect intersection(const Rect& a, const Rect& b) {
  if (isNullOrNaN(a) || isNullOrNaN(b)) return kRectNull;
  const double x1 = std::max(minX(a), minX(b));
  const double x2 = std::min(maxX(a), maxX(b));
  const double y1 = std::max(minY(a), minY(b));
  const double y2 = std::min(maxY(a), maxY(b));
  if (x2 < x1 || y2 < y1) return kRectNull;
  return Rect{{x1, y1}, {x2 - x1, y2 - y1}};
}

Rect unionRect(const Rect& a, const Rect& b) {
  if (isNullOrNaN(a)) return isNullOrNaN(b) ? kRectNull : standardize(b);
  if (isNullOrNaN(b)) return standardize(a);
  const double x1 = std::min(minX(a), minX(b));
  const double y1 = std::min(minY(a), minY(b));
  const double x2 = std::max(maxX(a), maxX(b));
  const double y2 = std::max(maxY(a), maxY(b));
  return Rect{{x1, y1}, {x2 - x1, y2 - y1}};
}

bool contains(const Rect& r, const Point& p) {
  if (isNullOrNaN(r)) return false;
  return p.x >= minX(r) && p.x < maxX(r) && p.y >= minY(r) && p.y < maxY(r);
}

bool contains(const Rect& outer, const Rect& inner) {
  if (isNullOrNaN(outer) || isNullOrNaN(inner)) return false;
  return minX(inner) >= minX(outer) && maxX(inner) <= maxX(outer) && minY(inner) >= minY(outer) &&
         maxY(inner) <= maxY(outer);
}

bool intersects(const Rect& a, const Rect& b) {
  const Rect i = intersection(a, b);
  return !isNull(i) && i.size.width > 0 && i.size.height > 0;
}

Rect insetBy(const Rect& r, double dx, double dy) {
  if (isNullOrNaN(r) || std::isnan(dx) || std::isnan(dy)) return kRectNull;
  Rect s = standardize(r);
  s.origin.x += dx;
  s.origin.y += dy;
  s.size.width -= 2 * dx;
  s.size.height -= 2 * dy;
  if (s.size.width < 0 || s.size.height < 0) return kRectNull;
  return s;
}

Rect offsetBy(const Rect& r, double dx, double dy) {
  if (isNull(r)) return kRectNull;
  Rect s = standardize(r);
  s.origin.x += dx;
  s.origin.y += dy;
  return s;
}

AffineTransform AffineTransform::rotation(double radians) {
  const double cs = std::cos(radians);
  const double sn = std::sin(radians);
  return {cs, sn, -sn, cs, 0, 0};
}

AffineTransform AffineTransform::concat(const AffineTransform& t) const {
  return {a * t.a + b * t.c, a * t.b + b * t.d,          c * t.a + d * t.c,
          c * t.b + d * t.d, tx * t.a + ty * t.c + t.tx, tx * t.b + ty * t.d + t.ty};
}

AffineTransform AffineTransform::invert() const {
  const double det = a * d - b * c;
  if (det == 0 || !std::isfinite(det)) return *this;
  return {d / det, -b / det, -c / det, a / det, (c * ty - d * tx) / det, (b * tx - a * ty) / det};
}

Rect AffineTransform::apply(const Rect& r) const {
  if (isNullOrNaN(r)) return kRectNull;
  const Point corners[4] = {apply(Point{minX(r), minY(r)}), apply(Point{maxX(r), minY(r)}),
                            apply(Point{minX(r), maxY(r)}), apply(Point{maxX(r), maxY(r)})};
  double x1 = corners[0].x, x2 = corners[0].x, y1 = corners[0].y, y2 = corners[0].y;
  for (const Point& p : corners) {
    if (std::isnan(p.x) || std::isnan(p.y)) return kRectNull;
    x1 = std::min(x1, p.x);
    x2 = std::max(x2, p.x);
    y1 = std::min(y1, p.y);
    y2 = std::max(y2, p.y);
  }
  const Rect out{{x1, y1}, {x2 - x1, y2 - y1}};
  return hasNaN(out) ? kRectNull : out;  // opposite infinities
}

}  // namespace platform
