#pragma once

#include <cmath>
#include <limits>

// Points, sizes, rectangles and affine transforms with the phone platform's rules: a "null" rect
// (origin at +infinity) stands for "nothing", accessors work on the standardised rect (negative
// sizes flipped), and the set operations keep null-ness the way callers expect.
namespace platform {

struct Point {
  double x = 0;
  double y = 0;
  bool operator==(const Point&) const = default;
};

struct Size {
  double width = 0;
  double height = 0;
  bool operator==(const Size&) const = default;
};

struct Rect {
  Point origin;
  Size size;
  bool operator==(const Rect&) const = default;
};

struct EdgeInsets {
  double top = 0;
  double left = 0;
  double bottom = 0;
  double right = 0;
  bool operator==(const EdgeInsets&) const = default;
};

inline constexpr double kInfinity = std::numeric_limits<double>::infinity();
inline constexpr Rect kRectNull{{kInfinity, kInfinity}, {0, 0}};
inline constexpr Rect kRectZero{};
inline constexpr Point kPointZero{};
inline constexpr Size kSizeZero{};
inline constexpr EdgeInsets kEdgeInsetsZero{};

inline constexpr Rect makeRect(double x, double y, double width, double height) {
  return Rect{{x, y}, {width, height}};
}

inline bool isNull(const Rect& r) { return r.origin.x == kInfinity || r.origin.y == kInfinity; }

inline Rect standardize(const Rect& r) {
  if (isNull(r)) return kRectNull;
  Rect s = r;
  if (s.size.width < 0) {
    s.origin.x += s.size.width;
    s.size.width = -s.size.width;
  }
  if (s.size.height < 0) {
    s.origin.y += s.size.height;
    s.size.height = -s.size.height;
  }
  return s;
}

inline double width(const Rect& r) { return std::fabs(r.size.width); }
inline double height(const Rect& r) { return std::fabs(r.size.height); }
inline double minX(const Rect& r) { return r.origin.x + std::fmin(r.size.width, 0.0); }
inline double minY(const Rect& r) { return r.origin.y + std::fmin(r.size.height, 0.0); }
inline double maxX(const Rect& r) { return r.origin.x + std::fmax(r.size.width, 0.0); }
inline double maxY(const Rect& r) { return r.origin.y + std::fmax(r.size.height, 0.0); }
inline double midX(const Rect& r) { return r.origin.x + r.size.width * 0.5; }
inline double midY(const Rect& r) { return r.origin.y + r.size.height * 0.5; }

inline bool isFinite(double v) { return std::isfinite(v); }
inline bool isFinite(const Point& p) { return std::isfinite(p.x) && std::isfinite(p.y); }
inline bool isFinite(const Size& s) { return std::isfinite(s.width) && std::isfinite(s.height); }
inline bool isFinite(const EdgeInsets& i) {
  return std::isfinite(i.top) && std::isfinite(i.left) && std::isfinite(i.bottom) &&
         std::isfinite(i.right);
}

// A rect with a NaN in it stands nowhere: the set operations treat it as null, so it never
// widens a union nor lets anything through an intersection.
inline bool hasNaN(const Rect& r) {
  return std::isnan(r.origin.x) || std::isnan(r.origin.y) || std::isnan(r.size.width) ||
         std::isnan(r.size.height);
}

// Null rects and rects without area are empty.
inline bool isEmpty(const Rect& r) { return isNull(r) || r.size.width == 0 || r.size.height == 0; }

// Smallest rect with integral origin and size that contains `r`; null stays null.
Rect integral(const Rect& r);
// The common part of two rects, or the null rect when they do not meet (touching edges meet) or
// either has a NaN.
Rect intersection(const Rect& a, const Rect& b);
// The smallest rect containing both; a null operand (or one with a NaN) yields the other.
Rect unionRect(const Rect& a, const Rect& b);
// Half-open: the max edges are outside.
bool contains(const Rect& r, const Point& p);
bool contains(const Rect& outer, const Rect& inner);
// True when the rects share area (touching edges do not count).
bool intersects(const Rect& a, const Rect& b);
// Shrinks each side by dx / dy (grows when negative); null when a side would go negative.
Rect insetBy(const Rect& r, double dx, double dy);
Rect offsetBy(const Rect& r, double dx, double dy);

inline Rect insetRect(const Rect& r, const EdgeInsets& in) {
  return Rect{{r.origin.x + in.left, r.origin.y + in.top},
              {r.size.width - in.left - in.right, r.size.height - in.top - in.bottom}};
}

// Maps (x, y) to (a*x + c*y + tx, b*x + d*y + ty).
struct AffineTransform {
  double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

  bool operator==(const AffineTransform&) const = default;

  static AffineTransform identity() { return {}; }
  static AffineTransform translation(double tx, double ty) { return {1, 0, 0, 1, tx, ty}; }
  static AffineTransform scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
  static AffineTransform rotation(double radians);

  bool isIdentity() const { return *this == AffineTransform{}; }
  // `this` first, then `then`.
  AffineTransform concat(const AffineTransform& then) const;
  // The transform itself when it is not invertible, as the platform does.
  AffineTransform invert() const;
  // Each prepends the operation, so it applies before what `this` already does.
  AffineTransform translatedBy(double x, double y) const { return translation(x, y).concat(*this); }
  AffineTransform scaledBy(double sx, double sy) const { return scale(sx, sy).concat(*this); }
  AffineTransform rotatedBy(double radians) const { return rotation(radians).concat(*this); }

  Point apply(const Point& p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }
  // Sizes are deltas: no translation.
  Size apply(const Size& s) const {
    return {a * s.width + c * s.height, b * s.width + d * s.height};
  }
  // Bounding box of the transformed corners; null stays null, and a NaN anywhere gives null.
  Rect apply(const Rect& r) const;
};

inline AffineTransform concat(const AffineTransform& first, const AffineTransform& then) {
  return first.concat(then);
}
inline AffineTransform invert(const AffineTransform& t) { return t.invert(); }
inline bool isIdentity(const AffineTransform& t) { return t.isIdentity(); }

}  // namespace platform
